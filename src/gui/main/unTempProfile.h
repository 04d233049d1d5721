// The temporary-profile dialog `TfrmTempProfile` ("Exchange Server
// Settings"): the user types a server and a mailbox name and checks them
// against Exchange with a throwaway profile before the logon.
#pragma once

#include <QDialog>
#include <string>

#include "GuiDialogs.h"
#include "MAPIDefs.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace gui {

class TfrmTempProfile : public QDialog {
 public:
  TfrmTempProfile(QWidget* owner, TGuiDialogs& dialogs);

  // The two fields as 8-bit texts, as typed.
  std::string MailboxName() const;
  std::string ServerName() const;
  bool CheckRunning() const { return checkRunning_; }
  // Whether a field's font is underlined (its text is a checked name).
  bool ServerUnderlined() const;
  bool MailboxUnderlined() const;

  void ebExchangeServerChange();
  void btUserNameChange();
  void btCheckNameClick();
  void btOKClick();
  // Logs on with a throwaway profile for the two names and writes the
  // identity's display name and home server back; true when every step
  // succeeded.
  bool CheckNames(const std::string& mailbox, const std::string& server);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* ebExchangeServer = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* btUserName = nullptr;
  QPushButton* btCheckName = nullptr;
  QLabel* Label6 = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* Button2 = nullptr;

 private:
  void FieldChanged();
  void SetUnderline(QLineEdit* field, bool underline);
  // Step 14 and 15 of the check: the identity's name and home server.
  HRESULT WriteIdentity(IMAPIProp* identity);

  TGuiDialogs& dialogs_;
  bool checkRunning_ = false;
};

}  // namespace gui
