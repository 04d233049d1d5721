// The log-on button in its three modes, both error tables, the address book,
// the clean-up of a failed attempt, logoff, closing, and input held back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "GuiSession.h"
#include "LogonTexts.h"
#include "MailboxListModel.h"
#include "MapiErrorText.h"
#include "ProfileChooser.h"
#include "WordWrap.h"
#include "unTempProfile.h"

namespace {

using testsupport::Kind;

class LogOn : public guitest::GuiSession {};

TEST_F(LogOn, DefaultProfileShowsTheHomeServerThenLogsOff) {
  machine.BuildStandard();
  Open();
  ClickLogOn();
  EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_TRUE(window->MapiInitialized());
  EXPECT_NE(window->Session(), nullptr);
  EXPECT_NE(window->AddressBook(), nullptr);
  EXPECT_EQ(window->LastResult(), S_OK);
  EXPECT_EQ(window->sbLogOn->text(), QStringLiteral("Log Off"));
  EXPECT_EQ(window->sbLogOn->toolTip(), QStringLiteral("Logoff from your mailbox."));
  EXPECT_EQ(window->HomeServerName(), "SRV01");
  EXPECT_EQ(window->OrganizationName(), "Org");
  EXPECT_EQ(window->SiteName(), "Site");
  EXPECT_EQ(window->ServerDN(), "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01");
  ASSERT_EQ(window->Mailboxes().size(), 3u);
  EXPECT_EQ(window->Mailboxes()[1]->displayName, "Smith, John");
  EXPECT_EQ(window->ListModel()->rowCount(), 3);
  EXPECT_TRUE(window->sbUSD->isEnabled());
  EXPECT_TRUE(window->sbPrint->isEnabled());
  EXPECT_TRUE(window->ListHintShown());
  EXPECT_TRUE(window->ComboBoxServers->isEnabled());
  EXPECT_EQ(window->ComboBoxServers->currentText(), QStringLiteral("SRV01"));
  // 9216, 9316 and 9416 bytes: 27,948 bytes are 27.3 KB.
  EXPECT_EQ(Panels(),
            (std::vector<std::string>{"Mailbox Count: 3", "Total Messages Size: 27.3 K"}));
  EXPECT_EQ(window->StatusBar->PanelWidth(0), 16 * 8 * 96 / 72);
  EXPECT_EQ(dialogs.depth, 0);

  ClickLogOn();
  ExpectLoggedOff();
  EXPECT_TRUE(window->HomeServerName().empty());
  EXPECT_TRUE(window->ServerDN().empty());
  EXPECT_EQ(window->ListModel()->rowCount(), 0);
  EXPECT_EQ(Panels(), (std::vector<std::string>{"Mailbox Count: 3", "Total Messages Size: 27.3 K"}))
      << "the status bar keeps what it showed";
  EXPECT_TRUE(dialogs.shown.empty());
  machine.ExpectBalanced();
  window->LogOff();  // a second logoff finds nothing to do
  machine.ExpectBalanced();
}

TEST_F(LogOn, WithoutDefaultProfileTheLogonFailsAndMapiIsUninitialised) {
  machine.BuildStandard();
  Open("");
  ClickLogOn();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::Error);
  EXPECT_EQ(dialogs.shown[0].text,
            "The logon did not succeed, either because \r\none or more of the parameters to "
            "Profile \r\nwere invalid or because there were too \r\nmany sessions open already.");
  EXPECT_EQ(window->LastResult(), MAPI_E_LOGON_FAILED);
  ExpectLoggedOff();
  machine.ExpectBalanced();
}

