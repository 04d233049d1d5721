// The message-store table, private and administratively opened stores,
// IExchangeManageStore with the mailbox table, folders and their tables.
#include "SimLibrary.h"

using namespace simtest;

namespace {

constexpr char kSrv01[] = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
const std::string kRecipients = "/o=Org/ou=Site/cn=Recipients/cn=";

// 2006-02-01 09:00 UTC as a FILETIME.
constexpr std::uint64_t kFeb1At9 = 127830060000000000ull;
constexpr std::uint64_t kHour = 36000000000ull;

std::uint64_t FileTime(const SPropValue& v) {
  return (static_cast<std::uint64_t>(v.Value.ft.dwHighDateTime) << 32) | v.Value.ft.dwLowDateTime;
}

class StoreTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Prepare({.mailboxes = 3, .secondServer = true});
    session_ = LogonDefault();
    ASSERT_NE(session_, nullptr);
  }
  void TearDown() override {
    session_.reset();
    MachineTest::TearDown();
  }

  // The private store's entry ID, found as the programs find it.
  std::string PrivateStoreId() {
    Ref<IMAPITable> stores;
    EXPECT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
    SizedSPropTagArray<1> cols{1, {PR_ENTRYID}};
    SPropValue provider{};
    provider.ulPropTag = PR_MDB_PROVIDER;
    provider.Value.bin = {16, const_cast<BYTE*>(pbExchangeProviderPrimaryUserGuid)};
    SRestriction res{};
    res.rt = RES_PROPERTY;
    res.res.resProperty = {RELOP_EQ, PR_MDB_PROVIDER, &provider};
    Rows rows;
    EXPECT_EQ(Mapi().QueryAllRows(stores.get(), cols.get(), &res, nullptr, 0, Out(rows)), S_OK);
    EXPECT_EQ(rows->cRows, 1u);
    EXPECT_EQ(rows->aRow[0].cValues, 1u);
    return rows->cRows == 1 ? Bytes(rows->aRow[0].lpProps[0]) : "";
  }
  HRESULT OpenStore(const std::string& entryId, ULONG flags, Ref<IMsgStore>& store) {
    std::string id = entryId;
    return session_->OpenMsgStore(0, static_cast<ULONG>(id.size()),
                                  reinterpret_cast<LPENTRYID>(id.data()), &IID_IMsgStore, flags,
                                  Out(store));
  }
  Ref<IExchangeManageStore> ManageStore() {
    Ref<IMsgStore> store;
    EXPECT_EQ(OpenStore(PrivateStoreId(), 0x110, store), S_OK);
    Ref<IExchangeManageStore> manage;
    EXPECT_EQ(store->QueryInterface(IID_IExchangeManageStore, Out(manage)), S_OK);
    ULONG flags = LOGOFF_NO_WAIT;
    EXPECT_EQ(store->StoreLogoff(&flags), S_OK);
    return manage;
  }
  // A mailbox store opened with administrative privilege (flags 0xB1).
  HRESULT OpenMailbox(const std::string& mailboxDn, Ref<IMsgStore>& store,
                      const std::string& serverDn = kSrv01) {
    auto manage = ManageStore();
    std::string storeDn = serverDn + "/cn=Microsoft Private MDB", mailbox = mailboxDn;
    ULONG cb = 0;
    Buffer<ENTRYID> id;
    HRESULT hr = manage->CreateStoreEntryID(
        storeDn.data(), mailbox.data(), OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_TAKE_OWNERSHIP,
        &cb, Out(id));
    if (FAILED(hr)) return hr;
    return OpenStore(std::string(reinterpret_cast<char*>(id.get()), cb), 0xB1, store);
  }
  Ref<IMAPIFolder> OpenFolder(IMsgStore* store, const std::string& entryId) {
    std::string id = entryId;
    ULONG type = 0;
    Ref<IMAPIFolder> folder;
    EXPECT_EQ(
        store->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                         &IID_IMAPIFolder, 0x210, &type, Out(folder)),
        S_OK);
    EXPECT_EQ(type, MAPI_FOLDER);
    return folder;
  }
  Ref<IMAPIFolder> TopOfStore(IMsgStore* store) {
    LPSPropValue raw = nullptr;
    EXPECT_EQ(Mapi().GetOneProp(store, PR_IPM_SUBTREE_ENTRYID, &raw), S_OK);
    Buffer<SPropValue> subtree(raw);
    return OpenFolder(store, Bytes(*raw));
  }
  // The subfolder of `parent` with this display name.
  Ref<IMAPIFolder> Child(IMsgStore* store, IMAPIFolder* parent, const std::string& name) {
    Ref<IMAPITable> table;
    EXPECT_EQ(parent->GetHierarchyTable(0, Out(table)), S_OK);
    SizedSPropTagArray<2> cols{2, {PR_DISPLAY_NAME, PR_ENTRYID}};
    Rows rows;
    EXPECT_EQ(Mapi().QueryAllRows(table.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
    for (ULONG r = 0; r < rows->cRows; ++r)
      if (Text(rows->aRow[r].lpProps[0]) == name)
        return OpenFolder(store, Bytes(rows->aRow[r].lpProps[1]));
    ADD_FAILURE() << "no folder " << name;
    return nullptr;
  }

  Ref<IMAPISession> session_;
};

TEST_F(StoreTest, StoresTableListsPrivateAndPublicStores) {
  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  SizedSPropTagArray<4> cols{
      4, {PR_DISPLAY_NAME, PR_MDB_PROVIDER, PR_DEFAULT_STORE, PR_RESOURCE_FLAGS}};
  Rows rows;
  ASSERT_EQ(Mapi().QueryAllRows(stores.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
  ASSERT_EQ(rows->cRows, 2u);
  EXPECT_EQ(Text(rows->aRow[0].lpProps[0]), "Mailbox - Administrator");
  EXPECT_EQ(Bytes(rows->aRow[0].lpProps[1]),
            std::string(reinterpret_cast<const char*>(pbExchangeProviderPrimaryUserGuid), 16));
  EXPECT_TRUE(rows->aRow[0].lpProps[2].Value.b);
  EXPECT_EQ(Text(rows->aRow[1].lpProps[0]), "Public Folders");
  EXPECT_EQ(Hex(Bytes(rows->aRow[1].lpProps[1])), "70FAB278F7AFCD119BC800AA002FC45A");
  EXPECT_FALSE(rows->aRow[1].lpProps[2].Value.b);
  // The restriction on the provider picks the private store alone.
  EXPECT_FALSE(PrivateStoreId().empty());
}

TEST_F(StoreTest, PrivateStoreProperties) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenStore(PrivateStoreId(), 0x110, store), S_OK);
  SizedSPropTagArray<3> tags{3, {PR_DISPLAY_NAME, PR_MDB_PROVIDER, PR_IPM_SUBTREE_ENTRYID}};
  ULONG count = 0;
  Buffer<SPropValue> values;
  ASSERT_EQ(store->GetProps(tags.get(), 0, &count, Out(values)), S_OK);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(Text(values.get()[0]), "Mailbox - Administrator");
  EXPECT_EQ(values.get()[1].Value.bin.cb, 16u);
  EXPECT_EQ(values.get()[2].ulPropTag, PR_IPM_SUBTREE_ENTRYID);
}

TEST_F(StoreTest, OnlineModeAndReachabilityPerServer) {
  const std::string id = PrivateStoreId();
  auto server = *org().FindServerByName("SRV01");
  server.acceptsOnline = false;
  org().UpdateServer(server);
  Ref<IMsgStore> store;
  EXPECT_EQ(OpenStore(id, 0x110, store), MAPI_E_UNKNOWN_FLAGS);
  EXPECT_EQ(store, nullptr);
  ASSERT_EQ(OpenStore(id, 0x10, store), S_OK);
  store.reset();
  server.reachable = false;
  org().UpdateServer(server);
  EXPECT_EQ(OpenStore(id, 0x10, store), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(LastErrorText(session_.get()),
            "The Microsoft Exchange Server computer SRV01 is not available.");
  EXPECT_EQ(OpenStore("not an entry id", 0x10, store), MAPI_E_INVALID_ENTRYID);
}

TEST_F(StoreTest, RootFolderCarriesTheServerVersion) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenStore(PrivateStoreId(), 0x110, store), S_OK);
  ULONG type = 0;
  Ref<IMAPIFolder> root;
  ASSERT_EQ(store->OpenEntry(0, nullptr, nullptr, 0x210, &type, Out(root)), S_OK);
  EXPECT_EQ(type, MAPI_FOLDER);
  LPSPropValue raw = nullptr;
  ASSERT_EQ(Mapi().GetOneProp(root.get(), PR_REPLICA_VERSION, &raw), S_OK);
  Buffer<SPropValue> version(raw);
  EXPECT_EQ(raw->ulPropTag, PR_REPLICA_VERSION);
  EXPECT_EQ(static_cast<std::uint64_t>(raw->Value.li),
            (6ull << 48) | (5ull << 32) | (7638ull << 16) | 1ull);
  // A property the root does not have: its error, and nothing returned.
  raw = reinterpret_cast<LPSPropValue>(1);
  EXPECT_EQ(Mapi().GetOneProp(root.get(), PR_URL_NAME, &raw), MAPI_E_NOT_FOUND);
  EXPECT_EQ(raw, nullptr);
}

