// The temporary-profile dialog: layout, change handlers, underlines, and the
// name check with every failure's detail text and the resolution message.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "FaultCaseNames.h"
#include "GuiMachine.h"
#include "MapiErrorText.h"
#include "RecordingDialogs.h"
#include "WordWrap.h"
#include "unTempProfile.h"

namespace {

using testsupport::Kind;

const std::string kResolution =
    "The name could not be resolved. Check to make sure you are connected to the network and are "
    "using the proper server and mailbox name. Network problems are preventing connection to the "
    "Microsoft Exchange Server computer. Contact your system administrator if this condition "
    "persists.\r\n\r\n";

std::string Resolution(const std::string& detail) {
  return mapi::WrapResolutionText(kResolution + detail);
}

class TempProfile : public ::testing::Test {
 protected:
  void Type(const char* server, const char* mailbox) {
    dialog.ebExchangeServer->setText(QString::fromLatin1(server));
    dialog.btUserName->setText(QString::fromLatin1(mailbox));
  }

  testsupport::RecordingDialogs dialogs;
  QWidget owner;
  gui::TfrmTempProfile dialog{&owner, dialogs};
};

TEST_F(TempProfile, LayoutAndTexts) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Exchange Server Settings"));
  EXPECT_EQ(dialog.size(), QSize(463, 248));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed size";
  struct Place {
    QWidget* widget;
    QRect geometry;
  } places[] = {
      {dialog.Label2, QRect(12, 36, 408, 26)},
      {dialog.ebExchangeServer, QRect(176, 68, 141, 21)},
      {dialog.Label4, QRect(16, 108, 431, 26)},
      {dialog.btUserName, QRect(96, 144, 165, 21)},
      {dialog.btCheckName, QRect(272, 140, 75, 25)},
      {dialog.btOK, QRect(300, 216, 75, 25)},
      {dialog.Button2, QRect(380, 216, 75, 25)},
  };
  for (const auto& p : places) EXPECT_EQ(p.widget->geometry(), p.geometry);
  EXPECT_EQ(dialog.Label1->pos(), QPoint(24, 8));
  EXPECT_EQ(dialog.Label3->pos(), QPoint(28, 72));
  EXPECT_EQ(dialog.Label5->pos(), QPoint(28, 148));
  EXPECT_EQ(dialog.Label6->pos(), QPoint(12, 192));
  EXPECT_EQ(
      dialog.Label1->text(),
      QStringLiteral("You can enter the required information to connect to your Exchange server."));
  EXPECT_EQ(dialog.Label3->text(), QStringLiteral("Microsoft Exchange Server:"));
  EXPECT_EQ(dialog.Label5->text(), QStringLiteral("User Name:"));
  EXPECT_EQ(dialog.Label6->text(),
            QStringLiteral("Once the names have been checked and are underlined, click OK."));
  EXPECT_EQ(dialog.btCheckName->text(), QStringLiteral("Check Name"));
  EXPECT_EQ(dialog.Button2->text(), QStringLiteral("Cancel"));
  EXPECT_FALSE(dialog.btCheckName->isEnabled());
  EXPECT_FALSE(dialog.btOK->isEnabled());
  EXPECT_TRUE(dialog.ebExchangeServer->text().isEmpty());
  // No caption is clipped: single lines end inside the dialog and before the
  // control to their right; wrapped labels need no more lines than they have.
  for (QLabel* l : {dialog.Label1, dialog.Label6})
    EXPECT_LE(l->x() + l->fontMetrics().horizontalAdvance(l->text()), dialog.width())
        << l->text().toStdString();
  EXPECT_LE(dialog.Label3->geometry().right(), dialog.ebExchangeServer->x());
  EXPECT_LE(dialog.Label5->geometry().right(), dialog.btUserName->x());
  for (QLabel* l : {dialog.Label2, dialog.Label4})
    EXPECT_LE(l->heightForWidth(l->width()), l->height()) << l->text().toStdString();
  // Tab order: server, mailbox, Check Name, OK, Cancel.
  const auto nextStop = [](QWidget* w) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
  };
  EXPECT_EQ(nextStop(dialog.ebExchangeServer), dialog.btUserName);
  EXPECT_EQ(nextStop(dialog.btUserName), dialog.btCheckName);
  EXPECT_EQ(nextStop(dialog.btCheckName), dialog.btOK);
  EXPECT_EQ(nextStop(dialog.btOK), dialog.Button2);
}