TEST_F(LogOn, LogonErrorsShowTheirWrappedTexts) {
  struct Case {
    HRESULT hr;
    Kind kind;
    const char* text;
  } cases[] = {
      {MAPI_E_LOGON_FAILED, Kind::Error,
       "The logon did not succeed, either because one or more of the parameters to Profile were "
       "invalid or because there were too many sessions open already."},
      {MAPI_E_USER_CANCEL, Kind::Plain,
       "The user canceled the operation, typically by choosing the Cancel button in a dialog box."},
      {MAPI_E_UNCONFIGURED, Kind::Error,
       "A service provider has not been configured, and therefore the operation did not complete."},
      {MAPI_E_TIMEOUT, Kind::Error,
       "MAPI serializes all logons through a mutex. This is returned if the another thread held "
       "the mutex."},
      {MAPI_E_NOT_FOUND, Kind::Error, "The logon did not succeed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    guitest::GuiMachine local;
    local.BuildStandard();
    local.AddFault("MAPILogonEx", c.hr);
    ASSERT_TRUE(local.Start());
    testsupport::RecordingDialogs d;
    {
      gui::TfrmMainExecute w(d);
      w.sbLogOn->click();
      ASSERT_EQ(d.shown.size(), 1u);
      EXPECT_EQ(d.shown[0].kind, c.kind);
      EXPECT_EQ(d.shown[0].text, mapi::WrapLogonText(c.text));
      for (const auto& line : QString::fromStdString(d.shown[0].text).split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 42);
      EXPECT_EQ(w.LastResult(), c.hr);
      EXPECT_FALSE(w.LoggedOn());
      EXPECT_FALSE(w.MapiInitialized());
      EXPECT_EQ(w.sbLogOn->text(), QStringLiteral("Log On"));
      local.ExpectBalanced();
    }
  }
}

TEST_F(LogOn, InitialisationErrorsShowInTheSubsystemBox) {
  struct Case {
    HRESULT hr;
    std::string text;
  } cases[] = {
      {MAPI_E_INVALID_OBJECT, "May fail if system resources are exhausted."},
      {MAPI_E_NOT_ENOUGH_RESOURCES,
       "Not enough system resources were available to complete the operation."},
      {MAPI_E_VERSION,
       "The version of OLE installed on the workstation is not compatible with this version of "
       "MAPI."},
      {MAPI_E_SESSION_LIMIT,
       "MAPI sets up context specific to the current process.\rFailures may occur on Win16 if the "
       "number of processes exceeds a certain number,\ror on any system if available memory is "
       "exhausted."},
      {MAPI_E_TOO_COMPLEX, "The keys required by MAPI could not be initialized."},
      {MAPI_E_NOT_INITIALIZED, "The MAPI profile provider has encountered an error."},
      {MAPI_E_INVALID_PARAMETER, "Invalid parameter or flag!"},
      {MAPI_E_NO_SUPPORT,
       "MAPI_E_NO_SUPPORT\r\nError Code: $80040102\r\n\r\nPlease check that Extended "
       "MAPI/Outlook is installed!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    guitest::GuiMachine local;
    local.BuildStandard();
    local.AddFault("MAPIInitialize", c.hr);
    ASSERT_TRUE(local.Start(""));  // no default profile: the set-up initialises no MAPI
    testsupport::RecordingDialogs d;
    gui::TfrmMainExecute w(d);
    w.sbLogOn->click();
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].kind, Kind::System);
    EXPECT_EQ(d.shown[0].caption, "MS MAPI Subsystem");
    EXPECT_EQ(d.shown[0].icon, mapi::BoxIcon::Error);
    EXPECT_EQ(d.shown[0].text, c.text);
    EXPECT_EQ(w.LastResult(), c.hr);
    EXPECT_FALSE(w.MapiInitialized());
    EXPECT_EQ(d.depth, 0);
  }
}

