// The details window's folder walks and contents load through the MAPI
// stand-in, without widgets: the walk order, the failure of each step with
// the report it makes and how much of the walk survives it, the records,
// and that each run releases everything it acquired.
#include <gtest/gtest.h>

#include <map>

#include "FaultCaseNames.h"
#include "FolderContents.h"
#include "FolderWalk.h"
#include "MailboxLogon.h"
#include "MapiMachine.h"
#include "MapiPtr.h"

namespace {

using core::FolderWalkKind;
using core::FolderWalkStep;

const std::string kServerDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
const std::string kAdminDn = "/o=Org/ou=Site/cn=Recipients/cn=admin";

// Records what a walk tells its listener, as the window would show it.
class Recorder : public core::FolderWalkListener, public core::ContentsListener {
 public:
  explicit Recorder(FolderWalkKind kind) : kind_(kind) {}

  void Failed(FolderWalkStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    if (auto report = core::FolderWalkReport(kind_, step, hr, object)) reports.push_back(*report);
    ++failures;
  }
  void Failed(core::ContentsStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    reports.push_back(core::ContentsFailureReport(step, hr, object));
    ++failures;
  }
  core::FolderNodeHandle FolderAdded(core::FolderNodeHandle parent,
                                     const core::FolderEntry& folder) override {
    const int depth = parent == 0 ? 0 : depths.at(parent) + 1;
    const core::FolderNodeHandle node = depths.size() + 1;
    depths[node] = depth;
    tree += (tree.empty() ? "" : ",") + std::string(depth, '>') + folder.displayName;
    entries.push_back(folder);
    return node;
  }
  void BeforeFolder() override { ++folders; }
  void RecordAppended(const core::TMsgBoxReport& record) override {
    paths += (records++ == 0 ? "" : ",") + record.folderPath;
  }
  void FolderOpened() override { opened = true; }
  void RowCountKnown(ULONG count) override { counted = count; }
  void RowRead(core::TOneFolderMessages message) override { rows.push_back(std::move(message)); }

  FolderWalkKind kind_;
  std::map<core::FolderNodeHandle, int> depths;
  std::string tree;   // pre-order, one '>' per level below the mailbox
  std::string paths;  // the statistics records' folder paths
  std::vector<core::FolderEntry> entries;
  std::vector<core::DetailsReport> reports;
  std::vector<core::TOneFolderMessages> rows;
  int failures = 0;
  int folders = 0;
  int records = 0;  // so that empty paths still count in `paths`
  bool opened = false;
  std::optional<ULONG> counted;
};

class FolderWalks : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    machine.BuildStandard();
  }
  void TearDown() override {
    if (session_) Close();
  }
  // The machine, the main window's session and the details window's
  // private store. Faults and folders must be in the database before.
  void Start() {
    ASSERT_TRUE(machine.Start("admin"));
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session_)), S_OK);
    ASSERT_EQ(core::OpenDetailsPrivateStore(session_.get(), &privateStore_), S_OK);
    source_ = {session_.get(), privateStore_.get(), core::PrivateMdbDn(kServerDn)};
  }
  void Close() {
    if (privateStore_) {
      ULONG flags = LOGOFF_NO_WAIT;
      privateStore_->StoreLogoff(&flags);
      privateStore_.reset();
    }
    session_->Logoff(0, 0, 0);
    session_.reset();
    mapi::MAPIUninitialize();
  }
  void ExpectBalanced(const std::string& why = {}) {
    Close();
    machine.ExpectBalanced(why);
  }
  Recorder Tree(const std::string& mailboxDn = kAdminDn) {
    Recorder r(FolderWalkKind::Tree);
    core::BuildFolderTree(source_, mailboxDn, 0, r);
    return r;
  }
  Recorder Statistics(std::vector<core::TMsgBoxReport>& records,
                      const std::string& mailboxDn = kAdminDn) {
    Recorder r(FolderWalkKind::Statistics);
    core::CollectFolderStatistics(source_, mailboxDn, "Administrator", records, r);
    return r;
  }
  // The entry ID of the admin's folder `name`, from a clean tree build.
  std::vector<BYTE> EntryIdOf(const std::string& name) {
    for (const auto& e : Tree().entries)
      if (e.displayName == name) return e.entryId;
    ADD_FAILURE() << "no folder " << name;
    return {};
  }
  std::int64_t AdminMailboxId() { return machine.org().FindMailboxByDn(kAdminDn)->id; }

  testsupport::MapiMachine machine{mapi::Flavour::Gui};
  mapi::ComPtr<IMAPISession> session_;
  mapi::ComPtr<IMsgStore> privateStore_;
  core::MailboxSource source_;
};

