#include "unChoose.h"

#include "FixedLayout.h"
#include "RadioGroup.h"

namespace gui {

TfrmChoose::TfrmChoose(QWidget* owner) : QDialog(owner, kSystemMenuDialog) {
  PlaceDialog(this, QStringLiteral("Tabrix Mailbox Statistics for Microsoft Exchange Server"),
              QSize(332, 99));

  RadioGroup1 = MakePrintExportGroup(this, QRect(8, 4, 316, 53));
  const TOkCancel buttons =
      MakeOkCancel(this, QStringLiteral("&OK"), QStringLiteral("&Cancel"), QPoint(86, 66));
  BitBtOK = buttons.ok;
  BitBtnCancel = buttons.cancel;
}

}  // namespace gui
