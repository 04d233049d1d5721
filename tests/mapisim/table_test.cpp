// The table engine: cursor, batches, restrictions, sort orders,
// HrQueryAllRows limits, and a contents table of 200,000 messages.
#include <algorithm>
#include <deque>

#include "SimLibrary.h"

using namespace simtest;

namespace {

constexpr char kSrv01[] = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
constexpr std::int64_t kMailboxes = 120;

// Builds restrictions whose parts stay where they are.
class Restrictions {
 public:
  SRestriction* Property(ULONG relop, ULONG tag, SPropValue value) {
    values_.push_back(value);
    SRestriction* r = New();
    r->rt = RES_PROPERTY;
    r->res.resProperty = {relop, tag, &values_.back()};
    return r;
  }
  SRestriction* Long(ULONG relop, ULONG tag, LONG v) {
    SPropValue p{};
    p.ulPropTag = tag;
    p.Value.l = v;
    return Property(relop, tag, p);
  }
  SRestriction* I8(ULONG relop, ULONG tag, std::int64_t v) {
    SPropValue p{};
    p.ulPropTag = tag;
    p.Value.li = v;
    return Property(relop, tag, p);
  }
  SRestriction* Text(ULONG relop, ULONG tag, const char* v) {
    texts_.emplace_back(v);
    SPropValue p{};
    p.ulPropTag = tag;
    p.Value.lpszA = texts_.back().data();
    return Property(relop, tag, p);
  }
  SRestriction* Binary(ULONG relop, ULONG tag, const BYTE* bytes, ULONG cb) {
    SPropValue p{};
    p.ulPropTag = tag;
    p.Value.bin = {cb, const_cast<BYTE*>(bytes)};
    return Property(relop, tag, p);
  }
  SRestriction* Bool(ULONG relop, ULONG tag, bool v) {
    SPropValue p{};
    p.ulPropTag = tag;
    p.Value.b = v;
    return Property(relop, tag, p);
  }
  SRestriction* Exist(ULONG tag) {
    SRestriction* r = New();
    r->rt = RES_EXIST;
    r->res.resExist = {0, tag, 0};
    return r;
  }
  SRestriction* Join(ULONG rt, std::initializer_list<SRestriction*> parts) {
    arrays_.emplace_back();
    for (auto* p : parts) arrays_.back().push_back(*p);
    SRestriction* r = New();
    r->rt = rt;
    r->res.resAnd = {static_cast<ULONG>(parts.size()), arrays_.back().data()};
    return r;
  }
  SRestriction* Not(SRestriction* inner) {
    SRestriction* r = New();
    r->rt = RES_NOT;
    r->res.resNot = {0, inner};
    return r;
  }

 private:
  SRestriction* New() {
    nodes_.emplace_back();
    return &nodes_.back();
  }
  std::deque<SRestriction> nodes_;
  std::deque<SPropValue> values_;
  std::deque<std::string> texts_;
  std::deque<std::vector<SRestriction>> arrays_;
};

class TableTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Prepare({.mailboxes = static_cast<int>(kMailboxes)});
    session_ = LogonDefault();
  }
  void TearDown() override {
    table_.reset();
    session_.reset();
    MachineTest::TearDown();
  }
  Ref<IMAPITable> MailboxTable() {
    Ref<IMAPITable> stores;
    EXPECT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
    Rows rows;
    EXPECT_EQ(stores->QueryRows(1, 0, Out(rows)), S_OK);  // the private store comes first
    std::string id = Bytes(rows->aRow[0].lpProps[0]);
    Ref<IMsgStore> store;
    EXPECT_EQ(
        session_->OpenMsgStore(0, static_cast<ULONG>(id.size()),
                               reinterpret_cast<LPENTRYID>(id.data()), nullptr, 0x10, Out(store)),
        S_OK);
    Ref<IExchangeManageStore> manage;
    EXPECT_EQ(store->QueryInterface(IID_IExchangeManageStore, Out(manage)), S_OK);
    std::string dn = kSrv01;
    Ref<IMAPITable> table;
    EXPECT_EQ(manage->GetMailboxTable(dn.data(), Out(table), 0), S_OK);
    return table;
  }
  // The display name of the row at the cursor, without moving it.
  std::string AtCursor() {
    SizedSPropTagArray<1> cols{1, {PR_DISPLAY_NAME}};
    EXPECT_EQ(table_->SetColumns(cols.get(), 0), S_OK);
    Rows rows;
    EXPECT_EQ(table_->QueryRows(1, TBL_NOADVANCE, Out(rows)), S_OK);
    return rows->cRows ? Text(rows->aRow[0].lpProps[0]) : "<end>";
  }
  ULONG Count() {
    ULONG n = 0;
    EXPECT_EQ(table_->GetRowCount(0, &n), S_OK);
    return n;
  }

  Ref<IMAPISession> session_;
  Ref<IMAPITable> table_;
};