TEST_F(FolderWalks, TreeIsPreOrderWithoutTheTop) {
  Start();
  const Recorder r = Tree();
  EXPECT_EQ(r.tree, "Inbox,>Projects,Sent Items,Deleted Items");
  EXPECT_EQ(r.folders, 4);  // one pending-message turn per folder
  EXPECT_EQ(r.failures, 0);
  EXPECT_FALSE(r.entries[0].entryId.empty());
  EXPECT_TRUE(r.entries[0].subfolders);
  ExpectBalanced();
}

TEST_F(FolderWalks, StatisticsRecordEachFolderOwnFigures) {
  Start();
  std::vector<core::TMsgBoxReport> records;
  const Recorder r = Statistics(records);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(r.paths, "/Inbox,/Inbox/Projects,/Sent Items,/Deleted Items");
  // Inbox: 1024 + 2048 + 512 bytes of its own; Projects is not rolled up.
  EXPECT_EQ(records[0].mailbox, "Administrator");
  EXPECT_EQ(records[0].itemCount, 3);
  EXPECT_EQ(records[0].size, 3584u);
  EXPECT_EQ(records[1].size, 4096u);
  EXPECT_EQ(records[3].itemCount, 0);
  // A second walk appends to the same list.
  Statistics(records);
  EXPECT_EQ(records.size(), 8u);
  ExpectBalanced();
}

struct WalkCase {
  const char* why;
  const char* call;
  HRESULT hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  std::optional<std::uint32_t> flags;
  FolderWalkKind kind;
  const char* walked;  // tree nodes or record paths
  const char* report;  // null: none; the MAPI error text is checked by its start
  bool plain = false;
  const char* text = nullptr;  // an alteration's text
};

constexpr auto T = FolderWalkKind::Tree;
constexpr auto S = FolderWalkKind::Statistics;
const char* kFull = "Inbox,>Projects,Sent Items,Deleted Items";
const char* kPaths = "/Inbox,/Inbox/Projects,/Sent Items,/Deleted Items";
const char* kNoProjects = "Inbox,Sent Items,Deleted Items";
const char* kNoProjectsPaths = "/Inbox,/Sent Items,/Deleted Items";
const char* kMapiText = "*";  // the MAPI error text of the failing object