TEST_F(StoreTest, MailboxTableOutlivesTheStoreLogoff) {
  auto manage = ManageStore();  // the store is logged off and released already
  std::string dn = kSrv01;
  for (auto& c : dn) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Ref<IMAPITable> table;
  ASSERT_EQ(manage->GetMailboxTable(dn.data(), Out(table), 0), S_OK);
  SizedSPropTagArray<9> cols{
      9,
      {PR_EMAIL_ADDRESS, PR_DISPLAY_NAME, PR_NT_USER_NAME, PR_MESSAGE_SIZE_EXTENDED,
       PR_CONTENT_COUNT, PR_ASSOC_CONTENT_COUNT, PR_LAST_LOGON_TIME, PR_LAST_LOGOFF_TIME,
       PR_STORAGE_LIMIT_INFORMATION}};
  ASSERT_EQ(table->SetColumns(cols.get(), TBL_BATCH), S_OK);
  ULONG count = 0;
  ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, 3u);
  LONG sought = -1;
  ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, &sought), S_OK);
  EXPECT_EQ(sought, 0);
  Rows rows;
  ASSERT_EQ(table->QueryRows(50, 0, Out(rows)), S_OK);
  ASSERT_EQ(rows->cRows, 3u);
  const char* aliases[] = {"admin", "jsmith", "mobrien"};
  const char* names[] = {"Administrator", "Smith, John", "O'Brien, Mary"};
  const LONG limits[] = {1, 2, 4};
  for (ULONG i = 0; i < 3; ++i) {
    const SRow& row = rows->aRow[i];
    ASSERT_EQ(row.cValues, 9u);
    for (ULONG c = 0; c < 9; ++c) EXPECT_EQ(row.lpProps[c].ulPropTag, cols.aulPropTag[c]);
    EXPECT_EQ(Text(row.lpProps[0]), kRecipients + aliases[i]);
    EXPECT_EQ(Text(row.lpProps[1]), names[i]);
    EXPECT_EQ(Text(row.lpProps[2]), std::string("CORP\\") + aliases[i]);
    EXPECT_EQ(row.lpProps[3].Value.li, 9216 + 100 * static_cast<LONG>(i));
    EXPECT_EQ(row.lpProps[4].Value.l, 5);
    EXPECT_EQ(row.lpProps[5].Value.l, 2);
    EXPECT_EQ(FileTime(row.lpProps[7]) - FileTime(row.lpProps[6]), kHour);
    EXPECT_EQ(row.lpProps[8].Value.l, limits[i]);
  }
  Rows end;
  ASSERT_EQ(table->QueryRows(50, 0, Out(end)), S_OK);
  EXPECT_EQ(end->cRows, 0u);
}

