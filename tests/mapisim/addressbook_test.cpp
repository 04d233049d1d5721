// The address book: the root's hierarchy, the Global Address List,
// ResolveNames, mail users and the session's identity.
#include <chrono>
#include <cstring>
#include <thread>

#include "SimLibrary.h"

using namespace simtest;

namespace {

const std::string kRecipients = "/o=Org/ou=Site/cn=Recipients/cn=";

class AddressBookTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Prepare();
    session_ = LogonDefault();
    ASSERT_EQ(session_->OpenAddressBook(0, nullptr, AB_NO_DIALOG, Out(book_)), S_OK);
  }
  void TearDown() override {
    gal_.reset();
    book_.reset();
    session_.reset();
    MachineTest::TearDown();
  }
  Ref<IMAPITable> RootHierarchy() {
    ULONG type = 0;
    Ref<IMAPIContainer> root;
    EXPECT_EQ(book_->OpenEntry(0, nullptr, nullptr, MAPI_DEFERRED_ERRORS, &type, Out(root)), S_OK);
    EXPECT_EQ(type, MAPI_ABCONT);
    Ref<IMAPITable> table;
    EXPECT_EQ(root->GetHierarchyTable(CONVENIENT_DEPTH | MAPI_DEFERRED_ERRORS, Out(table)), S_OK);
    return table;
  }
  // Rows of the root hierarchy matching the provider and/or container terms.
  ULONG Matching(bool provider, bool container, std::string* entryId = nullptr) {
    auto table = RootHierarchy();
    SPropValue values[2] = {};
    values[0].ulPropTag = PR_AB_PROVIDER_ID;
    values[0].Value.bin = {16, const_cast<BYTE*>(MUIDEMSAB)};
    values[1].ulPropTag = PR_EMS_AB_CONTAINERID;
    values[1].Value.l = 0;
    SRestriction terms[2] = {};
    terms[0].rt = terms[1].rt = RES_PROPERTY;
    terms[0].res.resProperty = {RELOP_EQ, PR_AB_PROVIDER_ID, &values[0]};
    terms[1].res.resProperty = {RELOP_EQ, PR_EMS_AB_CONTAINERID, &values[1]};
    SRestriction both{};
    both.rt = RES_AND;
    both.res.resAnd = {2, terms};
    SRestriction* res = provider && container ? &both : provider ? &terms[0] : &terms[1];
    SizedSPropTagArray<1> cols{1, {PR_ENTRYID}};
    Rows rows;
    EXPECT_EQ(Mapi().QueryAllRows(table.get(), cols.get(), res, nullptr, 0, Out(rows)), S_OK);
    if (entryId && rows->cRows == 1) *entryId = Bytes(rows->aRow[0].lpProps[0]);
    return rows->cRows;
  }
  void OpenGal() {
    std::string id;
    ASSERT_EQ(Matching(true, true, &id), 1u);
    ULONG type = 0;
    ASSERT_EQ(book_->OpenEntry(static_cast<ULONG>(id.size()),
                               reinterpret_cast<LPENTRYID>(id.data()), &IID_IMAPIContainer,
                               MAPI_BEST_ACCESS | MAPI_DEFERRED_ERRORS, &type, Out(gal_)),
              S_OK);
    EXPECT_EQ(type, MAPI_ABCONT);
  }
  // An address list of one entry made as the console makes it: the values
  // copied with ScDupPropset into the list.
  ADRLIST* OneEntry(const std::string& displayName) {
    std::string name = displayName;
    void* p = nullptr;
    EXPECT_EQ(Mapi().AllocateBuffer(2 * sizeof(SPropValue), &p), S_OK);
    Buffer<SPropValue> values(static_cast<SPropValue*>(p));
    values.get()[0].ulPropTag = PR_DISPLAY_NAME;
    values.get()[0].Value.lpszA = name.data();
    values.get()[1].ulPropTag = PR_RECIPIENT_TYPE;
    values.get()[1].Value.l = MAPI_TO;
    EXPECT_EQ(Mapi().AllocateBuffer(CbNewADRLIST(1), &p), S_OK);
    auto* list = static_cast<ADRLIST*>(p);
    list->cEntries = 1;
    list->aEntries[0].ulReserved1 = 0;
    list->aEntries[0].cValues = 2;
    EXPECT_EQ(
        Mapi().DupPropset(2, values.get(), Mapi().AllocateBuffer, &list->aEntries[0].rgPropVals),
        S_OK);
    return list;
  }
  struct Resolved {
    ULONG flag;
    ULONG cValues;
    std::string entryId;
    bool richInfo = false;
  };
  Resolved Resolve(const std::string& displayName) {
    ADRLIST* list = OneEntry(displayName);
    FlagList flags{1, {MAPI_UNRESOLVED}};
    SizedSPropTagArray<2> cols{2, {PR_ENTRYID, PR_SEND_RICH_INFO}};
    Ref<IABContainer> container;
    EXPECT_EQ(gal_->QueryInterface(IID_IABContainer, Out(container)), S_OK);
    EXPECT_EQ(container->ResolveNames(cols.get(), EMS_AB_ADDRESS_LOOKUP, list, &flags), S_OK);
    Resolved r{flags.ulFlag[0], list->aEntries[0].cValues, {}};
    if (r.flag == MAPI_RESOLVED) {
      EXPECT_EQ(list->aEntries[0].rgPropVals[0].ulPropTag, PR_ENTRYID);
      EXPECT_EQ(list->aEntries[0].rgPropVals[1].ulPropTag, PR_SEND_RICH_INFO);
      r.entryId = Bytes(list->aEntries[0].rgPropVals[0]);
      r.richInfo = list->aEntries[0].rgPropVals[1].Value.b != 0;
    } else {
      EXPECT_STREQ(list->aEntries[0].rgPropVals[0].Value.lpszA, displayName.c_str());
    }
    // One buffer for the list and one for the entry's values: the old values
    // were freed when the new ones came.
    EXPECT_EQ(Mapi().Accounting().outstandingBuffers, 2u);
    Mapi().FreePadrlist(list);
    return r;
  }
  HRESULT NtAccount(const std::string& entryId, std::string* sid, ULONG* tag) {
    std::string id = entryId;
    ULONG type = 0;
    Ref<IMAPIProp> user;
    HRESULT hr =
        book_->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                         &IID_IMAPIProp, MAPI_DEFERRED_ERRORS, &type, Out(user));
    if (FAILED(hr)) return hr;
    EXPECT_EQ(type, MAPI_MAILUSER);
    SizedSPropTagArray<1> cols{1, {PR_EMS_AB_ASSOC_NT_ACCOUNT}};
    ULONG count = 0;
    Buffer<SPropValue> values;
    hr = user->GetProps(cols.get(), 0, &count, Out(values));
    EXPECT_EQ(count, 1u);
    *tag = values.get()[0].ulPropTag;
    if (*tag == PR_EMS_AB_ASSOC_NT_ACCOUNT) *sid = Bytes(values.get()[0]);
    return hr;
  }
  std::string Sid(const std::string& alias) {
    auto mailbox = *org().FindMailboxByDn(kRecipients + alias);
    auto bytes =
        orgdb::SidFromString("S-1-5-21-1000-2000-3000-" + std::to_string(1000 + mailbox.id));
    return std::string(bytes.begin(), bytes.end());
  }

  Ref<IMAPISession> session_;
  Ref<IAddrBook> book_;
  Ref<IMAPIContainer> gal_;
};

