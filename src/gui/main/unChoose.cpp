#include "unChoose.h"

#include "FixedLayout.h"
#include "RadioGroup.h"

namespace gui {

TfrmChoose::TfrmChoose(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("Tabrix Mailbox Statistics for Microsoft Exchange Server"));
  setFixedSize(332, 99);
  if (owner) move(owner->geometry().center() - rect().center());

  RadioGroup1 = MakePrintExportGroup(this, QRect(8, 4, 316, 53));
  const TOkCancel buttons =
      MakeOkCancel(this, QStringLiteral("&OK"), QStringLiteral("&Cancel"), QPoint(86, 66));
  BitBtOK = buttons.ok;
  BitBtnCancel = buttons.cancel;
}

}  // namespace gui