TEST_F(TableTest, RowsComeInBatchesUntilAnEmptyOne) {
  table_ = MailboxTable();
  std::vector<ULONG> batches;
  for (;;) {
    Rows rows;
    ASSERT_EQ(table_->QueryRows(50, 0, Out(rows)), S_OK);
    batches.push_back(rows->cRows);
    if (rows->cRows == 0) break;
  }
  EXPECT_EQ(batches, (std::vector<ULONG>{50, 50, 20, 0}));
  EXPECT_EQ(Mapi().Accounting().outstandingBuffers, 0u);
}

TEST_F(TableTest, SeekRowMovesAndClampsTheCursor) {
  table_ = MailboxTable();
  const auto names = ReadColumn(table_.get(), PR_DISPLAY_NAME);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kMailboxes));
  struct Step {
    BOOKMARK origin;
    LONG rows;
    LONG sought;
    LONG cursor;  // afterwards
  };
  const Step steps[] = {
      {BOOKMARK_BEGINNING, 10, 10, 10}, {BOOKMARK_CURRENT, 5, 5, 15},
      {BOOKMARK_CURRENT, -100, -15, 0}, {BOOKMARK_END, 0, 0, 120},
      {BOOKMARK_END, -1, -1, 119},      {BOOKMARK_BEGINNING, -3, 0, 0},
      {BOOKMARK_END, 5, 0, 120},        {BOOKMARK_CURRENT, -20, -20, 100},
  };
  for (const auto& s : steps) {
    LONG sought = 12345;
    ASSERT_EQ(table_->SeekRow(s.origin, s.rows, &sought), S_OK);
    EXPECT_EQ(sought, s.sought) << s.origin << " " << s.rows;
    EXPECT_EQ(AtCursor(), s.cursor < kMailboxes ? names[s.cursor] : "<end>");
  }
  EXPECT_EQ(table_->SeekRow(7, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
  // Reading backwards returns the rows before the cursor in table order.
  ASSERT_EQ(table_->SeekRow(BOOKMARK_BEGINNING, 3, nullptr), S_OK);
  Rows back;
  ASSERT_EQ(table_->QueryRows(-5, 0, Out(back)), S_OK);
  ASSERT_EQ(back->cRows, 3u);
  EXPECT_EQ(Text(back->aRow[0].lpProps[0]), names[0]);
  EXPECT_EQ(Text(back->aRow[2].lpProps[0]), names[2]);
  EXPECT_EQ(AtCursor(), names[0]);
}

struct RestrictionCase {
  const char* what;
  std::function<SRestriction*(Restrictions&)> make;
  ULONG rows;
};

TEST_F(TableTest, RestrictionsOnEveryValueKind) {
  // One more mailbox with nothing but its address: a row without most
  // values, which no property comparison matches.
  orgdb::Mailbox bare;
  bare.serverId = org().FindServerByName("SRV01")->id;
  bare.tableOrder = 500;
  bare.alias = "bare";
  bare.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=bare";
  org().AddMailbox(bare);
  table_ = MailboxTable();
  ASSERT_EQ(Count(), 121u);
  // Storage limits cycle 1, 2, 4, 8, 16; sizes are 9216 + 100 * i bytes.
  const ULONG limit = PR_STORAGE_LIMIT_INFORMATION;
  const RestrictionCase cases[] = {
      {"limit = 4", [&](Restrictions& r) { return r.Long(RELOP_EQ, limit, 4); }, 24},
      {"limit != 1", [&](Restrictions& r) { return r.Long(RELOP_NE, limit, 1); }, 96},
      {"limit < 4", [&](Restrictions& r) { return r.Long(RELOP_LT, limit, 4); }, 48},
      {"limit <= 4", [&](Restrictions& r) { return r.Long(RELOP_LE, limit, 4); }, 72},
      {"limit > 8", [&](Restrictions& r) { return r.Long(RELOP_GT, limit, 8); }, 24},
      {"limit >= 8", [&](Restrictions& r) { return r.Long(RELOP_GE, limit, 8); }, 48},
      {"size > 19216",
       [&](Restrictions& r) { return r.I8(RELOP_GT, PR_MESSAGE_SIZE_EXTENDED, 19216); }, 19},
      {"name = smith, john",
       [&](Restrictions& r) { return r.Text(RELOP_EQ, PR_DISPLAY_NAME, "smith, JOHN"); }, 1},
      {"name < B", [&](Restrictions& r) { return r.Text(RELOP_LT, PR_DISPLAY_NAME, "B"); }, 1},
      {"limit = 1 and size < 10216",
       [&](Restrictions& r) {
         return r.Join(RES_AND, {r.Long(RELOP_EQ, limit, 1),
                                 r.I8(RELOP_LT, PR_MESSAGE_SIZE_EXTENDED, 10216)});
       },
       2},
      {"two names",
       [&](Restrictions& r) {
         return r.Join(RES_OR, {r.Text(RELOP_EQ, PR_DISPLAY_NAME, "Administrator"),
                                r.Text(RELOP_EQ, PR_DISPLAY_NAME, "O'Brien, Mary")});
       },
       2},
      {"not limit = 1", [&](Restrictions& r) { return r.Not(r.Long(RELOP_EQ, limit, 1)); }, 97},
      {"NT user name exists", [&](Restrictions& r) { return r.Exist(PR_NT_USER_NAME); }, 120},
      {"empty AND", [&](Restrictions& r) { return r.Join(RES_AND, {}); }, 121},
      {"empty OR", [&](Restrictions& r) { return r.Join(RES_OR, {}); }, 0},
  };
  for (const auto& c : cases) {
    Restrictions r;
    ASSERT_EQ(table_->Restrict(c.make(r), 0), S_OK) << c.what;
    EXPECT_EQ(Count(), c.rows) << c.what;
    EXPECT_EQ(ReadColumn(table_.get(), PR_EMAIL_ADDRESS).size(), c.rows) << c.what;
  }
  ASSERT_EQ(table_->Restrict(nullptr, 0), S_OK);
  EXPECT_EQ(Count(), 121u);
}

TEST_F(TableTest, BinaryAndBooleanRestrictions) {
  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  table_ = std::move(stores);
  Restrictions r;
  ASSERT_EQ(table_->Restrict(r.Bool(RELOP_EQ, PR_DEFAULT_STORE, true), 0), S_OK);
  EXPECT_EQ(ReadColumn(table_.get(), PR_DISPLAY_NAME),
            std::vector<std::string>{"Mailbox - Administrator"});
  ASSERT_EQ(table_->Restrict(
                r.Binary(RELOP_NE, PR_MDB_PROVIDER, pbExchangeProviderPrimaryUserGuid, 16), 0),
            S_OK);
  EXPECT_EQ(ReadColumn(table_.get(), PR_DISPLAY_NAME), std::vector<std::string>{"Public Folders"});
  // A shorter value that is a prefix sorts first.
  ASSERT_EQ(
      table_->Restrict(r.Binary(RELOP_GT, PR_MDB_PROVIDER, pbExchangeProviderPublicGuid, 15), 0),
      S_OK);
  EXPECT_EQ(ReadColumn(table_.get(), PR_DISPLAY_NAME), std::vector<std::string>{"Public Folders"});
}

TEST_F(TableTest, RestrictionsThisProviderRefuses) {
  table_ = MailboxTable();
  Restrictions r;
  SRestriction content{};
  content.rt = RES_CONTENT;
  EXPECT_EQ(table_->Restrict(&content, 0), MAPI_E_TOO_COMPLEX);
  EXPECT_EQ(table_->Restrict(r.Text(RELOP_RE, PR_DISPLAY_NAME, "A.*"), 0), MAPI_E_TOO_COMPLEX);
  SRestriction noValue{};
  noValue.rt = RES_PROPERTY;
  noValue.res.resProperty = {RELOP_EQ, PR_DISPLAY_NAME, nullptr};
  EXPECT_EQ(table_->Restrict(&noValue, 0), MAPI_E_INVALID_PARAMETER);
  // A chain of NOTs deeper than any real restriction.
  std::vector<SRestriction> chain(200);
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    chain[i].rt = RES_NOT;
    chain[i].res.resNot = {0, &chain[i + 1]};
  }
  chain.back() = *r.Exist(PR_DISPLAY_NAME);
  EXPECT_EQ(table_->Restrict(chain.data(), 0), MAPI_E_TOO_COMPLEX);
  EXPECT_FALSE(LastErrorText(table_.get()).empty());
  EXPECT_EQ(Count(), 120u) << "a refused restriction leaves the table as it was";
}