TEST_F(AddressBookTest, OnlyTheAndOfBothTermsFindsTheGal) {
  EXPECT_EQ(Matching(true, true), 1u);
  EXPECT_EQ(Matching(true, false), 2u) << "another Exchange container has a non-zero ID";
  EXPECT_EQ(Matching(false, true), 2u) << "another provider's container";
  OpenGal();
  LPSPropValue raw = nullptr;
  ASSERT_EQ(Mapi().GetOneProp(gal_.get(), PR_DISPLAY_NAME, &raw), S_OK);
  Buffer<SPropValue> name(raw);
  EXPECT_EQ(Text(*raw), "Global Address List");
}

TEST_F(AddressBookTest, ResolveNamesMatchesExactAddresses) {
  OpenGal();
  std::string upper = "EX:" + kRecipients + "jsmith";
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const Resolved one = Resolve(upper);
  EXPECT_EQ(one.flag, MAPI_RESOLVED);
  EXPECT_EQ(one.cValues, 2u);
  EXPECT_TRUE(one.richInfo);
  std::string sid;
  ULONG tag = 0;
  EXPECT_EQ(NtAccount(one.entryId, &sid, &tag), S_OK);
  EXPECT_EQ(sid, Sid("jsmith"));

  EXPECT_EQ(Resolve("EX:" + kRecipients + "nobody").flag, MAPI_UNRESOLVED);
  EXPECT_EQ(Resolve("EX:" + kRecipients).flag, MAPI_UNRESOLVED) << "a prefix is no match";
  EXPECT_EQ(Resolve(kRecipients + "jsmith").flag, MAPI_UNRESOLVED) << "no address type";

  // A second directory entry with the same address makes it ambiguous.
  orgdb::GalEntry twin;
  twin.displayName = "John Smith (old)";
  twin.alias = "jsmith-old";
  twin.address = kRecipients + "JSMITH";
  org().AddGalEntry(twin);
  const Resolved two = Resolve("EX:" + kRecipients + "jsmith");
  EXPECT_EQ(two.flag, MAPI_AMBIGUOUS);
  EXPECT_EQ(two.cValues, 2u) << "an ambiguous entry keeps its values";
}

