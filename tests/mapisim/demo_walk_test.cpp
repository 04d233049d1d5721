// A client that walks the whole demo organisation through the exported
// functions and interfaces alone, as the programs would: every server's
// mailbox table, every mailbox's folder tree and contents, every directory
// entry's NT account; and ends holding nothing.
#include <map>
#include <set>

#include "SimLibrary.h"

using namespace simtest;

namespace {

constexpr char kPrivateMdb[] = "/cn=Microsoft Private MDB";

struct Totals {
  int servers = 0;
  int mailboxes = 0;
  int folders = 0;
  std::int64_t messages = 0;
  int galEntries = 0;
  int ntAccounts = 0;
};

class DemoWalkTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    orgdb::MachineSetupOptions setup;
    setup.organisationDb = TABRIX_DEMO_ORG;
    setup.defaultProfileMailbox = "admin";
    setup.defaultProfileServer = "SRV01";
    PrepareMachine(setup);
  }

  // Server DNs from the directory entries' home stores.
  std::set<std::string> WalkDirectory(IAddrBook* book, Totals& totals) {
    ULONG type = 0;
    Ref<IMAPIContainer> root;
    EXPECT_EQ(book->OpenEntry(0, nullptr, nullptr, MAPI_DEFERRED_ERRORS, &type, Out(root)), S_OK);
    Ref<IMAPITable> hierarchy;
    EXPECT_EQ(root->GetHierarchyTable(CONVENIENT_DEPTH | MAPI_DEFERRED_ERRORS, Out(hierarchy)),
              S_OK);
    SPropValue values[2] = {};
    values[0].ulPropTag = PR_AB_PROVIDER_ID;
    values[0].Value.bin = {16, const_cast<BYTE*>(MUIDEMSAB)};
    values[1].ulPropTag = PR_EMS_AB_CONTAINERID;
    SRestriction terms[2] = {};
    terms[0].rt = terms[1].rt = RES_PROPERTY;
    terms[0].res.resProperty = {RELOP_EQ, PR_AB_PROVIDER_ID, &values[0]};
    terms[1].res.resProperty = {RELOP_EQ, PR_EMS_AB_CONTAINERID, &values[1]};
    SRestriction both{};
    both.rt = RES_AND;
    both.res.resAnd = {2, terms};
    SizedSPropTagArray<1> idCol{1, {PR_ENTRYID}};
    Rows galRow;
    EXPECT_EQ(Mapi().QueryAllRows(hierarchy.get(), idCol.get(), &both, nullptr, 0, Out(galRow)),
              S_OK);
    EXPECT_EQ(galRow->cRows, 1u);
    std::string galId = Bytes(galRow->aRow[0].lpProps[0]);
    Ref<IABContainer> gal;
    EXPECT_EQ(
        book->OpenEntry(static_cast<ULONG>(galId.size()), reinterpret_cast<LPENTRYID>(galId.data()),
                        &IID_IMAPIContainer, 0x18, &type, Out(gal)),
        S_OK);

    Ref<IMAPITable> contents;
    EXPECT_EQ(gal->GetContentsTable(0, Out(contents)), S_OK);
    SizedSPropTagArray<2> cols{2, {PR_EMAIL_ADDRESS, PR_EMS_AB_HOME_MDB}};
    Rows entries;
    EXPECT_EQ(Mapi().QueryAllRows(contents.get(), cols.get(), nullptr, nullptr, 0, Out(entries)),
              S_OK);
    std::set<std::string> servers;
    for (ULONG i = 0; i < entries->cRows; ++i) {
      const SPropValue* v = entries->aRow[i].lpProps;
      ++totals.galEntries;
      if (v[1].ulPropTag == PR_EMS_AB_HOME_MDB) {
        std::string mdb = Text(v[1]);
        if (auto at = mdb.find(kPrivateMdb); at != std::string::npos)
          servers.insert(mdb.substr(0, at));
      }
      if (HasNtAccount(book, gal.get(), "EX:" + Text(v[0]))) ++totals.ntAccounts;
    }
    return servers;
  }

  // Resolves the address as the console does and reads the NT account.
  bool HasNtAccount(IAddrBook* book, IABContainer* gal, const std::string& address) {
    std::string name = address;
    SPropValue values[2] = {};
    values[0].ulPropTag = PR_DISPLAY_NAME;
    values[0].Value.lpszA = name.data();
    values[1].ulPropTag = PR_RECIPIENT_TYPE;
    values[1].Value.l = MAPI_TO;
    void* p = nullptr;
    EXPECT_EQ(Mapi().AllocateBuffer(CbNewADRLIST(1), &p), S_OK);
    std::unique_ptr<ADRLIST, LPFREEPADRLIST> list(static_cast<ADRLIST*>(p), Mapi().FreePadrlist);
    list->cEntries = 1;
    list->aEntries[0].cValues = 2;
    EXPECT_EQ(Mapi().DupPropset(2, values, Mapi().AllocateBuffer, &list->aEntries[0].rgPropVals),
              S_OK);
    FlagList flags{1, {MAPI_UNRESOLVED}};
    SizedSPropTagArray<2> cols{2, {PR_ENTRYID, PR_SEND_RICH_INFO}};
    EXPECT_EQ(gal->ResolveNames(cols.get(), EMS_AB_ADDRESS_LOOKUP, list.get(), &flags), S_OK);
    if (flags.ulFlag[0] != MAPI_RESOLVED) {
      ADD_FAILURE() << address << " did not resolve";
      return false;
    }
    std::string id = Bytes(list->aEntries[0].rgPropVals[0]);
    ULONG type = 0;
    Ref<IMAPIProp> user;
    EXPECT_EQ(book->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                              &IID_IMAPIProp, MAPI_DEFERRED_ERRORS, &type, Out(user)),
              S_OK);
    SizedSPropTagArray<1> nt{1, {PR_EMS_AB_ASSOC_NT_ACCOUNT}};
    ULONG count = 0;
    Buffer<SPropValue> sid;
    const HRESULT hr = user->GetProps(nt.get(), 0, &count, Out(sid));
    EXPECT_TRUE(hr == S_OK || hr == MAPI_W_ERRORS_RETURNED) << address;
    return hr == S_OK && sid.get()[0].ulPropTag == PR_EMS_AB_ASSOC_NT_ACCOUNT &&
           sid.get()[0].Value.bin.cb >= 8;
  }

  // Every mailbox address of a server's mailbox table, read in batches of 50.
  std::vector<std::string> MailboxTable(IExchangeManageStore* manage, const std::string& serverDn) {
    std::string dn = serverDn;
    Ref<IMAPITable> table;
    EXPECT_EQ(manage->GetMailboxTable(dn.data(), Out(table), 0), S_OK);
    SizedSPropTagArray<9> cols{
        9,
        {PR_EMAIL_ADDRESS, PR_DISPLAY_NAME, PR_NT_USER_NAME, PR_MESSAGE_SIZE_EXTENDED,
         PR_CONTENT_COUNT, PR_ASSOC_CONTENT_COUNT, PR_LAST_LOGON_TIME, PR_LAST_LOGOFF_TIME,
         PR_STORAGE_LIMIT_INFORMATION}};
    EXPECT_EQ(table->SetColumns(cols.get(), TBL_BATCH), S_OK);
    ULONG count = 0;
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr), S_OK);
    std::vector<std::string> addresses;
    for (;;) {
      Rows rows;
      EXPECT_EQ(table->QueryRows(50, 0, Out(rows)), S_OK);
      if (!rows || rows->cRows == 0) break;
      for (ULONG r = 0; r < rows->cRows; ++r) addresses.push_back(Text(rows->aRow[r].lpProps[0]));
    }
    EXPECT_EQ(addresses.size(), count);
    return addresses;
  }

  // One folder level, as the details window reads it, with each folder's
  // contents read in batches of 50 and checked against its own statistics.
  void WalkLevel(IMAPIFolder* parent, Totals& totals) {
    Ref<IMAPITable> level;
    ASSERT_EQ(parent->GetHierarchyTable(0, Out(level)), S_OK);
    ULONG n = 0;
    ASSERT_EQ(level->GetRowCount(0, &n), S_OK);
    if (n == 0) return;
    SizedSPropTagArray<1> idCol{1, {PR_ENTRYID}};
    ASSERT_EQ(level->SetColumns(idCol.get(), 0), S_OK);
    Rows rows;
    ASSERT_EQ(level->QueryRows(static_cast<LONG>(n), 0, Out(rows)), S_OK);
    for (ULONG r = 0; r < rows->cRows; ++r) {
      std::string id = Bytes(rows->aRow[r].lpProps[0]);
      ULONG type = 0;
      Ref<IMAPIFolder> folder;
      ASSERT_EQ(
          parent->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                            &IID_IMAPIFolder, 0x210, &type, Out(folder)),
          S_OK);
      SizedSPropTagArray<4> tags{
          4, {PR_DISPLAY_NAME, PR_SUBFOLDERS, PR_CONTENT_COUNT, PR_MESSAGE_SIZE}};
      ULONG count = 0;
      Buffer<SPropValue> v;
      ASSERT_EQ(folder->GetProps(tags.get(), 0, &count, Out(v)), S_OK);
      ++totals.folders;
      const auto [messages, bytes] = ReadContents(folder.get());
      EXPECT_EQ(messages, v.get()[2].Value.l) << Text(v.get()[0]);
      EXPECT_EQ(static_cast<ULONG>(bytes), static_cast<ULONG>(v.get()[3].Value.l))
          << Text(v.get()[0]);
      totals.messages += messages;
      if (v.get()[1].Value.b) WalkLevel(folder.get(), totals);
    }
  }

  std::pair<LONG, std::uint64_t> ReadContents(IMAPIFolder* folder) {
    Ref<IMAPITable> contents;
    EXPECT_EQ(folder->GetContentsTable(0, Out(contents)), S_OK);
    SizedSPropTagArray<4> cols{
        4, {PR_HASATTACH, PR_SUBJECT, PR_MESSAGE_SIZE, PR_MESSAGE_DELIVERY_TIME}};
    EXPECT_EQ(contents->SetColumns(cols.get(), 0), S_OK);
    SSortOrderSet sort{1, 0, 0, {{PR_CLIENT_SUBMIT_TIME, TABLE_SORT_ASCEND}}};
    EXPECT_EQ(contents->SortTable(&sort, 0), S_OK);
    LONG messages = 0;
    std::uint64_t bytes = 0;
    for (;;) {
      Rows rows;
      EXPECT_EQ(contents->QueryRows(50, 0, Out(rows)), S_OK);
      if (!rows || rows->cRows == 0) break;
      for (ULONG r = 0; r < rows->cRows; ++r)
        bytes += static_cast<ULONG>(rows->aRow[r].lpProps[2].Value.l);
      messages += static_cast<LONG>(rows->cRows);
    }
    return {messages, bytes};
  }
};

