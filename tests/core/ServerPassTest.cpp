// The private store, the mailbox-table road and the console's server pass
// through the MAPI stand-in, with a failure injected at every step; each
// case checks the exact text and that everything was released.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "ConsoleServerPass.h"
#include "MailboxRecord.h"
#include "MailboxTable.h"
#include "MapiMachine.h"
#include "MapiPtr.h"
#include "PrivateStore.h"
#include "Win32.h"

namespace {

using mapi::Flavour;

class ServerPass : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    machine.BuildStandard(orgOptions());
  }
  void TearDown() override {
    if (session_) Logoff();
  }
  virtual testsupport::StandardOrgOptions orgOptions() { return {}; }

  // Lays out the machine root, binds the library afresh and logs on to the
  // default profile. Faults must be in the database before.
  void Start(const std::string& mapiVersion = "11.0.5604.0") {
    orgdb::MachineSetupOptions options;
    options.mapiFileVersion = mapiVersion;
    ASSERT_TRUE(machine.Start("admin", options));
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session_)), S_OK);
    ASSERT_TRUE(session_);
  }
  void Logoff() {
    session_->Logoff(0, 0, 0);
    session_.reset();
    mapi::MAPIUninitialize();
  }
  // Logs off and checks that nothing of the pass is left.
  void ExpectBalanced() {
    Logoff();
    machine.ExpectBalanced();
  }

  struct Outcome {
    bool ok = false;
    std::string out;
    std::vector<std::pair<std::string, WORD>> events;
    std::string lastError;
    std::vector<core::acTableContent> records;
  };
  Outcome RunPass(core::ConsoleServerEntry server = {}) {
    if (server.serverName.empty()) {
      server.serverName = "SRV01";
      server.serverDn = "/O=ORG/OU=SITE/CN=CONFIGURATION/CN=SERVERS/CN=SRV01";
    }
    Outcome o;
    std::ostringstream out;
    std::string kept;
    core::ConsolePassContext ctx;
    ctx.out = &out;
    ctx.logEvent = [&o](const std::string& text, WORD type) { o.events.emplace_back(text, type); };
    ctx.logSuccess = true;
    ctx.lastError = &o.lastError;
    ctx.keptServerDn = &kept;
    ctx.keep = [&o](core::acTableContent&& r) { o.records.push_back(std::move(r)); };
    o.ok = core::RunConsoleServerPass(session_.get(), server, ctx);
    o.out = out.str();
    return o;
  }
  std::vector<std::string> EdkEvents() const {
    std::vector<std::string> texts;
    for (const auto& line : machine.EventLogLines()) {
      const auto j = nlohmann::json::parse(line);
      if (j.at("source") == "Tabrix Mailbox Statistics")
        texts.push_back(std::to_string(j.at("type").get<int>()) + " " +
                        j.at("strings").at(0).get<std::string>());
    }
    return texts;
  }

  testsupport::MapiMachine machine{Flavour::Console};
  mapi::ComPtr<IMAPISession> session_;
};

const std::string kSep(50, '=');
std::string Separated(const std::string& text) {
  return kSep + "\n" + text + "\n" + kSep + "\n";
}
const char* kHead =
    "Open Exchange Private Store - OK!\nQuery Interface Exchange Manage Store - OK!\n"
    "Processing Server: SRV01 ...\n";
const char* kTableOk = "Get Mailbox Table From Server SRV01 - OK!\n";

TEST_F(ServerPass, ReadsAllRowsAndLogsTheMilestones) {
  Start();
  const Outcome o = RunPass();
  EXPECT_TRUE(o.ok);
  EXPECT_EQ(o.out, std::string(kHead) + kTableOk + "# of Mailboxes at Server SRV01: 3\n");
  ASSERT_EQ(o.records.size(), 3u);
  EXPECT_EQ(o.records[1].displayName, "Smith, John");
  EXPECT_EQ(o.records[2].storageLimitInformation, "Prohibit Send");
  EXPECT_EQ(o.records[0].messageSize, 9216);
  EXPECT_EQ(o.events.size(), 3u);
  for (const auto& e : o.events) EXPECT_EQ(e.second, EVENTLOG_INFORMATION_TYPE);
  EXPECT_TRUE(o.lastError.empty());
  ExpectBalanced();
}