// One row per case; kept one line each for reading across.
// clang-format off
const WalkCase kWalkCases[] = {
    {"mailbox logon: a plain message with the code", "IExchangeManageStore::CreateStoreEntryID",
     MAPI_E_NOT_FOUND, {}, {}, {}, T, "", "Mailbox Not Available: Error 8004010F", true},
    {"the statistics walk reports the logon the same way",
     "IExchangeManageStore::CreateStoreEntryID", MAPI_E_NO_ACCESS, {}, {}, {}, S, "",
     "Mailbox Not Available: Error 80070005", true},
    {"top not found: silent in both walks", "IMAPIProp::GetProps", MAPI_E_NO_ACCESS, "store", {},
     {}, T, "", nullptr},
    {"top not found, statistics", "IMAPIProp::GetProps", E_FAIL, "store", {}, {}, S, "", nullptr},
    {"top not opened: silent in the tree build", "IMsgStore::OpenEntry", MAPI_E_NO_ACCESS, "folder",
     {}, {}, T, "", nullptr},
    {"top not opened: the store's text in the statistics walk", "IMsgStore::OpenEntry",
     MAPI_E_NO_ACCESS, "folder", {}, {}, S, "", kMapiText},
    {"the top's hierarchy table: nothing below it", "IMAPIFolder::GetHierarchyTable", E_FAIL,
     "Top of Information Store", {}, {}, T, "", "Error"},
    {"a level's hierarchy table: only that level is lost", "IMAPIFolder::GetHierarchyTable",
     EDK_E_NOT_FOUND, "Inbox", {}, {}, T, kNoProjects, "Error"},
    {"another code gives the MAPI error text", "IMAPIFolder::GetHierarchyTable",
     MAPI_E_NOT_ENOUGH_MEMORY, "Inbox", {}, {}, S, kNoProjectsPaths, kMapiText},
    {"row count of the top level", "IMAPITable::GetRowCount", E_FAIL, "hierarchy", 1, {}, T, "",
     "Error"},
    {"columns of the Inbox level", "IMAPITable::SetColumns", MAPI_E_NO_ACCESS, "hierarchy", 2, {},
     T, kNoProjects, kMapiText},
    {"rows of the Inbox level", "IMAPITable::QueryRows", E_FAIL, "hierarchy", 2, {}, S,
     kNoProjectsPaths, "Error"},
    {"opening Inbox's own row ends the top level", "IMAPIFolder::OpenEntry", E_FAIL, "folder", 1,
     {}, T, "", "Error"},
    {"opening Inbox as a subfolder ends the top level after its node", "IMAPIFolder::OpenEntry",
     E_FAIL, "folder", 2, {}, T, "Inbox", "Error"},
    {"opening Projects ends the Inbox level only", "IMAPIFolder::OpenEntry", EDK_E_NOT_FOUND,
     "folder", 3, {}, T, kNoProjects, "Error"},
    {"the tree build names no other code for an open", "IMAPIFolder::OpenEntry", MAPI_E_NO_ACCESS,
     "folder", 3, {}, T, kNoProjects, nullptr},
    {"the statistics walk names every code for an open", "IMAPIFolder::OpenEntry",
     MAPI_E_NO_ACCESS, "folder", 3, {}, S, kNoProjectsPaths, kMapiText},
    {"a provider that refuses MAPI_NO_CACHE is asked again without it", "IMAPIFolder::OpenEntry",
     MAPI_E_UNKNOWN_FLAGS, {}, {}, MAPI_NO_CACHE, T, kFull, nullptr},
    {"the same for the top and the statistics walk", "IMsgStore::OpenEntry", MAPI_E_UNKNOWN_FLAGS,
     {}, {}, MAPI_NO_CACHE, S, kPaths, nullptr},
    {"a folder's properties", "IMAPIProp::GetProps", E_FAIL, "folder", 2, {}, T, kNoProjects,
     "Error"},
    {"a folder's properties, another code", "IMAPIProp::GetProps", MAPI_E_NO_ACCESS, "folder", 1,
     {}, S, "", kMapiText},
    // Malformed answers rather than failures: the walk takes them as they
    // come and ends where its failure handling says.
    {"a row's entry ID of no bytes ends the level, silently in the tree", "IMAPITable::QueryRows/resize", PR_ENTRYID, "hierarchy", 1, {}, T, "", nullptr, false, "0"},
    {"the same in the statistics walk, with the MAPI text", "IMAPITable::QueryRows/resize", PR_ENTRYID, "hierarchy", 1, {}, S, "", kMapiText, false, "0"},
    {"a row's entry ID of 4 KiB", "IMAPITable::QueryRows/resize", PR_ENTRYID, "hierarchy", 1, {}, T, "", nullptr, false, "4096"},
    {"a folder's own entry ID of no bytes: its subfolders do not open", "IMAPIProp::GetProps/resize", PR_ENTRYID, "folder", 1, {}, T, "Inbox", nullptr, false, "0"},
    {"a folder's own entry ID of 4 KiB", "IMAPIProp::GetProps/resize", PR_ENTRYID, "folder", 1, {}, S, "/Inbox", kMapiText, false, "4096"},
    {"no PR_URL_NAME: an empty path", "IMAPIProp::GetProps/drop", PR_URL_NAME, "folder", 1, {}, S, ",/Inbox/Projects,/Sent Items,/Deleted Items", nullptr},
    {"PR_URL_NAME of another type: empty paths", "IMAPIProp::GetProps/retype", PROP_TAG(PT_LONG, PROP_ID(PR_URL_NAME)), "folder", {}, {}, S, ",,,", nullptr},
    {"a row count above the rows reads them all", "IMAPITable::GetRowCount/offset", 2, "hierarchy", {}, {}, T, kFull, nullptr},
    {"a row count far above the rows", "IMAPITable::GetRowCount/offset", 0x7FFFFFFF, "hierarchy", {}, {}, S, kPaths, nullptr},
    {"a row count below the rows: the last row is not read", "IMAPITable::GetRowCount/offset", -1, "hierarchy", 1, {}, T, "Inbox,>Projects,Sent Items", nullptr},
    {"a count of none for one row: the level is empty", "IMAPITable::GetRowCount/offset", -1, "hierarchy", 2, {}, T, kNoProjects, nullptr},
};
// clang-format on