TEST_F(StoreTest, AbsentMailboxColumnsComeBackAsErrors) {
  orgdb::Mailbox bare;
  bare.serverId = org().FindServerByName("SRV01")->id;
  bare.tableOrder = 10;
  bare.alias = "bare";
  bare.emailAddress = kRecipients + "bare";
  org().AddMailbox(bare);
  auto manage = ManageStore();
  std::string dn = kSrv01;
  Ref<IMAPITable> table;
  ASSERT_EQ(manage->GetMailboxTable(dn.data(), Out(table), 0), S_OK);
  ASSERT_EQ(table->SeekRow(BOOKMARK_END, -1, nullptr), S_OK);
  Rows rows;
  ASSERT_EQ(table->QueryRows(1, 0, Out(rows)), S_OK);  // default columns: the nine
  ASSERT_EQ(rows->cRows, 1u);
  const SRow& row = rows->aRow[0];
  ASSERT_EQ(row.cValues, 9u);
  EXPECT_EQ(Text(row.lpProps[0]), kRecipients + "bare");
  for (ULONG c = 1; c < 9; ++c) {
    EXPECT_EQ(PROP_TYPE(row.lpProps[c].ulPropTag), PT_ERROR) << c;
    EXPECT_EQ(row.lpProps[c].Value.err, MAPI_E_NOT_FOUND) << c;
  }
  EXPECT_EQ(row.lpProps[3].ulPropTag, CHANGE_PROP_TYPE(PR_MESSAGE_SIZE_EXTENDED, PT_ERROR));
}