TEST_F(ServerPass, SizeLimitComparesKilobytes) {
  EXPECT_FALSE(core::PassesSizeLimit(102400, 100));
  EXPECT_TRUE(core::PassesSizeLimit(103424, 100));
  EXPECT_TRUE(core::PassesSizeLimit(0, -1));
  EXPECT_TRUE(core::PassesSizeLimit(1023, -1));
  EXPECT_FALSE(core::PassesSizeLimit(-2048, -1));
  EXPECT_TRUE(core::PassesSizeLimit(INT64_MAX, INT32_MAX));
  Start();
  core::ConsoleServerEntry server{"SRV01", "/O=ORG/OU=SITE/CN=CONFIGURATION/CN=SERVERS/CN=SRV01", 8,
                                  false, ""};
  EXPECT_EQ(RunPass(server).records.size(), 3u);  // 9 KB each
  server.sizeLimitKb = 9;
  EXPECT_EQ(RunPass(server).records.size(), 0u);
  ExpectBalanced();
}

struct FailureCase {
  const char* name;
  const char* call;
  HRESULT hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  std::optional<std::string> message;
  std::string expectedOut;  // after the lines that precede the failing step
  const char* before;       // those lines
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class ServerPassFailure : public ServerPass, public ::testing::WithParamInterface<FailureCase> {
 protected:
  testsupport::StandardOrgOptions orgOptions() override {
    testsupport::StandardOrgOptions o;
    o.mailboxes = 60;  // two batches, so a later QueryRows fails mid-table
    return o;
  }
};

TEST_P(ServerPassFailure, WritesLogsAndReleases) {
  const FailureCase& c = GetParam();
  machine.AddFault(c.call, c.hr, c.match, c.nth, {}, c.message,
                   c.message ? std::optional<std::string>("Simulator") : std::nullopt);
  Start();
  const Outcome o = RunPass();
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.out, std::string(c.before) + c.expectedOut);
  // The text is the last error and an error event.
  const std::string text =
      c.expectedOut.rfind(kSep, 0) == 0
          ? c.expectedOut.substr(kSep.size() + 1, c.expectedOut.size() - 2 * kSep.size() - 3)
          : c.expectedOut.substr(0, c.expectedOut.size() - 1);
  EXPECT_EQ(o.lastError, text);
  ASSERT_FALSE(o.events.empty());
  EXPECT_EQ(o.events.back(), std::make_pair(text, EVENTLOG_ERROR_TYPE));
  ExpectBalanced();
}

std::string Fallback(const char* name, const char* code) {
  return std::string("MAPI ERROR:\r\n") + name + "\r\nError Code: $" + code;
}
std::string Provider(const char* message, const char* code) {
  return std::string("MAPI:\r\n") + message + "\r\n\r\nComponent: Simulator\r\n\r\nError Code: $" +
         code;
}

