// The about box `TAboutBox`: product, version, edition and a mail link to
// the maker.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace gui {

class TBevelPanel;

inline constexpr const char* kContactAddress = "mailboxstats@tabrix.example";

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* owner);

  // Asks the desktop for a new mail to the contact address.
  void ContactClick();

  TBevelPanel* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Comments = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lbMail = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace gui
