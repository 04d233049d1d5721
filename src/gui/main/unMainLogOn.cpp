// The log-on button: opening a MAPI session in one of three modes, and
// closing it again in its fixed order.
#include <QApplication>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include "LogonTexts.h"
#include "MAPIUtils_Profile.h"
#include "MailboxListModel.h"
#include "ServerComboBox.h"
#include "TStatusBar.h"
#include "TextForms.h"
#include "unMain.h"
#include "unTempProfile.h"

namespace gui {

namespace {

constexpr ULONG kDefaultProfileFlags =
    MAPI_NO_MAIL | MAPI_USE_DEFAULT | MAPI_EXTENDED | MAPI_ALLOW_OTHERS | MAPI_NEW_SESSION;
constexpr ULONG kChooseProfileFlags =
    MAPI_NO_MAIL | MAPI_EXTENDED | MAPI_ALLOW_OTHERS | MAPI_NEW_SESSION | MAPI_LOGON_UI;

// Lifts a suspension of the list's repainting on every path.
class RepaintSuspension {
 public:
  explicit RepaintSuspension(QWidget* widget) : widget_(widget) {
    widget_->setUpdatesEnabled(false);
  }
  ~RepaintSuspension() { widget_->setUpdatesEnabled(true); }
  RepaintSuspension(const RepaintSuspension&) = delete;
  RepaintSuspension& operator=(const RepaintSuspension&) = delete;

 private:
  QWidget* widget_;
};

}  // namespace

void TfrmMainExecute::sbLogOnClick() {
  if (Busy()) return;
  BusyScope busy(hold_);
  if (loggedOn_) {
    LogOff();
    sbLogOn->setText(QStringLiteral("Log On"));
    return;
  }
  if (!LogOn()) return;
  sbLogOn->setText(QStringLiteral("Log Off"));
  if (FindHomeServer()) {
    LoadMailboxTable(discovery_.serverDn);
  } else {
    // The session is not kept without a server.
    LogOff();
    sbLogOn->setText(QStringLiteral("Log On"));
  }
}

std::optional<std::string> TfrmMainExecute::CreateTempProfile(const std::string& mailbox,
                                                              const std::string& server) {
  mapi::ProfileReporter reporter;
  reporter.flavour = mapi::Flavour::Gui;
  reporter.dialogs = &dialogs_;
  reporter.mainWindow = WindowHandle();
  std::optional<std::string> name;
  mapi::CreateTempProfile(reporter, mailbox, server, &name);
  return name;
}

bool TfrmMainExecute::LogOn() {
  BusyScope busy(hold_);
  mapi::HourglassCursor cursor(&dialogs_);
  SetLogOnHint(kLogOnHint);
  StatusBar->ClearPanels();
  discovery_.lastResult = S_OK;
  mapiInitialized_ = false;
  loggedOn_ = false;
  addressBook_.reset();
  session_.reset();
  discovery_.serverDn.clear();

  std::optional<std::string> profileName;
  do {
    HRESULT hr = mapi::MAPIInitialize(nullptr);
    if (FAILED(hr)) {
      discovery_.lastResult = hr;
      dialogs_.SystemBox(InitializeErrorText(hr), "MS MAPI Subsystem", mapi::BoxIcon::Error);
      break;
    }
    mapiInitialized_ = true;
    const ULONG flags = rbDP->isChecked() ? kDefaultProfileFlags : kChooseProfileFlags;
    if (rbCP->isChecked() || rbWO->isChecked()) RegisterProfileChooser();

    if (rbWO->isChecked()) {
      auto dialog = std::make_unique<TfrmTempProfile>(this, dialogs_);
      dialog->move(pos() + QPoint(10, 10));
      if (dialogs_.ExecModal(*dialog) == QDialog::Accepted) {
        dialog->hide();
        repaint();
        profileName = CreateTempProfile(mapi::TrimControls(dialog->MailboxName()),
                                        mapi::TrimControls(dialog->ServerName()));
      }
      dialog.reset();
      if (!profileName) {
        // Cancelled: the attempt ends without a word.
        discovery_.lastResult = E_FAIL;
        break;
      }
    }

    hr = mapi::MAPILogonEx(WindowHandle(), profileName ? profileName->data() : nullptr, nullptr,
                           flags, mapi::Out(session_));
    if (FAILED(hr) || !session_) {
      discovery_.lastResult = FAILED(hr) ? hr : E_FAIL;
      if (discovery_.lastResult == MAPI_E_USER_CANCEL)
        dialogs_.PlainBox(LogonErrorText(discovery_.lastResult));
      else
        dialogs_.ErrorBox(LogonErrorText(discovery_.lastResult));
      break;
    }
    loggedOn_ = true;
    QCoreApplication::processEvents();

    hr = session_->OpenAddressBook(0, nullptr, AB_NO_DIALOG, mapi::Out(addressBook_));
    if (FAILED(hr) || !addressBook_) {
      discovery_.lastResult = FAILED(hr) ? hr : E_FAIL;
      cursor.Restore();
      mapi::MapiBuffer<MAPIERROR> error;
      const HRESULT got = session_->GetLastError(discovery_.lastResult, 0, mapi::Out(error));
      if (SUCCEEDED(got) && error) {
        if (error->lpszError && *error->lpszError)
          dialogs_.SystemBox(error->lpszError, error->lpszComponent ? error->lpszComponent : "",
                             mapi::BoxIcon::Error);
      } else {
        dialogs_.ErrorBox("Can't get \"Address Book!\"");
      }
      break;
    }
    discovery_.lastResult = S_OK;
  } while (false);

  // Clean-up, on every path: nothing of a failed attempt survives it.
  if (profileName) {
    mapi::ProfileReporter reporter;  // shows nothing and leaves the registry unflushed
    reporter.flavour = mapi::Flavour::Gui;
    mapi::DeleteTempProfile(reporter, *profileName);
    profileName.reset();
  }
  SetLogOnHint(kLogOffHint);
  if (FAILED(discovery_.lastResult)) {
    SetLogOnHint(kLogOnHint);
    EndMapiSession();
  }
  cursor.Restore();
  return discovery_.lastResult == S_OK;
}

void TfrmMainExecute::EndMapiSession() {
  addressBook_.reset();
  if (session_) {
    session_->Logoff(0, 0, 0);
    session_.reset();
    loggedOn_ = false;
  }
  if (mapiInitialized_) {
    mapi::MAPIUninitialize();
    mapiInitialized_ = false;
  }
}

void TfrmMainExecute::LogOff() {
  BusyScope busy(hold_);
  SetListHint(false);
  sbUSD->setEnabled(false);
  sbPrint->setEnabled(false);
  ComboBoxServers->setEnabled(false);
  ComboBoxServers->Clear();
  {
    RepaintSuspension suspension(ListViewRecipients);
    discovery_.serverDn.clear();
    QCoreApplication::processEvents();
    try {
      mailboxes_.clear();
    } catch (...) {
      // Freeing the records never stops the logoff.
    }
    SetItemCount(static_cast<int>(mailboxes_.size()));
    discovery_.homeServerName.clear();
    EndMapiSession();
    SetItemCount(0);
  }
  SetLogOnHint(kLogOnHint);
}

}  // namespace gui