TEST_F(TempProfile, CheckNameNeedsBothNames) {
  struct Case {
    const char* server;
    const char* mailbox;
    bool enabled;
  } cases[] = {
      {"SRV01", "", false},     {"", "jsmith", false},     {"   ", "jsmith", false},
      {"SRV01", " \t ", false}, {"SRV01", "jsmith", true}, {" SRV01", "j ", true},
  };
  for (const auto& c : cases) {
    Type(c.server, c.mailbox);
    EXPECT_EQ(dialog.btCheckName->isEnabled(), c.enabled) << c.server << "/" << c.mailbox;
    EXPECT_FALSE(dialog.btOK->isEnabled());
  }
  // Typing a server and then clearing the mailbox disables the check again.
  Type("SRV01", "jsmith");
  dialog.btUserName->clear();
  EXPECT_FALSE(dialog.btCheckName->isEnabled());
}

TEST_F(TempProfile, CancelAndEscapeRejectOkAccepts) {
  dialog.Button2->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  dialog.setResult(QDialog::Accepted);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&dialog, &escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  dialog.btOKClick();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Enter presses the focused button and nothing else: the dialog has no
// default button, so Enter in an edit box presses none.
TEST_F(TempProfile, EnterPressesOnlyTheFocusedButton) {
  struct Case {
    const char* name;
    QWidget* target;
    int result;
  } const cases[] = {
      {"Cancel", dialog.Button2, QDialog::Rejected},
      {"server edit", dialog.ebExchangeServer, -1},
      {"user edit", dialog.btUserName, -1},
  };
  Type("SRV01", "jsmith");
  for (const Case& c : cases) {
    dialog.show();
    dialog.setResult(-1);
    QTest::keyClick(c.target, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), c.result) << c.name;
  }
  for (QPushButton* b : {dialog.btCheckName, dialog.btOK, dialog.Button2})
    EXPECT_FALSE(b->isDefault()) << b->text().toStdString();
}

class NameCheck : public TempProfile {
 protected:
  bool Start() { return machine.Start(""); }
  guitest::GuiMachine machine;
};

TEST_F(NameCheck, ResolvesAliasAndServerAndUnderlinesThem) {
  machine.BuildStandard();
  ASSERT_TRUE(Start());
  Type("srv01", "jsmith");
  dialog.btCheckName->click();
  EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
  EXPECT_EQ(dialog.btUserName->text(), QStringLiteral("Smith, John"));
  EXPECT_EQ(dialog.ebExchangeServer->text(), QStringLiteral("SRV01"));
  EXPECT_TRUE(dialog.MailboxUnderlined());
  EXPECT_TRUE(dialog.ServerUnderlined());
  EXPECT_TRUE(dialog.btOK->isEnabled());
  EXPECT_FALSE(dialog.CheckRunning());
  EXPECT_EQ(dialogs.depth, 0);
  EXPECT_TRUE(machine.ProfileNames().empty()) << "the throwaway profile is gone";
  machine.ExpectBalanced();

  // One more character in either field removes both underlines.
  dialog.ebExchangeServer->setText(QStringLiteral("SRV01x"));
  EXPECT_FALSE(dialog.MailboxUnderlined());
  EXPECT_FALSE(dialog.ServerUnderlined());
  EXPECT_FALSE(dialog.btOK->isEnabled());
  EXPECT_TRUE(dialog.btCheckName->isEnabled());
}

TEST_F(NameCheck, EnterChecksTheNameThenClosesLikeOk) {
  machine.BuildStandard();
  ASSERT_TRUE(Start());
  Type("srv01", "jsmith");
  dialog.show();
  dialog.setResult(-1);
  QTest::keyClick(dialog.btCheckName, Qt::Key_Return);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(dialog.btUserName->text(), QStringLiteral("Smith, John"));
  ASSERT_TRUE(dialog.btOK->isEnabled());
  EXPECT_EQ(dialog.result(), -1) << "checking the name keeps the dialog open";
  QTest::keyClick(dialog.btOK, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  machine.ExpectBalanced();
}

TEST_F(NameCheck, UnknownServerShowsTheResolutionMessage) {
  machine.BuildStandard();
  ASSERT_TRUE(Start());
  Type("NOSUCHSERVER", "jsmith");
  dialog.btCheckName->click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::Plain);
  const std::string& text = dialogs.shown[0].text;
  EXPECT_EQ(
      text.rfind("The name could not be resolved. Check to make sure you are connected to the \r\n",
                 0),
      0u);
  EXPECT_NE(text.find("\r\n\r\nConfigure MsgService Failed.\r\n"), std::string::npos);
  for (const auto& line : QString::fromStdString(text).split(QStringLiteral("\r\n")))
    EXPECT_LE(line.size(), 80) << line.toStdString();
  EXPECT_FALSE(dialog.btOK->isEnabled());
  EXPECT_FALSE(dialog.MailboxUnderlined() || dialog.ServerUnderlined());
  EXPECT_EQ(dialog.ebExchangeServer->text(), QStringLiteral("NOSUCHSERVER"));
  EXPECT_TRUE(machine.ProfileNames().empty());
  machine.ExpectBalanced();
}