const std::string kTableHead = std::string(kHead) + kTableOk;
const std::string kCounted = kTableHead + "# of Mailboxes at Server SRV01: 60\n";

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ServerPassFailure,
    ::testing::Values(
        FailureCase{"StoresTable",
                    "IMAPISession::GetMsgStoresTable",
                    MAPI_E_NO_ACCESS,
                    {},
                    {},
                    "No store list",
                    Separated(Provider("No store list", "80070005")),
                    ""},
        FailureCase{"StoreNotFound",
                    "HrQueryAllRows",
                    MAPI_E_NOT_FOUND,
                    "msgstores",
                    {},
                    {},
                    Separated(Fallback("EDK_E_NOT_FOUND", "800B0001")),
                    ""},
        FailureCase{"StoreRowsFail",
                    "HrQueryAllRows",
                    MAPI_E_NOT_ENOUGH_MEMORY,
                    "msgstores",
                    {},
                    {},
                    Separated(Fallback("MAPI_E_NOT_ENOUGH_MEMORY", "8007000E")),
                    ""},
        FailureCase{"OpenStore",
                    "IMAPISession::OpenMsgStore",
                    MAPI_E_NETWORK_ERROR,
                    "private",
                    {},
                    {},
                    Separated(Fallback("MAPI_E_NETWORK_ERROR", "80040115")),
                    ""},
        FailureCase{"QueryInterface",
                    "IMsgStore::QueryInterface",
                    E_NOINTERFACE,
                    {},
                    {},
                    {},
                    Separated(Fallback("MAPI_E_INTERFACE_NOT_SUPPORTED", "80004002")),
                    "Open Exchange Private Store - OK!\n"},
        FailureCase{
            "StoreLogoff",
            "IMsgStore::StoreLogoff",
            E_FAIL,
            {},
            {},
            {},
            "MS MAPI Error on Store Logoff!\n",
            "Open Exchange Private Store - OK!\nQuery Interface Exchange Manage Store - OK!\n"},
        FailureCase{"TableUnknownError",
                    "IExchangeManageStore::GetMailboxTable",
                    MAPI_E_CALL_FAILED,
                    {},
                    {},
                    {},
                    "An unknown error occurred.\r\nCan't get the mailbox table! for Server SRV01\n",
                    kHead},
        FailureCase{
            "TableStoreDown",
            "IExchangeManageStore::GetMailboxTable",
            MAPI_E_LOGON_FAILED,
            {},
            {},
            {},
            "The Microsoft Exchange Server information store is not running on the server.\r\n"
            "Can't get the mailbox table! for Server SRV01\n",
            kHead},
        FailureCase{
            "TableNetwork",
            "IExchangeManageStore::GetMailboxTable",
            MAPI_E_NETWORK_ERROR,
            {},
            {},
            {},
            "Cannot connect to the server.\r\nCan't get the mailbox table! for Server SRV01\n",
            kHead},
        FailureCase{"TableNoAccess",
                    "IExchangeManageStore::GetMailboxTable",
                    MAPI_E_NO_ACCESS,
                    {},
                    {},
                    {},
                    "The user has no permissions on the folder.\r\nCan't get the mailbox table! "
                    "for Server SRV01\n",
                    kHead},
        FailureCase{"TableMemory",
                    "IExchangeManageStore::GetMailboxTable",
                    MAPI_E_NOT_ENOUGH_MEMORY,
                    {},
                    {},
                    {},
                    "There wasn't enough memory to complete the operation.\r\n"
                    "Can't get the mailbox table! for Server SRV01\n",
                    kHead},
        FailureCase{"TableParameter",
                    "IExchangeManageStore::GetMailboxTable",
                    MAPI_E_INVALID_PARAMETER,
                    {},
                    {},
                    {},
                    "One of the parameters was not valid.\r\nCan't get the mailbox table! for "
                    "Server SRV01\n",
                    kHead},
        FailureCase{
            "TableOther",
            "IExchangeManageStore::GetMailboxTable",
            MAPI_E_TIMEOUT,
            {},
            {},
            {},
            Fallback("$80040401", "80040401") + "Can't get the mailbox table! for Server SRV01\n",
            kHead},
        FailureCase{"SetColumns",
                    "IMAPITable::SetColumns",
                    E_FAIL,
                    "mailbox",
                    {},
                    "Columns refused",
                    Separated(Provider("Columns refused", "80004005")),
                    kTableHead.c_str()},
        FailureCase{"GetRowCount",
                    "IMAPITable::GetRowCount",
                    MAPI_E_BUSY,
                    "mailbox",
                    {},
                    {},
                    Separated(Fallback("MAPI_E_BUSY", "8004010B")),
                    kTableHead.c_str()},
        FailureCase{"SeekRow",
                    "IMAPITable::SeekRow",
                    MAPI_E_INVALID_BOOKMARK,
                    "mailbox",
                    {},
                    {},
                    Separated(Fallback("MAPI_E_INVALID_BOOKMARK", "80040405")),
                    kCounted.c_str()},
        FailureCase{"FirstQueryRows", "IMAPITable::QueryRows", E_FAIL, "mailbox", 1, "Rows lost",
                    Separated(Provider("Rows lost", "80004005")), kCounted.c_str()},
        FailureCase{"LaterQueryRows",
                    "IMAPITable::QueryRows",
                    MAPI_E_NETWORK_ERROR,
                    "mailbox",
                    2,
                    {},
                    Separated(Fallback("MAPI_E_NETWORK_ERROR", "80040115")),
                    kCounted.c_str()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerPass, StoreSearchFailuresGoToTheEdkLog) {
  machine.AddFault("HrQueryAllRows", MAPI_E_NOT_FOUND, std::string("msgstores"));
  Start();
  EXPECT_FALSE(RunPass().ok);
  const auto edk = EdkEvents();
  ASSERT_FALSE(edk.empty());
  EXPECT_EQ(edk.back(), "2 Error/Warning/Information. Returned CODE is: 800B0001");
  ExpectBalanced();
}

TEST_F(ServerPass, ColumnArrayAllocationFailure) {
  // The pass's own MAPIAllocateBuffer is its first one.
  machine.AddFault("MAPIAllocateBuffer", MAPI_E_NOT_ENOUGH_MEMORY, {}, 1);
  Start();
  const Outcome o = RunPass();
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.out,
            "Open Exchange Private Store - OK!\nQuery Interface Exchange Manage Store - OK!\n" +
                Separated(Fallback("MAPI_E_NOT_ENOUGH_MEMORY", "8007000E")));
  ExpectBalanced();
}