TEST_F(TableTest, SortByAnyColumnsWithAbsentValuesFirst) {
  orgdb::Mailbox nameless;
  nameless.serverId = org().FindServerByName("SRV01")->id;
  nameless.tableOrder = 60;  // in the middle of the table
  nameless.alias = "nameless";
  nameless.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=nameless";
  nameless.storageLimit = 2;
  org().AddMailbox(nameless);
  table_ = MailboxTable();
  auto names = ReadColumn(table_.get(), PR_DISPLAY_NAME);
  auto caseless = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::toupper(static_cast<unsigned char>(x)) <
             std::toupper(static_cast<unsigned char>(y));
    });
  };
  std::erase(names, "-");
  std::stable_sort(names.begin(), names.end(), caseless);

  SSortOrderSet ascending{1, 0, 0, {{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}}};
  ASSERT_EQ(table_->SortTable(&ascending, 0), S_OK);
  auto sorted = ReadColumn(table_.get(), PR_DISPLAY_NAME);
  ASSERT_EQ(sorted.size(), 121u);
  EXPECT_EQ(sorted.front(), "-") << "the row without a name sorts first";
  EXPECT_TRUE(std::equal(names.begin(), names.end(), sorted.begin() + 1));

  SSortOrderSet descending{1, 0, 0, {{PR_DISPLAY_NAME, TABLE_SORT_DESCEND}}};
  ASSERT_EQ(table_->SortTable(&descending, 0), S_OK);
  sorted = ReadColumn(table_.get(), PR_DISPLAY_NAME);
  EXPECT_EQ(sorted.back(), "-");
  EXPECT_TRUE(std::equal(names.rbegin(), names.rend(), sorted.begin()));

  // Two keys: storage limit ascending, then size descending.
  struct {
    ULONG cSorts, cCategories, cExpanded;
    SSortOrder aSort[2];
  } twoKeys{2,
            0,
            0,
            {{PR_STORAGE_LIMIT_INFORMATION, TABLE_SORT_ASCEND},
             {PR_MESSAGE_SIZE_EXTENDED, TABLE_SORT_DESCEND}}};
  ASSERT_EQ(table_->SortTable(reinterpret_cast<LPSSortOrderSet>(&twoKeys), 0), S_OK);
  SizedSPropTagArray<2> cols{2, {PR_STORAGE_LIMIT_INFORMATION, PR_MESSAGE_SIZE_EXTENDED}};
  Rows rows;
  ASSERT_EQ(Mapi().QueryAllRows(table_.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
  for (ULONG i = 1; i < rows->cRows; ++i) {
    const SPropValue* a = rows->aRow[i - 1].lpProps;
    const SPropValue* b = rows->aRow[i].lpProps;
    ASSERT_LE(a[0].Value.l, b[0].Value.l) << i;
    if (a[0].Value.l == b[0].Value.l && PROP_TYPE(a[1].ulPropTag) == PT_I8 &&
        PROP_TYPE(b[1].ulPropTag) == PT_I8) {
      ASSERT_GE(a[1].Value.li, b[1].Value.li) << i;
    }
  }
  SSortOrderSet categorised{1, 1, 0, {{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}}};
  EXPECT_EQ(table_->SortTable(&categorised, 0), MAPI_E_TOO_COMPLEX);
}

TEST_F(TableTest, QueryAllRowsHonoursTheLimit) {
  table_ = MailboxTable();
  SizedSPropTagArray<1> cols{1, {PR_EMAIL_ADDRESS}};
  Rows rows;
  EXPECT_EQ(Mapi().QueryAllRows(table_.get(), cols.get(), nullptr, nullptr, 120, Out(rows)), S_OK);
  EXPECT_EQ(rows->cRows, 120u);
  Restrictions r;
  EXPECT_EQ(
      Mapi().QueryAllRows(table_.get(), nullptr, r.Exist(PR_DISPLAY_NAME), nullptr, 119, Out(rows)),
      MAPI_E_TABLE_TOO_BIG);
  EXPECT_EQ(rows, nullptr);
  EXPECT_EQ(Mapi().QueryAllRows(table_.get(), nullptr, nullptr, nullptr, -1, Out(rows)),
            MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(Mapi().QueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, Out(rows)),
            MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(Mapi().Accounting().outstandingBuffers, 0u);
}

TEST_F(TableTest, TwoHundredThousandMessagesStream) {
  const auto admin = *org().FindMailboxByDn("/o=Org/ou=Site/cn=Recipients/cn=admin");
  const auto top = *org().TopFolder(admin.id);
  orgdb::Folder archive;
  archive.mailboxId = admin.id;
  archive.parentId = top.id;
  archive.position = 99;
  archive.displayName = "Archive";
  archive.urlName = "/Archive";
  const std::int64_t folderId = org().AddFolder(archive);
  orgdb::GeneratedMessages generated;
  generated.seed = 7;
  generated.count = 200000;
  org().SetGeneratedMessages(folderId, generated);

  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  Rows storeRows;
  ASSERT_EQ(stores->QueryRows(1, 0, Out(storeRows)), S_OK);
  std::string storeId = Bytes(storeRows->aRow[0].lpProps[0]);
  Ref<IMsgStore> store;
  ASSERT_EQ(session_->OpenMsgStore(0, static_cast<ULONG>(storeId.size()),
                                   reinterpret_cast<LPENTRYID>(storeId.data()), nullptr, 0x10,
                                   Out(store)),
            S_OK);
  LPSPropValue raw = nullptr;
  ASSERT_EQ(Mapi().GetOneProp(store.get(), PR_IPM_SUBTREE_ENTRYID, &raw), S_OK);
  Buffer<SPropValue> subtree(raw);
  ULONG type = 0;
  Ref<IMAPIFolder> topFolder;
  ASSERT_EQ(store->OpenEntry(raw->Value.bin.cb, reinterpret_cast<LPENTRYID>(raw->Value.bin.lpb),
                             &IID_IMAPIFolder, 0x210, &type, Out(topFolder)),
            S_OK);
  Ref<IMAPITable> level;
  ASSERT_EQ(topFolder->GetHierarchyTable(0, Out(level)), S_OK);
  Restrictions r;
  SizedSPropTagArray<1> idCol{1, {PR_ENTRYID}};
  Rows found;
  ASSERT_EQ(
      Mapi().QueryAllRows(level.get(), idCol.get(), r.Text(RELOP_EQ, PR_DISPLAY_NAME, "Archive"),
                          nullptr, 0, Out(found)),
      S_OK);
  ASSERT_EQ(found->cRows, 1u);
  Ref<IMAPIFolder> folder;
  std::string folderEntry = Bytes(found->aRow[0].lpProps[0]);
  ASSERT_EQ(store->OpenEntry(static_cast<ULONG>(folderEntry.size()),
                             reinterpret_cast<LPENTRYID>(folderEntry.data()), &IID_IMAPIFolder,
                             0x210, &type, Out(folder)),
            S_OK);
  ASSERT_EQ(folder->GetContentsTable(0, Out(table_)), S_OK);
  EXPECT_EQ(Count(), 200000u);

  SizedSPropTagArray<2> cols{2, {PR_CLIENT_SUBMIT_TIME, PR_MESSAGE_SIZE}};
  ASSERT_EQ(table_->SetColumns(cols.get(), 0), S_OK);
  auto submitTimes = [&](LONG n) {
    Rows rows;
    EXPECT_EQ(table_->QueryRows(n, 0, Out(rows)), S_OK);
    std::vector<std::uint64_t> times;
    for (ULONG i = 0; i < rows->cRows; ++i) {
      const FILETIME& ft = rows->aRow[i].lpProps[0].Value.ft;
      times.push_back((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    }
    return times;
  };
  SSortOrderSet ascending{1, 0, 0, {{PR_CLIENT_SUBMIT_TIME, TABLE_SORT_ASCEND}}};
  ASSERT_EQ(table_->SortTable(&ascending, 0), S_OK);
  const auto first = submitTimes(50);
  ASSERT_EQ(first.size(), 50u);
  EXPECT_TRUE(std::is_sorted(first.begin(), first.end()));
  ASSERT_EQ(table_->SeekRow(BOOKMARK_END, -50, nullptr), S_OK);
  const auto last = submitTimes(50);
  ASSERT_EQ(last.size(), 50u);
  EXPECT_TRUE(std::is_sorted(last.begin(), last.end()));
  EXPECT_LE(first.back(), last.front());

  SSortOrderSet descending{1, 0, 0, {{PR_CLIENT_SUBMIT_TIME, TABLE_SORT_DESCEND}}};
  ASSERT_EQ(table_->SortTable(&descending, 0), S_OK);
  const auto newest = submitTimes(50);
  ASSERT_EQ(newest.size(), 50u);
  EXPECT_EQ(newest.front(), last.back());
  EXPECT_TRUE(std::is_sorted(newest.rbegin(), newest.rend()));
  EXPECT_EQ(Count(), 200000u);
}

}  // namespace