class FolderWalkFailure : public FolderWalks, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(FolderWalkFailure, ReportsAndKeepsWhatWasWalked) {
  const WalkCase& c = GetParam();
  machine.AddFault(c.call, c.hr, c.match, c.nth, c.flags,
                   c.text ? std::optional<std::string>(c.text) : std::nullopt);
  Start();
  std::vector<core::TMsgBoxReport> records;
  const Recorder r = c.kind == T ? Tree() : Statistics(records);
  EXPECT_EQ(c.kind == T ? r.tree : r.paths, c.walked);
  if (!c.report) {
    EXPECT_TRUE(r.reports.empty()) << r.reports.front().text;
  } else {
    ASSERT_EQ(r.reports.size(), 1u);
    EXPECT_EQ(r.reports[0].box, c.plain ? core::ReportBox::Plain : core::ReportBox::Error);
    if (std::string(c.report) == kMapiText) {
      // Built from the failing object's own record by the MAPI layer's
      // routine, which its own tests pin; here: it is that text, not a
      // fixed one.
      EXPECT_NE(r.reports[0].text, "Error");
      EXPECT_NE(r.reports[0].text.find("Error"), std::string::npos) << r.reports[0].text;
    } else {
      EXPECT_EQ(r.reports[0].text, c.report);
    }
  }
  ExpectBalanced(c.why);
}

