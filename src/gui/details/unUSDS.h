// The mailbox selection dialog `TfrmDetails`: a check list of the main
// window's mailboxes, item k standing for record k, and "Select All".
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace gui {

class TfrmDetails : public QDialog {
 public:
  explicit TfrmDetails(QWidget* owner);

  // Sets every item's check mark to the state of cbSelAll.
  void cbSelAllClick();

  // Empties the list and unchecks cbSelAll, as the filling begins.
  void Clear();
  void AddItem(const QString& displayName);
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  int Count() const;

  QLabel* Label1 = nullptr;
  QListWidget* clbUsers = nullptr;
  QCheckBox* cbSelAll = nullptr;
  QPushButton* BitBtn2 = nullptr;  // OK
  QPushButton* BitBtn1 = nullptr;  // Cancel
};

}  // namespace gui