TEST_F(LogOn, AddressBookFailures) {
  struct Case {
    std::optional<std::string> message;
    std::optional<std::string> component;
    bool failGetLastError;
    std::vector<std::string> texts;
    const char* why;
  } cases[] = {
      {std::string("The address book is offline."),
       std::string("Directory"),
       false,
       {"The address book is offline."},
       "the record's text, captioned by its component"},
      {std::nullopt, std::string("Directory"), false, {}, "a record without text shows nothing"},
      {std::nullopt, std::nullopt, true, {"Can't get \"Address Book!\""}, "no record at all"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    guitest::GuiMachine local;
    local.BuildStandard();
    local.AddFault("IMAPISession::OpenAddressBook", MAPI_E_NO_ACCESS, std::nullopt, std::nullopt,
                   std::nullopt, c.message, c.component);
    if (c.failGetLastError) local.AddFault("IMAPISession::GetLastError", MAPI_E_NO_SUPPORT);
    ASSERT_TRUE(local.Start());
    testsupport::RecordingDialogs d;
    gui::TfrmMainExecute w(d);
    w.sbLogOn->click();
    EXPECT_EQ(d.Texts(), c.texts);
    if (c.message) {
      ASSERT_EQ(d.shown.size(), 1u);
      EXPECT_EQ(d.shown[0].kind, Kind::System);
      EXPECT_EQ(d.shown[0].caption, *c.component);
      EXPECT_EQ(d.shown[0].hourglassDepth, 0) << "the cursor is restored first";
    }
    EXPECT_EQ(w.LastResult(), MAPI_E_NO_ACCESS);
    EXPECT_FALSE(w.LoggedOn());
    EXPECT_EQ(w.Session(), nullptr);
    EXPECT_FALSE(w.MapiInitialized());
    EXPECT_EQ(w.sbLogOn->toolTip(), QStringLiteral("Logon to your mailbox."));
    local.ExpectBalanced();
  }
}

TEST_F(LogOn, ChooseProfileAsksThroughTheChooser) {
  machine.BuildStandard();
  Open();
  window->rbCP->setChecked(true);
  std::vector<QString> offered;
  dialogs.modal.push_back([&offered](QDialog& d) {
    auto* chooser = dynamic_cast<gui::TfrmChooseProfile*>(&d);
    EXPECT_NE(chooser, nullptr);
    if (!chooser) return int(QDialog::Rejected);
    for (int i = 0; i < chooser->lbProfiles->count(); ++i)
      offered.push_back(chooser->lbProfiles->item(i)->text());
    chooser->SetChosenIndex(0);
    return int(QDialog::Accepted);
  });
  ClickLogOn();
  EXPECT_EQ(offered, std::vector<QString>{QStringLiteral("Outlook")});
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_EQ(window->Mailboxes().size(), 3u);
  EXPECT_TRUE(dialogs.shown.empty());
  window->sbLogOnClick();
  machine.ExpectBalanced();

  // Cancelling the chooser is the user's cancel.
  ClickLogOn();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::Plain);
  EXPECT_EQ(dialogs.shown[0].text,
            mapi::WrapLogonText("The user canceled the operation, typically by choosing the "
                                "Cancel button in a dialog box."));
  ExpectLoggedOff();
  machine.ExpectBalanced();
}

TEST_F(LogOn, WithoutProfileCancelledEndsSilently) {
  machine.BuildStandard();
  Open();
  window->move(100, 80);
  window->rbWO->setChecked(true);
  QPoint placed;
  dialogs.modal.push_back([&placed](QDialog& d) {
    placed = d.pos();
    // Escape presses Cancel.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&d, &escape);
    return d.result();
  });
  ClickLogOn();
  EXPECT_EQ(placed, window->pos() + QPoint(10, 10));
  EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Exchange Server Settings"});
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(window->LastResult(), E_FAIL);
  ExpectLoggedOff();
  machine.ExpectBalanced();
}

TEST_F(LogOn, WithoutProfileLogsOnThroughATemporaryProfileThatIsGone) {
  machine.BuildStandard();
  Open();
  window->rbWO->setChecked(true);
  dialogs.modal.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<gui::TfrmTempProfile&>(d);
    dialog.ebExchangeServer->setText(QStringLiteral("srv01"));
    dialog.btUserName->setText(QStringLiteral("jsmith"));
    dialog.btCheckNameClick();
    EXPECT_TRUE(dialog.btOK->isEnabled());
    EXPECT_EQ(dialog.btUserName->text(), QStringLiteral("Smith, John"));
    dialog.btOKClick();
    return d.result();
  });
  ClickLogOn();
  EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
  ASSERT_TRUE(window->LoggedOn());
  EXPECT_EQ(window->HomeServerName(), "SRV01");
  EXPECT_EQ(window->Mailboxes().size(), 3u);
  EXPECT_EQ(machine.ProfileNames(), std::vector<std::string>{"Outlook"})
      << "the temporary profile is gone right after the logon";
  window->sbLogOnClick();
  ExpectLoggedOff();
  machine.ExpectBalanced();
  EXPECT_EQ(machine.ProfileNames(), std::vector<std::string>{"Outlook"});
}

TEST_F(LogOn, WithoutProfileTrimsTheNamesForTheProfile) {
  machine.BuildStandard();
  Open();
  window->rbWO->setChecked(true);
  dialogs.modal.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<gui::TfrmTempProfile&>(d);
    dialog.ebExchangeServer->setText(QStringLiteral("  SRV01 "));
    dialog.btUserName->setText(QStringLiteral("\tjsmith  "));
    return int(QDialog::Accepted);
  });
  ClickLogOn();
  EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_EQ(machine.ProfileNames(), std::vector<std::string>{"Outlook"});
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(LogOn, WithoutProfileForAnUnknownMailboxFailsAndLeavesNoProfile) {
  machine.BuildStandard();
  Open();
  window->rbWO->setChecked(true);
  dialogs.modal.push_back([](QDialog& d) {
    auto& dialog = dynamic_cast<gui::TfrmTempProfile&>(d);
    dialog.ebExchangeServer->setText(QStringLiteral("SRV01"));
    dialog.btUserName->setText(QStringLiteral("nobody"));
    return int(QDialog::Accepted);
  });
  ClickLogOn();
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown.back().text, gui::LogonErrorText(window->LastResult()));
  ExpectLoggedOff();
  machine.ExpectBalanced();
  EXPECT_EQ(machine.ProfileNames(), std::vector<std::string>{"Outlook"});
}

