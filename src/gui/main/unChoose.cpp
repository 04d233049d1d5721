#include "unChoose.h"

#include <QPushButton>

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
  BitBtOK = MakeButton(this, QStringLiteral("&OK"), QRect(86, 66, 75, 25));
  BitBtOK->setDefault(true);
  connect(BitBtOK, &QPushButton::clicked, this, &QDialog::accept);
  BitBtnCancel = MakeButton(this, QStringLiteral("&Cancel"), QRect(171, 66, 75, 25));
  connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  BitBtOK->setFocus();
}

}  // namespace gui
