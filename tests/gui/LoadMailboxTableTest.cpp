// Loading a server's mailboxes into the list: the progress status bar, the
// final panels, every row of the failure table, the server box, and bad
// input (empty servers, servers that vanish, odd names and times).
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include "TProgressBar.h"

#include "FaultCaseNames.h"
#include "GuiSession.h"
#include "MailboxListModel.h"
#include "MapiErrorText.h"

namespace {

using testsupport::Kind;

constexpr const char* kSrv02Dn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV02";
const std::string kRecord = "Denied.\r\n\r\nComponent: Test\r\n\r\nError Code: $";

class Load : public guitest::GuiSession {
 protected:
  // A server without mailboxes, listed in the directory after SRV01.
  void AddEmptyServer() {
    orgdb::OrgDb& db = machine.org();
    const orgdb::Server srv01 = *db.FindServerByName("SRV01");
    orgdb::Server s;
    s.siteId = srv01.siteId;
    s.name = "SRV03";
    s.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV03";
    s.version = srv01.version;
    db.AddServer(s);
    db.AddDirectoryObject(
        {"CN=Servers,CN=Site,CN=Administrative Groups,CN=Org,CN=Microsoft "
         "Exchange,CN=Services,CN=Configuration,DC=corp,DC=example",
         "msExchExchangeServer", "SRV03", s.legacyDn});
  }
  void AddMailbox(const std::string& alias, const std::string& displayName,
                  std::optional<std::uint64_t> logon = std::nullopt) {
    orgdb::OrgDb& db = machine.org();
    orgdb::Mailbox m;
    m.serverId = db.FindServerByName("SRV01")->id;
    m.tableOrder = 1000 + static_cast<std::int64_t>(db.CountMailboxes(m.serverId));
    m.alias = alias;
    m.displayName = displayName;
    m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=" + alias;
    m.messageSize = 1024;
    m.lastLogonTime = logon;
    db.AddMailbox(m);
  }
  void Choose(const QString& server) {
    const int index = window->ComboBoxServers->findText(server);
    ASSERT_GE(index, 0) << server.toStdString();
    window->ComboBoxServers->setCurrentIndex(index);
    emit window->ComboBoxServers->activated(index);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& r : window->Mailboxes()) names.push_back(r->displayName);
    return names;
  }
};