TEST_F(LogOn, MissingHomeServerLogsOffAgain) {
  machine.BuildStandard();
  machine.AddFault("IMAPIProp::GetProps", MAPI_E_NO_ACCESS, "identity");
  Open();
  ClickLogOn();
  EXPECT_EQ(dialogs.Texts(),
            (std::vector<std::string>{"MAPI Error on User Prop Get Properties!",
                                      "Are you connected to Microsoft Exchange Server?"}));
  ExpectLoggedOff();
  machine.ExpectBalanced();
}

TEST_F(LogOn, FailedHomeLoadKeepsTheSession) {
  machine.BuildStandard();
  machine.AddFault("IExchangeManageStore::GetMailboxTable", MAPI_E_NETWORK_ERROR);
  Open();
  ClickLogOn();
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{
                                 "Cannot connect to the server.\rCan't get the mailbox table!"});
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_EQ(window->sbLogOn->text(), QStringLiteral("Log Off"));
  EXPECT_TRUE(window->sbLogOn->isEnabled());
  EXPECT_FALSE(window->sbUSD->isEnabled());
  EXPECT_FALSE(window->ListHintShown());
  EXPECT_EQ(window->LastResult(), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(Panels(), (std::vector<std::string>{"Mailbox Count: 0", "Total Messages Size: 0.0 K"}));
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(LogOn, MissingOrCorruptOrganisationEndsLoggedOff) {
  for (bool corrupt : {false, true}) {
    SCOPED_TRACE(corrupt ? "corrupt" : "missing");
    guitest::GuiMachine local;
    local.BuildStandard();
    ASSERT_TRUE(local.Start());
    const std::string db = orgdb::DatabasePath(local.root());
    std::filesystem::remove(db);
    if (corrupt) {
      std::ofstream out(db, std::ios::binary);
      out << "this is not a database";
    }
    testsupport::RecordingDialogs d;
    gui::TfrmMainExecute w(d);
    w.sbLogOn->click();
    EXPECT_FALSE(d.shown.empty()) << "the failure is reported";
    EXPECT_FALSE(w.LoggedOn());
    EXPECT_FALSE(w.MapiInitialized());
    EXPECT_EQ(w.sbLogOn->text(), QStringLiteral("Log On"));
    EXPECT_EQ(d.depth, 0);
    local.ExpectBalanced();
  }
}

TEST_F(LogOn, ClosingTheWindowEndsTheSession) {
  machine.BuildStandard();
  Open();
  ClickLogOn();
  ASSERT_TRUE(window->LoggedOn());
  window.reset();
  machine.ExpectBalanced();
}

TEST_F(LogOn, InputIsHeldBackWhileALogonRuns) {
  machine.BuildStandard({120, false, false});
  Open();
  window->show();
  int attempts = 0;
  int busySeen = 0;
  bool closeAsked = false;
  // Fires at the first point where pending messages are processed.
  QTimer::singleShot(0, window.get(), [&] {
    busySeen += window->Busy() ? 1 : 0;
    ++attempts;
    window->sbLogOnClick();  // a second logon must not start
    window->ComboBoxServersChange();
    window->ListViewRecipientsColumnClick(0);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->sbLogOn, &press);
    EXPECT_FALSE(window->sbLogOn->isDown()) << "the press does not reach the button";
    closeAsked = !window->close();
  });
  ClickLogOn();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(busySeen, 1);
  EXPECT_TRUE(closeAsked) << "the close waits for the logon";
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_EQ(window->Mailboxes().size(), 120u);
  EXPECT_EQ(gui::SortColumn, 0) << "the header click was not taken";
  EXPECT_EQ(machine.Accounting()->openSessions, 1u);
  EXPECT_TRUE(window->isVisible());
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isVisible()) << "the close asked for meanwhile happens now";
}

}  // namespace