TEST_F(DemoWalkTest, WholeOrganisationAndNothingLeftBehind) {
  Totals totals;
  {
    Ref<IMAPISession> session = LogonDefault();
    ASSERT_NE(session, nullptr);
    Ref<IAddrBook> book;
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, Out(book)), S_OK);
    const std::set<std::string> servers = WalkDirectory(book.get(), totals);

    // The private store, its management interface, and the store logged off.
    Ref<IMAPITable> stores;
    ASSERT_EQ(session->GetMsgStoresTable(0, Out(stores)), S_OK);
    SizedSPropTagArray<1> idCol{1, {PR_ENTRYID}};
    SPropValue provider{};
    provider.ulPropTag = PR_MDB_PROVIDER;
    provider.Value.bin = {16, const_cast<BYTE*>(pbExchangeProviderPrimaryUserGuid)};
    SRestriction res{};
    res.rt = RES_PROPERTY;
    res.res.resProperty = {RELOP_EQ, PR_MDB_PROVIDER, &provider};
    Rows storeRow;
    ASSERT_EQ(Mapi().QueryAllRows(stores.get(), idCol.get(), &res, nullptr, 0, Out(storeRow)),
              S_OK);
    std::string storeId = Bytes(storeRow->aRow[0].lpProps[0]);
    Ref<IMsgStore> own;
    ASSERT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(storeId.size()),
                                    reinterpret_cast<LPENTRYID>(storeId.data()), &IID_IMsgStore,
                                    0x111, Out(own)),
              S_OK);
    Ref<IExchangeManageStore> manage;
    ASSERT_EQ(own->QueryInterface(IID_IExchangeManageStore, Out(manage)), S_OK);
    ULONG logoff = LOGOFF_NO_WAIT;
    ASSERT_EQ(own->StoreLogoff(&logoff), S_OK);
    own.reset();

    for (const auto& serverDn : servers) {
      ++totals.servers;
      for (const auto& mailboxDn : MailboxTable(manage.get(), serverDn)) {
        ++totals.mailboxes;
        std::string storeDn = serverDn + kPrivateMdb, mailbox = mailboxDn;
        ULONG cb = 0;
        Buffer<ENTRYID> id;
        ASSERT_EQ(manage->CreateStoreEntryID(
                      storeDn.data(), mailbox.data(),
                      OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_TAKE_OWNERSHIP, &cb, Out(id)),
                  S_OK);
        Ref<IMsgStore> store;
        ASSERT_EQ(session->OpenMsgStore(0, cb, id.get(), &IID_IMsgStore, 0xB1, Out(store)), S_OK)
            << mailboxDn;
        LPSPropValue raw = nullptr;
        if (Mapi().GetOneProp(store.get(), PR_IPM_SUBTREE_ENTRYID, &raw) == S_OK) {
          Buffer<SPropValue> subtree(raw);
          ULONG type = 0;
          Ref<IMAPIFolder> top;
          ASSERT_EQ(
              store->OpenEntry(raw->Value.bin.cb, reinterpret_cast<LPENTRYID>(raw->Value.bin.lpb),
                               &IID_IMAPIFolder, 0x210, &type, Out(top)),
              S_OK);
          WalkLevel(top.get(), totals);
        }
        ULONG flags = LOGOFF_NO_WAIT;
        EXPECT_EQ(store->StoreLogoff(&flags), S_OK);
      }
    }
    EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
  }
  // The demo: 3 servers, a few hundred mailboxes with their folders and
  // messages, a directory entry per mailbox, most with an NT account.
  EXPECT_EQ(totals.servers, 3);
  EXPECT_GT(totals.mailboxes, 200);
  EXPECT_GT(totals.folders, totals.mailboxes);
  EXPECT_GT(totals.messages, totals.folders);
  EXPECT_EQ(totals.galEntries, totals.mailboxes);
  EXPECT_GT(totals.ntAccounts, totals.galEntries / 2);
  RecordProperty("mailboxes", totals.mailboxes);
  RecordProperty("folders", totals.folders);
  RecordProperty("messages", static_cast<int>(totals.messages));

  Mapi().Uninitialize();
  --initialised_;
  const TabrixSimAccounting a = Mapi().Accounting();
  EXPECT_EQ(a.liveObjects, 0u);
  EXPECT_EQ(a.outstandingBuffers, 0u);
  EXPECT_EQ(a.openSessions, 0u);
  EXPECT_EQ(a.initializeCount, 0u);
  std::printf("walked %d servers, %d mailboxes, %d folders, %lld messages, %d NT accounts\n",
              totals.servers, totals.mailboxes, totals.folders,
              static_cast<long long>(totals.messages), totals.ntAccounts);
}

}  // namespace