TEST_F(ServerPass, ConsoleAsksOnlineFromVersionElevenOn) {
  EXPECT_TRUE(core::ConsoleWantsOnline("11.0.5604.0"));
  EXPECT_TRUE(core::ConsoleWantsOnline("12"));
  EXPECT_FALSE(core::ConsoleWantsOnline("10.0.6.0"));
  EXPECT_FALSE(core::ConsoleWantsOnline(""));
  EXPECT_FALSE(core::ConsoleWantsOnline("x.1"));
  EXPECT_FALSE(core::ConsoleWantsOnline("99999999999999999999.1"));
  // With version 11 the store is opened with 0x111, so a fault on
  // MDB_ONLINE hits it; with version 10 it is opened with 0x11.
  machine.AddFault("IMAPISession::OpenMsgStore", MAPI_E_UNKNOWN_FLAGS, {}, {},
                   MDB_ONLINE | MDB_NO_DIALOG);
  Start("11.0.5604.0");
  mapi::ComPtr<IMsgStore> store;
  EXPECT_EQ(core::OpenPrivateStoreConsole(session_.get(), &store), MAPI_E_UNKNOWN_FLAGS);
  EXPECT_FALSE(store);
  ExpectBalanced();
}

TEST_F(ServerPass, ConsoleVersionTenOpensWithoutOnline) {
  machine.AddFault("IMAPISession::OpenMsgStore", MAPI_E_UNKNOWN_FLAGS, {}, {}, MDB_ONLINE);
  Start("10.0.6.0");
  mapi::ComPtr<IMsgStore> store;
  EXPECT_EQ(core::OpenPrivateStoreConsole(session_.get(), &store), S_OK);
  EXPECT_TRUE(store);
  store.reset();
  ExpectBalanced();
}

TEST_F(ServerPass, GuiRetriesWithoutOnline) {
  orgdb::Server srv = *machine.org().FindServerByName("SRV01");
  srv.acceptsOnline = false;
  machine.org().UpdateServer(srv);
  // The GUI never asks for MDB_NO_DIALOG; a fault on it proves the flags.
  machine.AddFault("IMAPISession::OpenMsgStore", MAPI_E_NO_ACCESS, {}, {}, MDB_NO_DIALOG);
  Start();
  mapi::ComPtr<IMsgStore> store;
  EXPECT_EQ(core::OpenPrivateStore(session_.get(), true, true, &store), MAPI_E_UNKNOWN_FLAGS);
  EXPECT_EQ(core::OpenPrivateStoreGui(session_.get(), &store), S_OK);
  EXPECT_TRUE(store);
  store.reset();
  EXPECT_EQ(core::OpenPrivateStoreConsole(session_.get(), &store), MAPI_E_NO_ACCESS);
  ExpectBalanced();
}

// Counts what the road hands to its listener.
class CountingListener : public core::MailboxTableListener {
 public:
  void Failed(core::MailboxTableStep, HRESULT hr, const mapi::ErrorSource&) override {
    failed = hr;
  }
  bool RowCountKnown(ULONG n) override {
    count = n;
    return true;
  }
  void Row(const SRow& row) override {
    ++rows;
    if (rows == 7) throw std::runtime_error("a row that cannot be converted");
    names.push_back(core::ConvertMailboxRow(row, Flavour::Gui, nullptr).displayName);
  }
  void BatchDone() override { ++batches; }
  HRESULT failed = S_OK;
  ULONG count = 0;
  int rows = 0, batches = 0;
  std::vector<std::string> names;
};

class MailboxTableRoad : public ServerPass {
 protected:
  testsupport::StandardOrgOptions orgOptions() override {
    testsupport::StandardOrgOptions o;
    o.mailboxes = 120;
    return o;
  }
};

TEST_F(MailboxTableRoad, BatchesOfFiftyAfterTheStoreIsLoggedOff) {
  // A fifth QueryRows would fail: three batches and the empty one are all.
  machine.AddFault("IMAPITable::QueryRows", E_FAIL, std::string("mailbox"), 5);
  Start();
  mapi::ComPtr<IMsgStore> store;
  ASSERT_EQ(core::OpenPrivateStoreGui(session_.get(), &store), S_OK);
  CountingListener listener;
  std::string kept;
  const HRESULT hr = core::ReadMailboxTable(Flavour::Gui, std::move(store),
                                            "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01",
                                            &kept, listener);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(listener.failed, S_OK);
  EXPECT_EQ(listener.count, 120u);
  EXPECT_EQ(listener.rows, 120);
  EXPECT_EQ(listener.batches, 3);
  EXPECT_EQ(listener.names.size(), 119u);  // the row that threw is skipped, the rest read on
  EXPECT_EQ(kept, "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01");
  ExpectBalanced();
}

TEST(MailboxTableFailureText, GuiEndsKnownTextsWithCarriageReturnOnly) {
  EXPECT_EQ(core::MailboxTableFailureText(Flavour::Gui, MAPI_E_NETWORK_ERROR, nullptr),
            "Cannot connect to the server.\rCan't get the mailbox table!");
  EXPECT_EQ(core::MailboxTableFailureText(Flavour::Gui, MAPI_E_TIMEOUT, nullptr),
            "Can't get the mailbox table!");
}

}  // namespace
