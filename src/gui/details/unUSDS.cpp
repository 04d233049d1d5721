#include "unUSDS.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "FixedLayout.h"

namespace gui {

TfrmDetails::TfrmDetails(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("Users - Detail"));
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(292, 362);
  if (owner) move(owner->geometry().center() - rect().center());

  Label1 = MakeLabel(this, QStringLiteral("Mailbox:"), 6, 7);
  clbUsers = new QListWidget(this);
  clbUsers->setGeometry(6, 22, 277, 305);
  clbUsers->setUniformItemSizes(true);
  cbSelAll = new QCheckBox(QStringLiteral("Select All"), this);
  cbSelAll->setGeometry(6, 332, 77, 17);
  // Every change of state, by the user or by the program.
  connect(cbSelAll, &QCheckBox::stateChanged, this, [this] { cbSelAllClick(); });
  BitBtn2 = MakeButton(this, QStringLiteral("OK"), QRect(130, 332, 75, 25));
  BitBtn2->setDefault(true);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);
  BitBtn1 = MakeButton(this, QStringLiteral("Cancel"), QRect(210, 332, 75, 25));
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmDetails::cbSelAllClick() {
  const Qt::CheckState state = cbSelAll->isChecked() ? Qt::Checked : Qt::Unchecked;
  for (int i = 0; i < clbUsers->count(); ++i) clbUsers->item(i)->setCheckState(state);
}

void TfrmDetails::Clear() {
  clbUsers->clear();
  cbSelAll->setChecked(false);
}

void TfrmDetails::AddItem(const QString& displayName) {
  auto* item = new QListWidgetItem(displayName, clbUsers);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  item->setSizeHint(QSize(0, 13));
}

bool TfrmDetails::Checked(int index) const {
  const QListWidgetItem* item = clbUsers->item(index);
  return item && item->checkState() == Qt::Checked;
}

void TfrmDetails::SetChecked(int index, bool checked) {
  if (QListWidgetItem* item = clbUsers->item(index))
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int TfrmDetails::Count() const {
  return clbUsers->count();
}

}  // namespace gui