void PrintTo(const WalkCase& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

INSTANTIATE_TEST_SUITE_P(Step, FolderWalkFailure, ::testing::ValuesIn(kWalkCases),
                         testsupport::RowAndCall<WalkCase>);

TEST_F(FolderWalks, UnknownMailboxDnIsNotAvailable) {
  Start();
  const Recorder r = Tree("/o=Org/ou=Site/cn=Recipients/cn=nobody");
  ASSERT_EQ(r.reports.size(), 1u);
  EXPECT_EQ(r.reports[0].text.rfind("Mailbox Not Available: Error 8", 0), 0u) << r.reports[0].text;
  EXPECT_EQ(r.tree, "");
  ExpectBalanced();
}

// Folders that are odd in every way the store allows: each becomes a node
// or a record with what could be read, and the walk goes on.
TEST_F(FolderWalks, OddFoldersAreWalkedAsTheyCome) {
  auto& db = machine.org();
  const std::int64_t mailbox = AdminMailboxId();
  const std::int64_t top = db.TopFolder(mailbox)->id;
  const std::string longName(1000, 'x');
  db.AddFolder({0, mailbox, top, 3, "", "", false, 0, 0});
  db.AddFolder({0, mailbox, top, 4, longName, "/" + longName, false, 0, 0});
  db.AddFolder({0, mailbox, top, 5, "a\\b\r\nc", "/a\\b", false, 0, 0});
  // Children the store does not announce stay unread.
  const std::int64_t hidden = db.AddFolder({0, mailbox, top, 6, "Hidden", "/Hidden", false, 0, 0});
  db.AddFolder({0, mailbox, hidden, 0, "Unseen", "/Hidden/Unseen", false, 0, 0});
  Start();
  const Recorder r = Tree();
  EXPECT_EQ(r.tree, std::string(kFull) + ",," + longName + ",a\\b\r\nc,Hidden");
  std::vector<core::TMsgBoxReport> records;
  Statistics(records);
  ASSERT_EQ(records.size(), 8u);
  EXPECT_EQ(records[4].folderPath, "");
  EXPECT_EQ(records[5].folderPath.size(), 1001u);
  ExpectBalanced();
}

TEST_F(FolderWalks, EmptyTopGivesNoNodes) {
  auto& db = machine.org();
  orgdb::Mailbox m = *db.FindMailboxByDn(kAdminDn);
  m.id = 0;
  m.alias = "empty";
  m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=empty";
  m.tableOrder = 10;
  const std::int64_t id = db.AddMailbox(m);
  db.AddFolder({0, id, std::nullopt, 0, "Top of Information Store", "/", false, 0, 0});
  Start();
  const Recorder r = Tree(*m.emailAddress);
  EXPECT_EQ(r.tree, "");
  EXPECT_EQ(r.failures, 0);
  ExpectBalanced();
}

// --- The contents load ----------------------------------------------------

TEST_F(FolderWalks, ContentsComeInSubmitOrderWithTotals) {
  Start();
  const auto inbox = EntryIdOf("Inbox");
  Recorder r(T);
  const core::ContentsResult result = core::LoadFolderContents(source_, kAdminDn, inbox, r);
  EXPECT_EQ(result.hr, S_OK);
  EXPECT_EQ(result.count, 3u);
  EXPECT_EQ(result.total, 3584u);
  EXPECT_TRUE(r.opened);
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[0].size, 1024u);
  EXPECT_TRUE(r.rows[0].hasAttachment);
  EXPECT_FALSE(r.rows[1].hasAttachment);
  // 2006-02-01 09:01 UTC, the zone being UTC.
  ASSERT_TRUE(r.rows[0].deliveryTime);
  EXPECT_NEAR(*r.rows[0].deliveryTime, 38749.0 + (9 * 60 + 1) / 1440.0, 1e-9);
  Recorder sent(T);
  core::LoadFolderContents(source_, kAdminDn, EntryIdOf("Sent Items"), sent);
  ASSERT_EQ(sent.rows.size(), 1u);
  EXPECT_EQ(sent.rows[0].subject, "");
  ExpectBalanced();
}

TEST_F(FolderWalks, TotalOfAFolderDoesNotWrap) {
  auto& db = machine.org();
  const std::int64_t top = db.TopFolder(AdminMailboxId())->id;
  const std::int64_t big = db.AddFolder({0, AdminMailboxId(), top, 3, "Big", "/Big", false, 0, 0});
  // Three messages of 2 GiB - 1 byte: 6 GiB - 3 bytes in all.
  for (int i = 0; i < 3; ++i)
    db.AddMessage({0, big, "large", 0x7FFFFFFFu, false, 0x01C6272C1B4B8000ull + i, std::nullopt});
  Start();
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, EntryIdOf("Big"), r);
  EXPECT_EQ(result.total, 3ull * 0x7FFFFFFFu);
  ExpectBalanced();
}