TEST_F(StoreTest, MailboxTableOfUnknownOrUnreachableServers) {
  auto manage = ManageStore();
  Ref<IMAPITable> table;
  std::string unknown = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV99";
  EXPECT_EQ(manage->GetMailboxTable(unknown.data(), Out(table), 0), MAPI_E_NOT_FOUND);
  auto server = *org().FindServerByName("SRV02");
  server.reachable = false;
  org().UpdateServer(server);
  std::string srv02 = server.legacyDn;
  EXPECT_EQ(manage->GetMailboxTable(srv02.data(), Out(table), 0), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(table, nullptr);
  // No name: the store's own server.
  ASSERT_EQ(manage->GetMailboxTable(nullptr, Out(table), 0), S_OK);
  ULONG count = 0;
  ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, 3u);
}

TEST_F(StoreTest, AdministrativeOpenOfAnotherMailbox) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenMailbox(kRecipients + "jsmith", store), S_OK);
  LPSPropValue raw = nullptr;
  ASSERT_EQ(Mapi().GetOneProp(store.get(), PR_DISPLAY_NAME, &raw), S_OK);
  Buffer<SPropValue> name(raw);
  EXPECT_EQ(Text(*raw), "Mailbox - Smith, John");

  // The folder walk of the details window: one level with one QueryRows,
  // each row opened as IMAPIProp for its properties.
  auto top = TopOfStore(store.get());
  Ref<IMAPITable> level;
  ASSERT_EQ(top->GetHierarchyTable(0, Out(level)), S_OK);
  ULONG n = 0;
  ASSERT_EQ(level->GetRowCount(0, &n), S_OK);
  ASSERT_EQ(n, 3u);
  SizedSPropTagArray<1> idOnly{1, {PR_ENTRYID}};
  ASSERT_EQ(level->SetColumns(idOnly.get(), 0), S_OK);
  Rows rows;
  ASSERT_EQ(level->QueryRows(static_cast<LONG>(n), 0, Out(rows)), S_OK);
  std::string seen;
  for (ULONG r = 0; r < rows->cRows; ++r) {
    std::string id = Bytes(rows->aRow[r].lpProps[0]);
    ULONG type = 0;
    Ref<IMAPIProp> folder;
    ASSERT_EQ(top->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                             &IID_IMAPIProp, 0x210, &type, Out(folder)),
              S_OK);
    SizedSPropTagArray<3> tags{3, {PR_DISPLAY_NAME, PR_ENTRYID, PR_SUBFOLDERS}};
    ULONG count = 0;
    Buffer<SPropValue> values;
    ASSERT_EQ(folder->GetProps(tags.get(), 0, &count, Out(values)), S_OK);
    seen += Text(values.get()[0]) + (values.get()[2].Value.b ? "+" : "") + ";";
    EXPECT_EQ(Bytes(values.get()[1]), id);
  }
  EXPECT_EQ(seen, "Inbox+;Sent Items;Deleted Items;");
  ULONG flags = LOGOFF_NO_WAIT;
  EXPECT_EQ(store->StoreLogoff(&flags), S_OK);
  Buffer<SPropValue> after;
  ULONG count = 0;
  EXPECT_EQ(store->GetProps(idOnly.get(), 0, &count, Out(after)), MAPI_E_END_OF_SESSION);
}