struct FailCase {
  const char* call;
  std::optional<std::string> match;
  std::optional<int> nth;
  HRESULT hr;
  // The detail text; objects' error records carry "Denied." from "Test".
  std::string detail;
  std::vector<std::pair<Kind, std::string>> before;  // messages before the resolution message
  bool resolution = true;
};

const std::string kRecord = "Denied.\r\n\r\nComponent: Test\r\n\r\nError Code: $";

class NameCheckFailure : public NameCheck, public ::testing::WithParamInterface<FailCase> {};

TEST_P(NameCheckFailure, ShowsItsDetailAndLeavesNothing) {
  const FailCase& c = GetParam();
  machine.BuildStandard();
  machine.AddFault(c.call, c.hr, c.match, c.nth, {}, std::string("Denied."), std::string("Test"));
  ASSERT_TRUE(Start());
  Type("SRV01", "jsmith");
  dialog.btCheckNameClick();
  std::vector<std::pair<Kind, std::string>> expected = c.before;
  if (c.resolution) expected.emplace_back(Kind::Plain, Resolution(c.detail));
  std::vector<std::pair<Kind, std::string>> shown;
  for (const auto& s : dialogs.shown) shown.emplace_back(s.kind, s.text);
  EXPECT_EQ(shown, expected);
  for (const auto& s : dialogs.shown)
    EXPECT_EQ(s.hourglassDepth, 0) << "the cursor is restored first";
  EXPECT_FALSE(dialog.btOK->isEnabled());
  EXPECT_FALSE(dialog.MailboxUnderlined());
  EXPECT_FALSE(dialog.CheckRunning());
  EXPECT_EQ(dialogs.depth, 0);
  EXPECT_TRUE(machine.ProfileNames().empty());
  if (machine.Accounting()) machine.ExpectBalanced();
}

std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(hr));
  return buf;
}

void PrintTo(const FailCase& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, NameCheckFailure,
    ::testing::Values(
        FailCase{"MAPIAdminProfiles", {}, {}, E_FAIL, "Get MAPI Admin Profiles Failed80004005", {}},
        FailCase{"IProfAdmin::CreateProfile",
                 {},
                 {},
                 MAPI_E_NO_ACCESS,
                 "CreateProfile Failed.\r\n" + kRecord + Hex(MAPI_E_NO_ACCESS),
                 {}},
        FailCase{"IProfAdmin::AdminServices",
                 {},
                 {},
                 MAPI_E_NO_ACCESS,
                 "AdminServices Failed.\r\n" + kRecord + Hex(MAPI_E_NO_ACCESS),
                 {}},
        FailCase{"IMsgServiceAdmin::CreateMsgService",
                 {},
                 {},
                 MAPI_E_NOT_FOUND,
                 "Create MsgService Failed.\r\n" + kRecord + Hex(MAPI_E_NOT_FOUND),
                 {}},
        FailCase{"IMsgServiceAdmin::GetMsgServiceTable",
                 {},
                 {},
                 MAPI_E_NOT_FOUND,
                 "GetMsgServiceTable Failed.\r\n" + kRecord + Hex(MAPI_E_NOT_FOUND),
                 {}},
        FailCase{"IMAPITable::QueryRows",
                 std::string("services"),
                 {},
                 MAPI_E_BUSY,
                 "QueryRows Failed.\r\n" + kRecord + Hex(MAPI_E_BUSY),
                 {}},
        FailCase{"MAPIAllocateBuffer",
                 {},
                 {},
                 MAPI_E_NOT_ENOUGH_MEMORY,
                 "MAPI AllocateBuffer Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E",
                 {}},
        FailCase{"MAPIAllocateMore",
                 {},
                 1,
                 MAPI_E_NOT_ENOUGH_MEMORY,
                 "MAPI Allocate More Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E",
                 {}},
        FailCase{"MAPIAllocateMore",
                 {},
                 2,
                 MAPI_E_NOT_ENOUGH_MEMORY,
                 "MAPI Allocate More Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E",
                 {}},
        FailCase{"IMsgServiceAdmin::ConfigureMsgService",
                 {},
                 {},
                 MAPI_E_NETWORK_ERROR,
                 "Configure MsgService Failed.\r\n" + kRecord + Hex(MAPI_E_NETWORK_ERROR),
                 {}},
        FailCase{"IMsgServiceAdmin::ConfigureMsgService", {}, {}, MAPI_E_USER_CANCEL, "", {}},
        FailCase{"MAPILogonEx",
                 {},
                 {},
                 MAPI_E_LOGON_FAILED,
                 "",
                 {{Kind::Error,
                   "The logon did not succeed, either because \r\none or more of the parameters "
                   "to Profile \r\nwere invalid or because there were too \r\nmany sessions open "
                   "already."}}},
        FailCase{"MAPILogonEx", {}, {}, MAPI_E_USER_CANCEL, "", {}},
        FailCase{
            "MAPILogonEx",
            {},
            {},
            MAPI_E_UNCONFIGURED,
            "",
            {{Kind::Error, mapi::WrapLogonText("A service provider has not been configured, "
                                               "and therefore the operation did not complete.")}}},
        FailCase{"MAPILogonEx",
                 {},
                 {},
                 MAPI_E_TIMEOUT,
                 "",
                 {{Kind::Error, mapi::WrapLogonText("MAPI serializes all logons through a mutex. "
                                                    "This is returned if the another thread held "
                                                    "the mutex.")}}},
        FailCase{"MAPILogonEx",
                 {},
                 {},
                 MAPI_E_NOT_FOUND,
                 "",
                 {{Kind::Error,
                   "The logon did not succeed.\r\nMAPI_E_NOT_FOUND\r\nError Code: "
                   "$8004010F"}}},
        // After the logon nothing is said any more.
        FailCase{"IMAPISession::QueryIdentity", {}, {}, MAPI_E_NOT_FOUND, "", {}, false},
        FailCase{
            "IMAPIProp::GetProps", std::string("identity"), {}, MAPI_E_NO_ACCESS, "", {}, false}),
    testsupport::RowAndCall<FailCase>);

