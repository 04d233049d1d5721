// The store routines against hand-written MAPI objects: the calls they make,
// the results they translate, and that everything taken is given back.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>

#include "FakeMapiMachine.h"
#include "FakeMapiObjects.h"
#include "MAPIUtils.h"

namespace {

using mapitest::ErrorValue;
using mapitest::FailedCall;
using mapitest::FakeManageStore;
using mapitest::FakeProp;
using mapitest::FakeSession;
using mapitest::FakeStore;
using mapitest::NoValues;
using mapitest::Value;

class StoreRoutines : public ::testing::Test {
 protected:
  void SetUp() override { machine_.UseFakeLibrary(); }
  void TearDown() override {
    EXPECT_EQ(machine_.Counters().rootBlocks, 0) << "a MAPI buffer leaked";
  }
  // The event identifiers EdkLogError wrote, in order.
  std::vector<std::uint32_t> LoggedCodes() const {
    std::vector<std::uint32_t> codes;
    for (const auto& line : machine_.EventLogLines())
      codes.push_back(nlohmann::json::parse(line)["eventId"].get<std::uint32_t>());
    return codes;
  }
  mapitest::FakeMapiMachine machine_;
};

// --- OpenIdentity ------------------------------------------------------------------

TEST_F(StoreRoutines, OpenIdentityAsksWithBestAccessAndNoCache) {
  FakeProp identity;
  FakeSession session;
  session.identity = &identity;
  mapi::ComPtr<IMAPIProp> opened;
  EXPECT_EQ(mapi::OpenIdentity(&session, &opened), S_OK);
  EXPECT_EQ(opened.get(), &identity);
  EXPECT_EQ(session.openEntryFlags, std::vector<ULONG>{0x210});
  EXPECT_EQ(session.openEntryIds, std::vector<std::string>{"IDENTITY-ENTRYID"});
  EXPECT_TRUE(session.openEntryAskedForProp[0]);
  opened.reset();
  EXPECT_EQ(identity.refs, 1);
  EXPECT_TRUE(LoggedCodes().empty());
}

TEST_F(StoreRoutines, OpenIdentityRetriesWithoutNoCacheOnUnknownFlags) {
  FakeProp identity;
  FakeSession session;
  session.identity = &identity;
  session.openEntryResults = {MAPI_E_UNKNOWN_FLAGS};
  mapi::ComPtr<IMAPIProp> opened;
  EXPECT_EQ(mapi::OpenIdentity(&session, &opened), S_OK);
  EXPECT_EQ(session.openEntryFlags, (std::vector<ULONG>{0x210, 0x10}));
  EXPECT_NE(opened, nullptr);
}

TEST_F(StoreRoutines, OpenIdentityFailuresAreLoggedAndReturned) {
  FakeProp identity;
  FakeSession session;
  session.identity = &identity;
  session.openEntryResults = {MAPI_E_UNKNOWN_FLAGS, MAPI_E_NOT_FOUND};
  mapi::ComPtr<IMAPIProp> opened;
  EXPECT_EQ(mapi::OpenIdentity(&session, &opened), MAPI_E_NOT_FOUND);
  EXPECT_EQ(opened, nullptr);

  session.identityResult = MAPI_W_NO_SERVICE;  // a warning: not a failure of QueryIdentity
  session.openEntryResults.clear();
  session.openEntryFlags.clear();
  EXPECT_EQ(mapi::OpenIdentity(&session, &opened), S_OK);
  opened.reset();

  session.identityResult = MAPI_E_NETWORK_ERROR;
  EXPECT_EQ(mapi::OpenIdentity(&session, &opened), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(mapi::OpenIdentity(nullptr, &opened), E_INVALIDARG);
  EXPECT_EQ(LoggedCodes(), (std::vector<std::uint32_t>{0x8004010F, 0x80040115, 0x80070057}));
  EXPECT_EQ(identity.refs, 1);
}

// --- GetOnePropText ------------------------------------------------------------------

TEST_F(StoreRoutines, GetOnePropTextCopiesTheTextWithItsTerminator) {
  FakeProp object;
  object.answer.tag = PR_DISPLAY_NAME;
  object.answer.bytes = "Smith, John";
  mapi::MapiBuffer<BYTE> value;
  ULONG size = 0;
  EXPECT_EQ(mapi::GetOnePropText(&object, PR_DISPLAY_NAME, &value, &size), S_OK);
  EXPECT_EQ(object.askedTags, std::vector<ULONG>{PR_DISPLAY_NAME});
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(size, 12u);
  EXPECT_STREQ(reinterpret_cast<const char*>(value.get()), "Smith, John");
}

TEST_F(StoreRoutines, GetOnePropTextWideStringsTakeTwoBytesPerCharacter) {
  FakeProp object;
  const ULONG tag = CHANGE_PROP_TYPE(PR_DISPLAY_NAME, PT_UNICODE);
  object.answer.tag = tag;
  object.answer.wide = u"J\u00F6rg";
  mapi::MapiBuffer<BYTE> value;
  ULONG size = 0;
  EXPECT_EQ(mapi::GetOnePropText(&object, tag, &value, &size), S_OK);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::memcmp(value.get(), u"J\u00F6rg", 10), 0);
}

TEST_F(StoreRoutines, GetOnePropTextTranslatesFailures) {
  struct Case {
    const char* why;
    mapitest::PropAnswer answer;
    HRESULT expected;
  } cases[] = {
      {"missing property", ErrorValue(PR_DISPLAY_NAME, MAPI_E_NOT_FOUND), MAPI_E_NOT_FOUND},
      {"another per-value error", ErrorValue(PR_DISPLAY_NAME, MAPI_E_NOT_ENOUGH_MEMORY), E_FAIL},
      {"a failed call", FailedCall(MAPI_E_NO_ACCESS), E_FAIL},
      {"a value of another tag", Value(PR_EMAIL_ADDRESS, "x"), E_FAIL},
      {"no value at all", NoValues(), E_FAIL},
  };
  for (const Case& c : cases) {
    FakeProp object;
    object.answer = c.answer;
    mapi::MapiBuffer<BYTE> value;
    ULONG size = 99;
    EXPECT_EQ(mapi::GetOnePropText(&object, PR_DISPLAY_NAME, &value, &size), c.expected) << c.why;
    EXPECT_EQ(value, nullptr) << c.why;
    EXPECT_EQ(size, 0u) << c.why;
  }
  mapi::MapiBuffer<BYTE> value;
  ULONG size = 0;
  FakeProp object;
  EXPECT_EQ(mapi::GetOnePropText(nullptr, PR_DISPLAY_NAME, &value, &size), E_INVALIDARG);
  EXPECT_EQ(mapi::GetOnePropText(&object, PR_CONTENT_COUNT, &value, &size), E_INVALIDARG);
  EXPECT_EQ(LoggedCodes().size(), std::size(cases) + 2);
}

// --- GetIpmSubtreeId -----------------------------------------------------------------

TEST_F(StoreRoutines, GetIpmSubtreeIdCopiesTheIdentifier) {
  FakeStore store;
  store.answer.tag = PR_IPM_SUBTREE_ENTRYID;
  store.answer.bytes = std::string("\x00\x00\x00\x00\x01\x02\xFF", 7);
  mapi::MapiBuffer<ENTRYID> id;
  ULONG size = 0;
  EXPECT_EQ(mapi::GetIpmSubtreeId(&store, &id, &size), S_OK);
  ASSERT_EQ(size, 7u);
  EXPECT_EQ(std::memcmp(id.get(), "\x00\x00\x00\x00\x01\x02\xFF", 7), 0);
}

TEST_F(StoreRoutines, GetIpmSubtreeIdNeverReportsSuccessWithoutAnIdentifier) {
  struct Case {
    const char* why;
    mapitest::PropAnswer answer;
    HRESULT expected;
  } cases[] = {
      {"missing", ErrorValue(PR_IPM_SUBTREE_ENTRYID, MAPI_E_NOT_FOUND), MAPI_E_NOT_FOUND},
      // The warning itself would read as success to a caller; it gets a failure.
      {"another per-value error", ErrorValue(PR_IPM_SUBTREE_ENTRYID, MAPI_E_NO_ACCESS), E_FAIL},
      {"a failed call keeps its code", FailedCall(MAPI_E_NETWORK_ERROR), MAPI_E_NETWORK_ERROR},
      {"a value of another tag", Value(PR_ENTRYID, "abc"), E_FAIL},
  };
  for (const Case& c : cases) {
    FakeStore store;
    store.answer = c.answer;
    mapi::MapiBuffer<ENTRYID> id;
    ULONG size = 5;
    EXPECT_EQ(mapi::GetIpmSubtreeId(&store, &id, &size), c.expected) << c.why;
    EXPECT_TRUE(FAILED(c.expected));
    EXPECT_EQ(id, nullptr);
    EXPECT_EQ(size, 0u);
  }
  mapi::MapiBuffer<ENTRYID> id;
  ULONG size = 0;
  EXPECT_EQ(mapi::GetIpmSubtreeId(nullptr, &id, &size), E_INVALIDARG);
}

// --- OpenMailboxStore ----------------------------------------------------------------

constexpr const char* kMdb =
    "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB";

TEST_F(StoreRoutines, OpenMailboxStoreWithAdministratorRights) {
  FakeManageStore manage;
  FakeStore privateStore;
  privateStore.manage = &manage;
  FakeStore mailboxStore;
  FakeSession session;
  session.store = &mailboxStore;

  mapi::ComPtr<IMsgStore> opened;
  EXPECT_EQ(mapi::OpenMailboxStore(&session, &privateStore, kMdb,
                                   std::string("/o=Org/ou=Site/cn=Recipients/cn=jsmith"), &opened),
            S_OK);
  EXPECT_EQ(opened.get(), &mailboxStore);
  EXPECT_EQ(manage.storeDn, kMdb);
  EXPECT_EQ(manage.mailboxDn, "/o=Org/ou=Site/cn=Recipients/cn=jsmith");
  EXPECT_EQ(manage.flags, 0x9u);
  EXPECT_EQ(session.openStoreFlags, 0xB1u);
  EXPECT_EQ(session.openStoreId, "ADMIN-ENTRYID");
  EXPECT_TRUE(session.openStoreAskedForStore);
  EXPECT_EQ(manage.refs, 1);  // the manage-store interface was let go
  opened.reset();
  EXPECT_EQ(mailboxStore.refs, 1);
}

TEST_F(StoreRoutines, OpenMailboxStoreWithoutMailboxOpensThePublicStore) {
  FakeManageStore manage;
  FakeStore privateStore;
  privateStore.manage = &manage;
  FakeStore publicStore;
  FakeSession session;
  session.store = &publicStore;
  mapi::ComPtr<IMsgStore> opened;
  EXPECT_EQ(mapi::OpenMailboxStore(&session, &privateStore, kMdb, std::nullopt, &opened), S_OK);
  EXPECT_EQ(manage.flags, 0xBu);
  EXPECT_EQ(manage.mailboxDn, std::nullopt);
}

TEST_F(StoreRoutines, OpenMailboxStoreFailuresReleaseEverything) {
  {
    FakeStore privateStore;  // no IExchangeManageStore
    FakeSession session;
    mapi::ComPtr<IMsgStore> opened;
    EXPECT_EQ(mapi::OpenMailboxStore(&session, &privateStore, kMdb, std::nullopt, &opened),
              E_NOINTERFACE);
    EXPECT_EQ(opened, nullptr);
  }
  {
    FakeManageStore manage;
    manage.createResult = MAPI_E_NOT_FOUND;
    FakeStore privateStore;
    privateStore.manage = &manage;
    FakeSession session;
    mapi::ComPtr<IMsgStore> opened;
    EXPECT_EQ(mapi::OpenMailboxStore(&session, &privateStore, kMdb, std::string("x"), &opened),
              MAPI_E_NOT_FOUND);
    EXPECT_EQ(manage.refs, 1);
  }
  {
    FakeManageStore manage;
    FakeStore privateStore;
    privateStore.manage = &manage;
    FakeSession session;
    session.openStoreResult = MAPI_E_NETWORK_ERROR;
    mapi::ComPtr<IMsgStore> opened;
    EXPECT_EQ(mapi::OpenMailboxStore(&session, &privateStore, kMdb, std::string("x"), &opened),
              MAPI_E_NETWORK_ERROR);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(manage.refs, 1);
  }
  mapi::ComPtr<IMsgStore> opened;
  EXPECT_EQ(mapi::OpenMailboxStore(nullptr, nullptr, kMdb, std::nullopt, &opened), E_INVALIDARG);
  EXPECT_EQ(LoggedCodes(),
            (std::vector<std::uint32_t>{0x80004002, 0x8004010F, 0x80040115, 0x80070057}));
}

// --- StoreLogoffAndRelease -------------------------------------------------------------

TEST_F(StoreRoutines, StoreLogoffAndReleaseReleasesOnlyOnSuccess) {
  FakeStore store;
  store.AddRef();  // the owner's reference
  mapi::ComPtr<IMsgStore> owner(&store);
  EXPECT_EQ(mapi::StoreLogoffAndRelease(owner), S_OK);
  EXPECT_EQ(store.logoffFlags, LOGOFF_NO_WAIT);
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(store.refs, 1);

  store.logoffResult = MAPI_E_BUSY;
  store.AddRef();
  owner.reset(&store);
  EXPECT_EQ(mapi::StoreLogoffAndRelease(owner), MAPI_E_BUSY);
  EXPECT_EQ(owner.get(), &store);  // left with the caller
  owner.reset();
  EXPECT_EQ(store.refs, 1);
  EXPECT_EQ(LoggedCodes(), std::vector<std::uint32_t>{0x8004010B});
}

}  // namespace