TEST_F(StoreTest, AdministrativeOpenOfMissingMailboxes) {
  Ref<IMsgStore> store;
  EXPECT_EQ(OpenMailbox(kRecipients + "nobody", store), MAPI_E_NOT_FOUND);
  EXPECT_EQ(OpenMailbox(kRecipients + "srv2user1", store), MAPI_E_NOT_FOUND)
      << "a mailbox of SRV02 is not in SRV01's store";
  EXPECT_EQ(OpenMailbox(kRecipients + "jsmith", store,
                        "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV77"),
            MAPI_E_NOT_FOUND);
  EXPECT_EQ(LastErrorText(session_.get()),
            "The server \"/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV77\" does not exist.");
  EXPECT_EQ(store, nullptr);
  ASSERT_EQ(
      OpenMailbox(kRecipients + "SRV2USER1", store, org().FindServerByName("SRV02")->legacyDn),
      S_OK);
}

TEST_F(StoreTest, FolderStatisticsWholeTree) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenMailbox(kRecipients + "mobrien", store), S_OK);
  auto top = TopOfStore(store.get());
  Ref<IMAPITable> tree;
  ASSERT_EQ(top->GetHierarchyTable(CONVENIENT_DEPTH, Out(tree)), S_OK);
  SizedSPropTagArray<5> cols{
      5, {PR_DISPLAY_NAME, PR_URL_NAME, PR_CONTENT_COUNT, PR_MESSAGE_SIZE, PR_DEPTH}};
  Rows rows;
  ASSERT_EQ(Mapi().QueryAllRows(tree.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
  std::string listing;
  for (ULONG r = 0; r < rows->cRows; ++r) {
    const SPropValue* v = rows->aRow[r].lpProps;
    listing += Text(v[0]) + "|" + Text(v[1]) + "|" + std::to_string(v[2].Value.l) + "|" +
               std::to_string(v[3].Value.l) + "|" + std::to_string(v[4].Value.l) + "\n";
  }
  EXPECT_EQ(listing,
            "Inbox|/Inbox|3|3584|0\n"
            "Projects|/Inbox/Projects|1|4096|1\n"
            "Sent Items|/Sent Items|1|1736|0\n"
            "Deleted Items|/Deleted Items|0|0|0\n");
}

TEST_F(StoreTest, ContentsTableSortsBySubmitTime) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenMailbox(kRecipients + "jsmith", store), S_OK);
  auto top = TopOfStore(store.get());
  auto inbox = Child(store.get(), top.get(), "Inbox");
  Ref<IMAPITable> contents;
  ASSERT_EQ(inbox->GetContentsTable(0, Out(contents)), S_OK);
  SizedSPropTagArray<4> cols{4,
                             {PR_HASATTACH, PR_SUBJECT, PR_MESSAGE_SIZE, PR_MESSAGE_DELIVERY_TIME}};
  ASSERT_EQ(contents->SetColumns(cols.get(), 0), S_OK);
  auto read = [&](ULONG order) {
    SSortOrderSet sort{1, 0, 0, {{PR_CLIENT_SUBMIT_TIME, order}}};
    EXPECT_EQ(contents->SortTable(&sort, 0), S_OK);
    Rows rows;
    EXPECT_EQ(contents->QueryRows(50, 0, Out(rows)), S_OK);
    std::string out;
    for (ULONG r = 0; r < rows->cRows; ++r) {
      const SPropValue* v = rows->aRow[r].lpProps;
      out += (v[0].Value.b ? "@" : "") + std::to_string(v[2].Value.l) + ",";
      EXPECT_EQ(v[1].ulPropTag, PR_SUBJECT);
      EXPECT_EQ(v[3].ulPropTag, PR_MESSAGE_DELIVERY_TIME);
    }
    return out;
  };
  EXPECT_EQ(read(TABLE_SORT_ASCEND), "@1024,2048,512,");
  EXPECT_EQ(read(TABLE_SORT_DESCEND), "512,2048,@1024,");

  // Sent Items: a message without a subject; delivered a minute after submission.
  auto sent = Child(store.get(), top.get(), "Sent Items");
  Ref<IMAPITable> sentContents;
  ASSERT_EQ(sent->GetContentsTable(0, Out(sentContents)), S_OK);
  SizedSPropTagArray<3> more{3, {PR_SUBJECT, PR_CLIENT_SUBMIT_TIME, PR_MESSAGE_DELIVERY_TIME}};
  Rows rows;
  ASSERT_EQ(Mapi().QueryAllRows(sentContents.get(), more.get(), nullptr, nullptr, 0, Out(rows)),
            S_OK);
  ASSERT_EQ(rows->cRows, 1u);
  EXPECT_EQ(rows->aRow[0].lpProps[0].ulPropTag, CHANGE_PROP_TYPE(PR_SUBJECT, PT_ERROR));
  EXPECT_EQ(FileTime(rows->aRow[0].lpProps[2]) - FileTime(rows->aRow[0].lpProps[1]), kHour / 60);
  EXPECT_GE(FileTime(rows->aRow[0].lpProps[1]), kFeb1At9);
}

