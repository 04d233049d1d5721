#include "unPrintRepDial.h"

#include <QGroupBox>
#include <QRadioButton>

#include "FixedLayout.h"
#include "RadioGroup.h"

namespace gui {

TfrmPrintReport::TfrmPrintReport(QWidget* owner) : QDialog(owner, kSystemMenuDialog) {
  PlaceDialog(this, QStringLiteral("Choose.."), QSize(325, 135));

  GroupBox1 = new QGroupBox(QStringLiteral(" Print/Save "), this);
  GroupBox1->setGeometry(8, 4, 309, 45);
  rbCF = MakeRadio(GroupBox1, QStringLiteral("Current Folder"), QRect(8, 20, 97, 17));
  rbCM = MakeRadio(GroupBox1, QStringLiteral("Current Mailbox"), QRect(106, 20, 101, 17));
  rbAM = MakeRadio(GroupBox1, QStringLiteral("All Maiboxes"), QRect(208, 20, 93, 17));
  rbCF->setChecked(true);

  rgToWhere = MakePrintExportGroup(this, QRect(8, 54, 309, 45));
  const TOkCancel buttons =
      MakeOkCancel(this, QStringLiteral("OK"), QStringLiteral("Cancel"), QPoint(82, 106));
  btOK = buttons.ok;
  btCancel = buttons.cancel;
}

}  // namespace gui