// Messages that lack what they can lack: each becomes a row with the
// defaults, and the total counts what was there.
TEST_F(FolderWalks, OddMessagesBecomeRowsWithDefaults) {
  auto& db = machine.org();
  const std::int64_t top = db.TopFolder(AdminMailboxId())->id;
  const std::int64_t odd = db.AddFolder({0, AdminMailboxId(), top, 3, "Odd", "/Odd", false, 0, 0});
  const std::uint64_t submit = 0x01C6272C1B4B8000ull;
  db.AddMessage({0, odd, std::nullopt, 100, false, std::nullopt, submit});
  // A FILETIME past the last calendar date there is.
  db.AddMessage({0, odd, "far", 200, true, 0xFFFFFFFFFFFFFFFFull, submit + 1});
  db.AddMessage({0, odd, "", 0, false, submit, submit + 2});
  Start();
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, EntryIdOf("Odd"), r);
  EXPECT_EQ(result.hr, S_OK);
  EXPECT_EQ(result.total, 300u);
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[0].subject, "");
  EXPECT_FALSE(r.rows[0].deliveryTime);
  EXPECT_TRUE(r.rows[1].hasAttachment);
  EXPECT_FALSE(r.rows[1].deliveryTime);
  EXPECT_TRUE(r.rows[2].deliveryTime);
  ExpectBalanced();
}

struct ContentsCase {
  const char* why;
  const char* call;
  HRESULT hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  const char* report;
  bool opened;  // the previous rows were dropped
  ULONG count;
};

// clang-format off
const ContentsCase kContentsCases[] = {
    // The first logon and store open are the tree build's that finds the
    // folder's entry ID.
    {"logon: the system text of E_FAIL", "IExchangeManageStore::CreateStoreEntryID", E_FAIL, {}, 2,
     "Unspecified error", false, 0},
    {"folder open, E_FAIL", "IMsgStore::OpenEntry", E_FAIL, "folder", 2,
     "Can't  open \"Exchange Private Store\"", false, 0},
    {"folder open, 0x800B0001", "IMsgStore::OpenEntry", EDK_E_NOT_FOUND, "folder", 2,
     "Can't  open \"Exchange Private Store\"", false, 0},
    {"contents table: a MAPI code has no system text", "IMAPIFolder::GetContentsTable",
     MAPI_E_NOT_FOUND, {}, {}, "OLE error 8004010F", true, 0},
    {"columns", "IMAPITable::SetColumns", E_OUTOFMEMORY, "contents", {},
     "Not enough storage is available to complete this operation.", true, 0},
    {"sort", "IMAPITable::SortTable", MAPI_E_TOO_COMPLEX, "contents", {}, "OLE error 80040117",
     true, 0},
    {"row count", "IMAPITable::GetRowCount", E_INVALIDARG, "contents", {},
     "The parameter is incorrect.", true, 0},
    {"rows: the count stays the table's", "IMAPITable::QueryRows", MAPI_E_NO_ACCESS, "contents", {},
     "Access is denied.", true, 3},
};
// clang-format on

class ContentsFailure : public FolderWalks, public ::testing::WithParamInterface<ContentsCase> {};

TEST_P(ContentsFailure, RaisesOrReports) {
  const ContentsCase& c = GetParam();
  machine.AddFault(c.call, c.hr, c.match, c.nth);
  Start();
  const auto inbox = EntryIdOf("Inbox");
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, inbox, r);
  EXPECT_EQ(result.hr, c.hr);
  EXPECT_EQ(result.count, c.count);
  EXPECT_EQ(r.opened, c.opened);
  EXPECT_TRUE(r.rows.empty());
  ASSERT_EQ(r.reports.size(), 1u);
  EXPECT_EQ(r.reports[0].text, c.report);
  ExpectBalanced(c.why);
}