TEST_F(StoreTest, FolderOpenRefusals) {
  Ref<IMsgStore> store;
  ASSERT_EQ(OpenMailbox(kRecipients + "jsmith", store), S_OK);
  auto top = TopOfStore(store.get());
  std::string junk = "junk entry id";
  ULONG type = 0;
  Ref<IMAPIFolder> folder;
  EXPECT_EQ(
      top->OpenEntry(static_cast<ULONG>(junk.size()), reinterpret_cast<LPENTRYID>(junk.data()),
                     &IID_IMAPIFolder, 0x210, &type, Out(folder)),
      MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(store->OpenEntry(0, nullptr, nullptr, 0x4000, &type, Out(folder)),
            MAPI_E_UNKNOWN_FLAGS);
  EXPECT_EQ(store->OpenEntry(0, nullptr, &IID_IAddrBook, 0x10, &type, Out(folder)),
            MAPI_E_INTERFACE_NOT_SUPPORTED);
  // A folder of another mailbox does not open in this store.
  Ref<IMsgStore> other;
  ASSERT_EQ(OpenMailbox(kRecipients + "mobrien", other), S_OK);
  LPSPropValue raw = nullptr;
  ASSERT_EQ(Mapi().GetOneProp(other.get(), PR_IPM_SUBTREE_ENTRYID, &raw), S_OK);
  Buffer<SPropValue> foreign(raw);
  EXPECT_EQ(store->OpenEntry(raw->Value.bin.cb, reinterpret_cast<LPENTRYID>(raw->Value.bin.lpb),
                             nullptr, 0x10, &type, Out(folder)),
            MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(folder, nullptr);
  EXPECT_FALSE(LastErrorText(store.get()).empty());
}

}  // namespace
