#include "unTempProfile.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AnsiText.h"
#include "FixedLayout.h"
#include "GuiLook.h"
#include "TextForms.h"

namespace gui {

TfrmTempProfile::TfrmTempProfile(QWidget* owner, TGuiDialogs& dialogs)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Exchange Server Settings"));
  setFixedSize(463, 248);

  Label1 = MakeLabel(
      this, "You can enter the required information to connect to your Exchange server.", 24, 8);
  MakeBevelLine(this, 8, 32, 449, Qt::Horizontal);
  Label2 = MakeWrappedLabel(this,
                            "Type the name of your Microsoft Exchange Server computer. For "
                            "information, see your system administrator.",
                            QRect(12, 36, 408, 26));
  Label3 = MakeLabel(this, "Microsoft Exchange Server:", 28, 72);
  ebExchangeServer = new QLineEdit(this);
  ebExchangeServer->setGeometry(176, 68, 141, 21);
  Label4 = MakeWrappedLabel(
      this,
      "Type the name of the Mailbox set up for you by your administrator. The mailbox name is "
      "your Exchange Alias or your user name. For information, see your system administrator.",
      QRect(16, 108, 431, 26));
  Label5 = MakeLabel(this, "User Name:", 28, 148);
  btUserName = new QLineEdit(this);
  btUserName->setGeometry(96, 144, 165, 21);
  btCheckName = MakeButton(this, "Check Name", QRect(272, 140, 75, 25));
  btCheckName->setEnabled(false);
  Label6 =
      MakeLabel(this, "Once the names have been checked and are underlined, click OK.", 12, 192);
  MakeBevelLine(this, 8, 208, 449, Qt::Horizontal);
  btOK = MakeButton(this, "OK", QRect(300, 216, 75, 25));
  btOK->setEnabled(false);
  Button2 = MakeButton(this, "Cancel", QRect(380, 216, 75, 25));

  setTabOrder(ebExchangeServer, btUserName);
  setTabOrder(btUserName, btCheckName);
  setTabOrder(btCheckName, btOK);
  setTabOrder(btOK, Button2);

  connect(ebExchangeServer, &QLineEdit::textChanged, this, [this] { ebExchangeServerChange(); });
  connect(btUserName, &QLineEdit::textChanged, this, [this] { btUserNameChange(); });
  connect(btCheckName, &QPushButton::clicked, this, [this] { btCheckNameClick(); });
  connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
  // Escape rejects a dialog, which is what the Cancel button does.
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TfrmTempProfile::MailboxName() const {
  return ToAnsi(btUserName->text());
}

std::string TfrmTempProfile::ServerName() const {
  return ToAnsi(ebExchangeServer->text());
}

bool TfrmTempProfile::ServerUnderlined() const {
  return ebExchangeServer->font().underline();
}

bool TfrmTempProfile::MailboxUnderlined() const {
  return btUserName->font().underline();
}

void TfrmTempProfile::SetUnderline(QLineEdit* field, bool underline) {
  QFont font = field->font();
  font.setUnderline(underline);
  field->setFont(font);
}

void TfrmTempProfile::FieldChanged() {
  btOK->setEnabled(false);
  btCheckName->setEnabled(!mapi::TrimControls(ServerName()).empty() &&
                          !mapi::TrimControls(MailboxName()).empty());
  if (!checkRunning_) {
    SetUnderline(ebExchangeServer, false);
    SetUnderline(btUserName, false);
  }
}

void TfrmTempProfile::ebExchangeServerChange() {
  FieldChanged();
}

void TfrmTempProfile::btUserNameChange() {
  FieldChanged();
}

void TfrmTempProfile::btCheckNameClick() {
  if (mapi::TrimControls(ServerName()).empty() || mapi::TrimControls(MailboxName()).empty()) return;
  const bool checked = CheckNames(MailboxName(), ServerName());
  btOK->setEnabled(checked);
}

void TfrmTempProfile::btOKClick() {
  accept();
}

}  // namespace gui