void PrintTo(const ContentsCase& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

INSTANTIATE_TEST_SUITE_P(Step, ContentsFailure, ::testing::ValuesIn(kContentsCases),
                         testsupport::RowAndCall<ContentsCase>);

// Malformed answers to the contents load.
struct ContentsAlteration {
  const char* why;
  const char* call;
  std::int32_t number;
  const char* match;
  const char* text;
  HRESULT hr;
  ULONG count;
  std::size_t rows;
};

// clang-format off
const ContentsAlteration kContentsAlterations[] = {
    {"an entry ID of 4 KiB from the tree does not open", "IMAPIProp::GetProps/resize", PR_ENTRYID, "folder", "4096", MAPI_E_INVALID_ENTRYID, 0, 0},
    {"a row count above the rows: the rows are read to their end", "IMAPITable::GetRowCount/offset", 2, "contents", nullptr, S_OK, 5, 3},
    {"a row count below the rows: the same", "IMAPITable::GetRowCount/offset", -2, "contents", nullptr, S_OK, 1, 3},
};
// clang-format on

class ContentsAltered : public FolderWalks,
                        public ::testing::WithParamInterface<ContentsAlteration> {};

TEST_P(ContentsAltered, EndsAsTheLoadSays) {
  const ContentsAlteration& c = GetParam();
  machine.AddFault(c.call, static_cast<HRESULT>(c.number), std::string(c.match), {}, {},
                   c.text ? std::optional<std::string>(c.text) : std::nullopt);
  Start();
  const auto inbox = EntryIdOf("Inbox");
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, inbox, r);
  EXPECT_EQ(result.hr, c.hr);
  EXPECT_EQ(result.count, c.count);
  EXPECT_EQ(r.rows.size(), c.rows);
  EXPECT_EQ(r.reports.size(), FAILED(c.hr) ? 1u : 0u);
  ExpectBalanced(c.why);
}

void PrintTo(const ContentsAlteration& c, std::ostream* os) {
  *os << c.why;
}

INSTANTIATE_TEST_SUITE_P(Alter, ContentsAltered, ::testing::ValuesIn(kContentsAlterations),
                         testsupport::RowAndCall<ContentsAlteration>);

TEST_F(FolderWalks, FolderDeletedBetweenTreeAndContents) {
  Start();
  const auto id = EntryIdOf("Deleted Items");
  for (const auto& f : machine.org().ChildFolders(machine.org().TopFolder(AdminMailboxId())->id))
    if (f.displayName == "Deleted Items") machine.org().RemoveFolder(f.id);
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, id, r);
  EXPECT_EQ(result.hr, MAPI_E_NOT_FOUND);
  EXPECT_FALSE(r.opened);
  // Not one of the two plain codes: the store's own text.
  ASSERT_EQ(r.reports.size(), 1u);
  EXPECT_NE(r.reports[0].text, "Can't  open \"Exchange Private Store\"");
  ExpectBalanced();
}

TEST_F(FolderWalks, FolderGoneBeforeItsContentsLoad) {
  Start();
  std::vector<BYTE> gone = EntryIdOf("Deleted Items");
  gone.back() ^= 0x7F;  // another folder id: one the mailbox does not hold
  Recorder r(T);
  const auto result = core::LoadFolderContents(source_, kAdminDn, gone, r);
  EXPECT_TRUE(FAILED(result.hr));
  EXPECT_FALSE(r.opened);
  ASSERT_EQ(r.reports.size(), 1u);
  // A folder whose entry ID has no bytes opens the store's root, which
  // holds no messages.
  Recorder empty(T);
  const auto root = core::LoadFolderContents(source_, kAdminDn, {}, empty);
  EXPECT_EQ(root.hr, S_OK);
  EXPECT_EQ(root.count, 0u);
  ExpectBalanced();
}

}  // namespace