TEST_F(NameCheck, InitialisationFailuresUseTheirOwnBox) {
  struct Case {
    HRESULT hr;
    const char* text;
  } cases[] = {
      {MAPI_E_VERSION,
       "The version of OLE installed on the workstation is not compatible with this version of "
       "MAPI."},
      {E_FAIL, "I cannot initialize MAPI Session!"},
  };
  for (const auto& c : cases) {
    guitest::GuiMachine local;
    local.BuildStandard();
    local.AddFault("MAPIInitialize", c.hr);
    ASSERT_TRUE(local.Start(""));
    testsupport::RecordingDialogs d;
    gui::TfrmTempProfile check(&owner, d);
    EXPECT_FALSE(check.CheckNames("jsmith", "SRV01"));
    ASSERT_EQ(d.shown.size(), 2u);
    EXPECT_EQ(d.shown[0].kind, Kind::System);
    EXPECT_EQ(d.shown[0].caption, "MAPI SubSystem");
    EXPECT_EQ(d.shown[0].text, c.text);
    EXPECT_EQ(d.shown[1].text, Resolution(""));
    local.ExpectBalanced();
  }
}

TEST_F(NameCheck, MissingHomeMtaFailsSilentlyAfterTheDisplayName) {
  // The directory entry names no home MTA, so the identity lacks the
  // property: a failure after the logon, which says nothing and keeps what
  // was written so far.
  machine.BuildStandard();
  const orgdb::Server srv01 = *machine.org().FindServerByName("SRV01");
  orgdb::Mailbox m;
  m.serverId = srv01.id;
  m.tableOrder = 50;
  m.alias = "nomta";
  m.displayName = "No Mta";
  m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=nomta";
  machine.org().AddMailbox(m);
  orgdb::GalEntry e;
  e.displayName = "No Mta";
  e.alias = "nomta";
  e.address = *m.emailAddress;
  e.homeMdb = srv01.legacyDn + "/cn=Microsoft Private MDB";
  machine.org().AddGalEntry(e);
  ASSERT_TRUE(Start());
  Type("srv01", "nomta");
  dialog.btCheckNameClick();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(dialog.btUserName->text(), QStringLiteral("No Mta"));
  EXPECT_TRUE(dialog.MailboxUnderlined());
  EXPECT_EQ(dialog.ebExchangeServer->text(), QStringLiteral("srv01"));
  EXPECT_FALSE(dialog.ServerUnderlined());
  EXPECT_FALSE(dialog.btOK->isEnabled());
  EXPECT_TRUE(machine.ProfileNames().empty());
  machine.ExpectBalanced();
}

}  // namespace