TEST_F(Load, ProgressBarShowsWhileTheRowsArrive) {
  machine.BuildStandard({120, false, false});
  Open();
  window->show();
  struct Seen {
    int batches = 0;
    std::vector<std::string> panels;
    std::vector<int> widths;
    bool ownerDraw = false;
    QRect progressGeometry;
    int progressMax = 0;
    bool logOnEnabled = true;
    bool detailsEnabled = true;
    int rows = -1;
    int hourglass = 0;
  } seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (window->StatusBar->PanelCount() != 3) return;
    if (seen.batches++ > 0) return;
    seen.panels = Panels();
    for (int i = 0; i < 3; ++i) seen.widths.push_back(window->StatusBar->PanelWidth(i));
    seen.ownerDraw = window->StatusBar->PanelOwnerDraw(1);
    if (auto* bar = window->StatusBar->findChild<gui::TProgressBar*>()) {
      seen.progressGeometry = bar->geometry();
      seen.progressMax = bar->Maximum();
    }
    seen.logOnEnabled = window->sbLogOn->isEnabled();
    seen.detailsEnabled = window->sbUSD->isEnabled();
    seen.rows = window->ListModel()->rowCount();
    seen.hourglass = dialogs.depth;
  });
  watch.start(0);
  ClickLogOn();
  watch.stop();
  ASSERT_GE(seen.batches, 1);
  ASSERT_EQ(seen.panels.size(), 3u);
  EXPECT_EQ(seen.panels[2], "Mailbox Count: 120");
  EXPECT_FALSE(seen.panels[0].empty()) << "the display name of the row just read";
  EXPECT_EQ(seen.widths, (std::vector<int>{96 * 8 * 20 / 72, 306, 18 * 8 * 96 / 72}));
  EXPECT_TRUE(seen.ownerDraw);
  EXPECT_EQ(seen.progressGeometry, QRect(213 + 3, 3, 300, 19 - 4));
  EXPECT_EQ(seen.progressMax, 119);
  EXPECT_FALSE(seen.logOnEnabled);
  EXPECT_FALSE(seen.detailsEnabled);
  EXPECT_EQ(seen.rows, 0) << "the list is emptied while loading";
  EXPECT_GT(seen.hourglass, 0);
  // At the end: no progress bar, the final panels, the records in table order.
  EXPECT_EQ(window->StatusBar->findChild<gui::TProgressBar*>(), nullptr);
  EXPECT_EQ(Panels()[0], "Mailbox Count: 120");
  ASSERT_EQ(window->Mailboxes().size(), 120u);
  EXPECT_EQ(window->Mailboxes()[0]->displayName, "Administrator");
  EXPECT_EQ(window->Mailboxes()[119]->displayName, "User 0120");
  EXPECT_EQ(window->ListModel()->rowCount(), 120);
  EXPECT_TRUE(window->sbLogOn->isEnabled());
  EXPECT_EQ(dialogs.depth, 0);
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, OtherServerKeepsTheHomeNameAndTheSortMark) {
  machine.BuildStandard({3, true, false});
  Open();
  ClickLogOn();
  window->ListViewRecipients->horizontalHeader()->sectionClicked(0);
  ASSERT_EQ(window->ListModel()->HeaderImage(0), 1);
  Choose(QStringLiteral("SRV02"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"Second User 1", "Second User 2"}))
      << "table order, no sort";
  EXPECT_EQ(window->ListModel()->HeaderImage(0), 1) << "the mark of the last sort stays";
  EXPECT_EQ(window->ServerDN(), kSrv02Dn);
  EXPECT_EQ(window->HomeServerName(), "SRV01");
  EXPECT_EQ(Panels()[0], "Mailbox Count: 2");
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, EmptyServerShowsZeroAndDisablesTheButtons) {
  machine.BuildStandard();
  AddEmptyServer();
  Open();
  ClickLogOn();
  Choose(QStringLiteral("SRV03"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(window->Mailboxes().empty());
  EXPECT_EQ(Panels(), (std::vector<std::string>{"Mailbox Count: 0", "Total Messages Size: 0.0 K"}));
  EXPECT_FALSE(window->sbUSD->isEnabled());
  EXPECT_FALSE(window->sbPrint->isEnabled());
  EXPECT_FALSE(window->ListHintShown());
  EXPECT_EQ(window->LastResult(), S_OK);
  // A header click on the empty list sets no mark.
  window->ListViewRecipients->horizontalHeader()->sectionClicked(4);
  EXPECT_EQ(window->ListModel()->HeaderImage(4), -1);
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, ServerThatVanishesAfterDiscoveryFailsTheLoadOnly) {
  machine.BuildStandard({3, true, false});
  Open();
  ClickLogOn();
  orgdb::Server srv02 = *machine.org().FindServerByName("SRV02");
  srv02.reachable = false;
  machine.org().UpdateServer(srv02);
  Choose(QStringLiteral("SRV02"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::Error);
  EXPECT_EQ(dialogs.shown[0].text.substr(dialogs.shown[0].text.size() - 28),
            "Can't get the mailbox table!");
  EXPECT_TRUE(window->LoggedOn());
  EXPECT_TRUE(window->Mailboxes().empty());
  EXPECT_EQ(Panels()[0], "Mailbox Count: 0");
  EXPECT_TRUE(window->sbLogOn->isEnabled());
  // The home server still loads.
  dialogs.Clear();
  Choose(QStringLiteral("SRV01"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(window->Mailboxes().size(), 3u);
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, EntryWithoutDnLoadsNothingAndSaysWhy) {
  machine.BuildStandard();
  machine.AddFault("AdoQuery::Open", E_FAIL);
  Open();
  ClickLogOn();
  ASSERT_EQ(window->ComboBoxServers->count(), 1);
  EXPECT_FALSE(window->ComboBoxServers->isEnabled());
  EXPECT_EQ(window->Mailboxes().size(), 3u) << "the home server's DN came from the identity";
  window->ComboBoxServersChange();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text.substr(dialogs.shown[0].text.size() - 28),
            "Can't get the mailbox table!");
  EXPECT_TRUE(window->ServerDN().empty());
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, LongNamesLineBreaksAndBadTimesDoNotStopTheLoad) {
  machine.BuildStandard();
  const std::string longName(1000, 'W');
  AddMailbox("long", longName);
  AddMailbox("breaks", "First line\r\nSecond line\nThird");
  AddMailbox("badtime", "Bad Time", 0xFFFFFFFFFFFFFFFFull);
  AddMailbox("western", "\xC4rger, J\xFCrgen");
  Open();
  window->show();
  ClickLogOn();
  EXPECT_TRUE(dialogs.shown.empty());
  ASSERT_EQ(Names(),
            (std::vector<std::string>{"Administrator", "Smith, John", "O'Brien, Mary", longName,
                                      "First line\r\nSecond line\nThird", "\xC4rger, J\xFCrgen"}))
      << "the row whose time gives no date is dropped";
  EXPECT_EQ(Panels()[0], "Mailbox Count: 6");
  EXPECT_EQ(window->ListModel()
                ->data(window->ListModel()->index(3, 0), Qt::DisplayRole)
                .toString()
                .size(),
            1000);
  EXPECT_EQ(window->ListModel()->data(window->ListModel()->index(5, 0), Qt::DisplayRole).toString(),
            QString::fromUtf8("\xC3\x84rger, J\xC3\xBCrgen"));
  EXPECT_FALSE(window->grab().isNull()) << "every row can be drawn";
  window->ListViewRecipients->horizontalHeader()->sectionClicked(0);
  EXPECT_EQ(window->Mailboxes()[0]->displayName, "\xC4rger, J\xFCrgen")
      << "Ä sorts last, first descending";
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

TEST_F(Load, StoreThatRefusesOnlineIsOpenedWithoutIt) {
  machine.BuildStandard();
  orgdb::Server srv01 = *machine.org().FindServerByName("SRV01");
  srv01.acceptsOnline = false;
  machine.org().UpdateServer(srv01);
  Open();
  ClickLogOn();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(window->Mailboxes().size(), 3u);
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

struct FailCase {
  const char* call;
  std::optional<std::string> match;
  std::optional<int> nth;
  HRESULT hr;
  Kind kind;
  std::string text;
  std::size_t recordsLeft = 0;
  const char* caption = "";
  std::optional<HRESULT> result = std::nullopt;  // LastResult when not the injected code
};

class LoadFailure : public Load, public ::testing::WithParamInterface<FailCase> {};

TEST_P(LoadFailure, ShowsItsMessageAndEndsShown) {
  const FailCase& c = GetParam();
  machine.BuildStandard({60, false, false});
  machine.AddFault(c.call, c.hr, c.match, c.nth, {}, std::string("Denied."), std::string("Test"));
  Open();
  ClickLogOn();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, c.kind);
  EXPECT_EQ(dialogs.shown[0].text, c.text);
  EXPECT_EQ(dialogs.shown[0].caption, c.caption);
  EXPECT_EQ(dialogs.shown[0].hourglassDepth, 0) << "the cursor is restored first";
  EXPECT_EQ(window->LastResult(), c.result.value_or(c.hr));
  EXPECT_TRUE(window->LoggedOn()) << "a failed load keeps the session";
  EXPECT_EQ(window->sbLogOn->text(), QStringLiteral("Log Off"));
  EXPECT_TRUE(window->sbLogOn->isEnabled());
  EXPECT_EQ(window->Mailboxes().size(), c.recordsLeft);
  EXPECT_EQ(window->ListModel()->rowCount(), static_cast<int>(c.recordsLeft));
  EXPECT_EQ(window->sbUSD->isEnabled(), c.recordsLeft > 0);
  EXPECT_EQ(window->ListHintShown(), c.recordsLeft > 0);
  EXPECT_EQ(Panels()[0], "Mailbox Count: " + std::to_string(c.recordsLeft));
  EXPECT_EQ(window->StatusBar->findChild<gui::TProgressBar*>(), nullptr);
  EXPECT_EQ(dialogs.depth, 0);
  window->sbLogOnClick();
  machine.ExpectBalanced();
}

std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(hr));
  return buf;
}

const std::string kNoLive = "You do not have LIVE connection to Microsoft Exchange Server.\r\n";
const std::string kNoTable = "Can't get the mailbox table!";
const std::string kMailbox = "mailbox";

void PrintTo(const FailCase& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

// The discovery opens the private store once before the load: the store
// faults aim at the second call.
INSTANTIATE_TEST_SUITE_P(
    EveryStep, LoadFailure,
    ::testing::Values(
        FailCase{"IMAPISession::GetMsgStoresTable",
                 {},
                 2,
                 E_FAIL,
                 Kind::Error,
                 kNoLive + "Can't  open \"Exchange Private Store\""},
        FailCase{"HrQueryAllRows", std::string("msgstores"), 2, MAPI_E_NOT_FOUND, Kind::Error,
                 kNoLive + "Can't  open \"Exchange Private Store\"", 0, "", EDK_E_NOT_FOUND},
        FailCase{"IMAPISession::OpenMsgStore", std::string("private"), 2, MAPI_E_NETWORK_ERROR,
                 Kind::Error, kNoLive + kRecord + Hex(MAPI_E_NETWORK_ERROR)},
        FailCase{"IMsgStore::QueryInterface",
                 std::string("private"),
                 {},
                 E_FAIL,
                 Kind::Error,
                 "Can't  get \"Exchange Manage Store\""},
        FailCase{"IMsgStore::QueryInterface",
                 std::string("private"),
                 {},
                 E_NOINTERFACE,
                 Kind::Error,
                 kRecord + Hex(E_NOINTERFACE)},
        FailCase{"IMsgStore::StoreLogoff", {}, 2, MAPI_E_BUSY, Kind::Error, "MS MAPI Error!"},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_CALL_FAILED,
                 Kind::Error,
                 "An unknown error occurred.\r" + kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_LOGON_FAILED,
                 Kind::Error,
                 "The Microsoft Exchange Server information store is not running on the "
                 "server.\r" +
                     kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_NETWORK_ERROR,
                 Kind::Error,
                 "Cannot connect to the server.\r" + kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_NO_ACCESS,
                 Kind::Error,
                 "The user has no permissions on the folder.\r" + kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_NOT_ENOUGH_MEMORY,
                 Kind::Error,
                 "There wasn't enough memory to complete the operation.\r" + kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_INVALID_PARAMETER,
                 Kind::Error,
                 "One of the parameters was not valid.\r" + kNoTable},
        FailCase{"IExchangeManageStore::GetMailboxTable",
                 {},
                 {},
                 MAPI_E_NOT_FOUND,
                 Kind::Error,
                 kNoTable},
        FailCase{"IMAPITable::SetColumns",
                 kMailbox,
                 {},
                 E_FAIL,
                 Kind::Error,
                 "Can't set Content Table Properties!"},
        FailCase{"IMAPITable::SetColumns",
                 kMailbox,
                 {},
                 MAPI_E_BAD_COLUMN,
                 Kind::Error,
                 kRecord + Hex(MAPI_E_BAD_COLUMN)},
        FailCase{"IMAPITable::GetRowCount",
                 kMailbox,
                 {},
                 E_FAIL,
                 Kind::System,
                 "Error on Get Count",
                 0,
                 "MAPI Error"},
        FailCase{"IMAPITable::GetRowCount",
                 kMailbox,
                 {},
                 MAPI_E_BUSY,
                 Kind::System,
                 kRecord + Hex(MAPI_E_BUSY),
                 0,
                 "MAPI Error"},
        FailCase{"IMAPITable::SeekRow",
                 kMailbox,
                 {},
                 EDK_E_NOT_FOUND,
                 Kind::System,
                 "Error on Seek Row",
                 0,
                 "MAPI Error"},
        FailCase{"IMAPITable::SeekRow",
                 kMailbox,
                 {},
                 MAPI_E_INVALID_BOOKMARK,
                 Kind::System,
                 kRecord + Hex(MAPI_E_INVALID_BOOKMARK),
                 0,
                 "MAPI Error"},
        FailCase{"IMAPITable::QueryRows",
                 kMailbox,
                 {},
                 E_FAIL,
                 Kind::Plain,
                 "MS MAPI Error on Query All Mailbox Rows."},
        FailCase{"IMAPITable::QueryRows", kMailbox, 2, MAPI_E_BUSY, Kind::Plain,
                 kRecord + Hex(MAPI_E_BUSY), 50}),
    testsupport::RowAndCall<FailCase>);

}  // namespace