TEST_F(AddressBookTest, EntryCommittedDuringARunIsResolved) {
  OpenGal();
  // Long enough for the file's last write to count as settled, so that the
  // second lookup answers from what the first one read.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::string address = "EX:" + kRecipients + "latecomer";
  EXPECT_EQ(Resolve(address).flag, MAPI_UNRESOLVED);
  EXPECT_EQ(Resolve(address).flag, MAPI_UNRESOLVED);
  orgdb::GalEntry late;
  late.displayName = "Late Comer";
  late.alias = "latecomer";
  late.address = kRecipients + "latecomer";
  org().AddGalEntry(late);
  EXPECT_EQ(Resolve(address).flag, MAPI_RESOLVED);
}

TEST_F(AddressBookTest, ResolveNamesSkipsResolvedEntriesAndChecksItsArguments) {
  OpenGal();
  Ref<IABContainer> container;
  ASSERT_EQ(gal_->QueryInterface(IID_IABContainer, Out(container)), S_OK);
  ADRLIST* list = OneEntry("EX:" + kRecipients + "admin");
  FlagList resolved{1, {MAPI_RESOLVED}};
  ASSERT_EQ(container->ResolveNames(nullptr, EMS_AB_ADDRESS_LOOKUP, list, &resolved), S_OK);
  EXPECT_EQ(list->aEntries[0].cValues, 2u);
  EXPECT_STREQ(list->aEntries[0].rgPropVals[0].Value.lpszA,
               ("EX:" + kRecipients + "admin").c_str());
  struct {
    ULONG cFlags;
    ULONG ulFlag[2];
  } mismatched{2, {MAPI_UNRESOLVED, MAPI_UNRESOLVED}};
  EXPECT_EQ(container->ResolveNames(nullptr, EMS_AB_ADDRESS_LOOKUP, list,
                                    reinterpret_cast<LPFlagList>(&mismatched)),
            MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(container->ResolveNames(nullptr, 0, nullptr, &resolved), MAPI_E_INVALID_PARAMETER);
  // Without the address flag a display name is matched.
  FlagList unresolved{1, {MAPI_UNRESOLVED}};
  Mapi().FreePadrlist(list);
  list = OneEntry("o'brien, mary");
  ASSERT_EQ(container->ResolveNames(nullptr, 0, list, &unresolved), S_OK);
  EXPECT_EQ(unresolved.ulFlag[0], MAPI_RESOLVED);
  const SPropValue* email = Find(list->aEntries[0], PR_EMAIL_ADDRESS);
  ASSERT_NE(email, nullptr);
  EXPECT_EQ(Text(*email), kRecipients + "mobrien");
  Mapi().FreePadrlist(list);
}

TEST_F(AddressBookTest, MailUserWithoutNtAccountWarns) {
  orgdb::GalEntry contact;
  contact.displayName = "Room 101";
  contact.alias = "room101";
  contact.address = kRecipients + "room101";
  org().AddGalEntry(contact);
  OpenGal();
  const Resolved r = Resolve("EX:" + kRecipients + "room101");
  ASSERT_EQ(r.flag, MAPI_RESOLVED);
  std::string sid;
  ULONG tag = 0;
  EXPECT_EQ(NtAccount(r.entryId, &sid, &tag), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(tag, CHANGE_PROP_TYPE(PR_EMS_AB_ASSOC_NT_ACCOUNT, PT_ERROR));
}

TEST_F(AddressBookTest, GalContentsListEveryEntry) {
  OpenGal();
  Ref<IMAPITable> contents;
  ASSERT_EQ(gal_->GetContentsTable(0, Out(contents)), S_OK);
  auto addresses = ReadColumn(contents.get(), PR_EMAIL_ADDRESS);
  std::sort(addresses.begin(), addresses.end());
  EXPECT_EQ(addresses, (std::vector<std::string>{kRecipients + "admin", kRecipients + "jsmith",
                                                 kRecipients + "mobrien"}));
}

TEST_F(AddressBookTest, TheSessionsIdentity) {
  ULONG cb = 0;
  Buffer<ENTRYID> id;
  ASSERT_EQ(session_->QueryIdentity(&cb, Out(id)), S_OK);
  for (ULONG flags : {0x210u, 0x10u}) {
    ULONG type = 0;
    Ref<IMAPIProp> identity;
    ASSERT_EQ(session_->OpenEntry(cb, id.get(), flags == 0x210 ? &IID_IMAPIProp : nullptr, flags,
                                  &type, Out(identity)),
              S_OK);
    EXPECT_EQ(type, MAPI_MAILUSER);
    SizedSPropTagArray<5> tags{5,
                               {PR_DISPLAY_NAME, PR_EMAIL_ADDRESS, PR_EMS_AB_HOME_MDB,
                                PR_EMS_AB_HOME_MTA, PR_EMS_AB_ASSOC_NT_ACCOUNT}};
    ULONG count = 0;
    Buffer<SPropValue> v;
    ASSERT_EQ(identity->GetProps(tags.get(), 0, &count, Out(v)), S_OK);
    EXPECT_EQ(Text(v.get()[0]), "Administrator");
    EXPECT_EQ(Text(v.get()[1]), kRecipients + "admin");
    EXPECT_EQ(Text(v.get()[2]),
              "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB");
    EXPECT_EQ(Text(v.get()[3]),
              "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft MTA");
    EXPECT_EQ(Bytes(v.get()[4]), Sid("admin"));
  }
}

TEST_F(AddressBookTest, IdentityWithoutHomeServerOrDirectoryEntry) {
  // A directory entry without home store; and a mailbox without any entry.
  orgdb::GalEntry homeless;
  homeless.displayName = "Homeless";
  homeless.alias = "homeless";
  homeless.address = kRecipients + "homeless";
  org().AddGalEntry(homeless);
  orgdb::Mailbox mailbox;
  mailbox.serverId = org().FindServerByName("SRV01")->id;
  mailbox.tableOrder = 20;
  mailbox.alias = "homeless";
  mailbox.displayName = "Homeless";
  mailbox.emailAddress = kRecipients + "homeless";
  org().AddMailbox(mailbox);
  mailbox.tableOrder = 21;
  mailbox.alias = "hidden";
  mailbox.displayName = "Hidden";
  mailbox.emailAddress = kRecipients + "hidden";
  org().AddMailbox(mailbox);
  ASSERT_EQ(CreateConfiguredProfile("Homeless", "homeless", "SRV01"), S_OK);
  ASSERT_EQ(CreateConfiguredProfile("Hidden", "hidden", "SRV01"), S_OK);
  auto homeMdb = [&](const char* profile, HRESULT* hr) {
    std::string name = profile;
    Ref<IMAPISession> session;
    EXPECT_EQ(Mapi().LogonEx(0, name.data(), nullptr, 0, Out(session)), S_OK);
    ULONG cb = 0;
    Buffer<ENTRYID> id;
    EXPECT_EQ(session->QueryIdentity(&cb, Out(id)), S_OK);
    ULONG type = 0;
    Ref<IMAPIProp> identity;
    EXPECT_EQ(session->OpenEntry(cb, id.get(), &IID_IMAPIProp, 0x210, &type, Out(identity)), S_OK);
    SizedSPropTagArray<1> tags{1, {PR_EMS_AB_HOME_MDB}};
    ULONG count = 0;
    Buffer<SPropValue> v;
    *hr = identity->GetProps(tags.get(), 0, &count, Out(v));
    return PROP_TYPE(v.get()[0].ulPropTag) == PT_ERROR ? std::string("<error>") : Text(v.get()[0]);
  };
  HRESULT hr = S_OK;
  EXPECT_EQ(homeMdb("Homeless", &hr), "<error>");
  EXPECT_EQ(hr, MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(homeMdb("Hidden", &hr),
            "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB");
  EXPECT_EQ(hr, S_OK);
}

TEST_F(AddressBookTest, Refusals) {
  std::string junk = "junk";
  ULONG type = 0;
  Ref<IUnknown> object;
  EXPECT_EQ(
      book_->OpenEntry(static_cast<ULONG>(junk.size()), reinterpret_cast<LPENTRYID>(junk.data()),
                       nullptr, 0, &type, Out(object)),
      MAPI_E_UNKNOWN_ENTRYID);
  EXPECT_FALSE(LastErrorText(book_.get()).empty());
  OpenGal();
  Ref<IMAPITable> contents;
  ASSERT_EQ(gal_->GetContentsTable(0, Out(contents)), S_OK);
  SizedSPropTagArray<1> cols{1, {PR_ENTRYID}};
  Rows rows;
  ASSERT_EQ(Mapi().QueryAllRows(contents.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
  std::string id = Bytes(rows->aRow[0].lpProps[0]);
  EXPECT_EQ(book_->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                             &IID_IMAPIFolder, 0, &type, Out(object)),
            MAPI_E_INTERFACE_NOT_SUPPORTED);
  // Only the GAL resolves names.
  ULONG rootType = 0;
  Ref<IABContainer> root;
  ASSERT_EQ(book_->OpenEntry(0, nullptr, nullptr, 0, &rootType, Out(root)), S_OK);
  FlagList flags{0, {0}};
  ADRLIST empty{0, {}};
  EXPECT_EQ(root->ResolveNames(nullptr, 0, &empty, &flags), MAPI_E_NO_SUPPORT);
}

}  // namespace
