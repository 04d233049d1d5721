// Fault injection: first, n-th, flag and argument matches, the error record
// a fault leaves, and when the call counters restart.
#include <optional>

#include "SimLibrary.h"

using namespace simtest;

namespace {

constexpr char kSrv01[] = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";

orgdb::Fault MakeFault(const char* call, HRESULT hr) {
  orgdb::Fault f;
  f.call = call;
  f.hr = hr;
  return f;
}

class FaultTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Prepare();
  }
  void TearDown() override {
    session_.reset();
    MachineTest::TearDown();
  }
  Ref<IMsgStore> PrivateStore(ULONG flags, HRESULT* hr) {
    Ref<IMAPITable> stores;
    EXPECT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
    Rows rows;
    EXPECT_EQ(stores->QueryRows(1, 0, Out(rows)), S_OK);
    std::string id = Bytes(rows->aRow[0].lpProps[0]);
    Ref<IMsgStore> store;
    *hr =
        session_->OpenMsgStore(0, static_cast<ULONG>(id.size()),
                               reinterpret_cast<LPENTRYID>(id.data()), nullptr, flags, Out(store));
    return store;
  }
  Ref<IMAPISession> session_;
};

TEST_F(FaultTest, InitializeFailsOnTheFirstCallOnly) {
  auto f = MakeFault("MAPIInitialize", MAPI_E_NOT_ENOUGH_RESOURCES);
  f.nth = 1;
  org().AddFault(f);
  EXPECT_EQ(Mapi().Initialize(nullptr), MAPI_E_NOT_ENOUGH_RESOURCES);
  EXPECT_EQ(Mapi().Accounting().initializeCount, 0u) << "a faulted call does nothing";
  EXPECT_EQ(Mapi().Initialize(nullptr), S_OK);
  ++initialised_;
}

TEST_F(FaultTest, NthMatchingCallWithItsErrorRecord) {
  auto f = MakeFault("IMAPITable::QueryRows", MAPI_E_NETWORK_ERROR);
  f.match = "mailbox";
  f.nth = 2;
  f.message = "The connection to the server was lost.";
  f.component = "Test Provider";
  org().AddFault(f);
  session_ = LogonDefault();
  HRESULT hr = E_FAIL;
  auto store = PrivateStore(0x10, &hr);  // a "msgstores" QueryRows: not counted
  ASSERT_EQ(hr, S_OK);
  Ref<IExchangeManageStore> manage;
  ASSERT_EQ(store->QueryInterface(IID_IExchangeManageStore, Out(manage)), S_OK);
  std::string dn = kSrv01;
  Ref<IMAPITable> table;
  ASSERT_EQ(manage->GetMailboxTable(dn.data(), Out(table), 0), S_OK);
  Rows rows;
  ASSERT_EQ(table->QueryRows(1, 0, Out(rows)), S_OK);
  ASSERT_EQ(rows->cRows, 1u);
  EXPECT_EQ(table->QueryRows(1, 0, Out(rows)), MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(rows, nullptr);
  LPMAPIERROR raw = nullptr;
  ASSERT_EQ(table->GetLastError(MAPI_E_NETWORK_ERROR, 0, &raw), S_OK);
  Buffer<MAPIERROR> record(raw);
  ASSERT_NE(raw, nullptr);
  EXPECT_STREQ(raw->lpszError, "The connection to the server was lost.");
  EXPECT_STREQ(raw->lpszComponent, "Test Provider");
  // The faulted call did not move the cursor: the next batch is row 2.
  ASSERT_EQ(table->QueryRows(5, 0, Out(rows)), S_OK);
  EXPECT_EQ(rows->cRows, 2u);
}

TEST_F(FaultTest, FlagsSelectTheCallsThatFail) {
  auto f = MakeFault("IMAPISession::OpenMsgStore", MAPI_E_UNKNOWN_FLAGS);
  f.flags = MDB_ONLINE;
  org().AddFault(f);
  session_ = LogonDefault();
  HRESULT hr = S_OK;
  EXPECT_EQ(PrivateStore(0x110, &hr), nullptr);
  EXPECT_EQ(hr, MAPI_E_UNKNOWN_FLAGS);
  EXPECT_NE(PrivateStore(0x10, &hr), nullptr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(PrivateStore(0x111, &hr), nullptr) << "every call with the bit, not only the first";
}

TEST_F(FaultTest, MatchSelectsTheArgument) {
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  ++initialised_;
  ASSERT_EQ(CreateConfiguredProfile("Other", "jsmith", "SRV01"), S_OK);
  Mapi().Uninitialize();
  --initialised_;
  auto f = MakeFault("MAPILogonEx", MAPI_E_LOGON_FAILED);
  f.match = "OTHER";
  org().AddFault(f);
  session_ = LogonDefault();  // the default profile: no match, no fault
  ASSERT_NE(session_, nullptr);
  std::string other = "Other";
  Ref<IMAPISession> second;
  EXPECT_EQ(Mapi().LogonEx(0, other.data(), nullptr, 0, Out(second)), MAPI_E_LOGON_FAILED);
  EXPECT_EQ(second, nullptr);
}

TEST_F(FaultTest, AFaultedCallClearsItsOutputsAndLeavesNoObject) {
  org().AddFault(MakeFault("IMsgStore::OpenEntry", MAPI_E_NO_ACCESS));
  session_ = LogonDefault();
  HRESULT hr = E_FAIL;
  auto store = PrivateStore(0x10, &hr);
  ASSERT_EQ(hr, S_OK);
  const auto before = Mapi().Accounting();
  ULONG type = 77;
  LPUNKNOWN object = reinterpret_cast<LPUNKNOWN>(0x1234);
  EXPECT_EQ(store->OpenEntry(0, nullptr, nullptr, 0x210, &type, &object), MAPI_E_NO_ACCESS);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(type, 0u);
  const auto after = Mapi().Accounting();
  EXPECT_EQ(after.liveObjects, before.liveObjects);
  EXPECT_EQ(after.outstandingBuffers, before.outstandingBuffers);
  // A fault without message or component leaves no record.
  LPMAPIERROR record = reinterpret_cast<LPMAPIERROR>(0x1234);
  EXPECT_EQ(store->GetLastError(MAPI_E_NO_ACCESS, 0, &record), S_OK);
  EXPECT_EQ(record, nullptr);
}

TEST_F(FaultTest, WarningsToo) {
  auto identity = MakeFault("IMAPISession::OpenEntry", MAPI_W_NO_SERVICE);
  identity.match = "identity";
  identity.nth = 1;
  org().AddFault(identity);
  auto props = MakeFault("IMAPIProp::GetProps", MAPI_W_ERRORS_RETURNED);
  props.match = "identity";
  org().AddFault(props);
  session_ = LogonDefault();
  ULONG cb = 0;
  Buffer<ENTRYID> id;
  ASSERT_EQ(session_->QueryIdentity(&cb, Out(id)), S_OK);
  ULONG type = 0;
  Ref<IMAPIProp> user;
  EXPECT_EQ(session_->OpenEntry(cb, id.get(), &IID_IMAPIProp, 0x210, &type, Out(user)),
            MAPI_W_NO_SERVICE);
  EXPECT_EQ(user, nullptr);
  ASSERT_EQ(session_->OpenEntry(cb, id.get(), &IID_IMAPIProp, 0x210, &type, Out(user)), S_OK);
  SizedSPropTagArray<1> tags{1, {PR_EMS_AB_HOME_MDB}};
  ULONG count = 5;
  Buffer<SPropValue> values;
  EXPECT_EQ(user->GetProps(tags.get(), 0, &count, Out(values)), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(values, nullptr);
}

TEST_F(FaultTest, CountingGoesOnAcrossInitialisations) {
  auto f = MakeFault("MAPIAdminProfiles", MAPI_E_NOT_ENOUGH_MEMORY);
  f.nth = 2;
  org().AddFault(f);
  auto admin = [] {
    Ref<IProfAdmin> object;
    return Mapi().AdminProfiles(0, Out(object));
  };
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  EXPECT_EQ(admin(), S_OK);
  Mapi().Uninitialize();
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);  // the same fault set: counting goes on
  ++initialised_;
  EXPECT_EQ(admin(), MAPI_E_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(admin(), S_OK);
}

TEST_F(FaultTest, CountingRestartsWithAnotherFaultSet) {
  auto f = MakeFault("MAPIAdminProfiles", MAPI_E_NOT_ENOUGH_MEMORY);
  f.nth = 1;
  org().AddFault(f);
  auto admin = [] {
    Ref<IProfAdmin> object;
    return Mapi().AdminProfiles(0, Out(object));
  };
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  EXPECT_EQ(admin(), MAPI_E_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(admin(), S_OK);
  Mapi().Uninitialize();
  org().AddFault(MakeFault("FGetComponentPath", E_FAIL));
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  ++initialised_;
  EXPECT_EQ(admin(), MAPI_E_NOT_ENOUGH_MEMORY) << "a new fault set counts from one";
  char component[] = "{FF1D0740-D227-11D1-A4B0-006008AF820E}";
  char path[1024];
  EXPECT_EQ(Mapi().GetComponentPath(component, nullptr, path, sizeof path, FALSE), FALSE);
}

TEST_F(FaultTest, MemoryFunctions) {
  auto alloc = MakeFault("MAPIAllocateBuffer", MAPI_E_NOT_ENOUGH_MEMORY);
  alloc.nth = 2;
  org().AddFault(alloc);
  auto release = MakeFault("MAPIFreeBuffer", MAPI_E_INVALID_PARAMETER);
  release.nth = 1;
  org().AddFault(release);
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  ++initialised_;
  void* first = nullptr;
  void* second = reinterpret_cast<void*>(1);
  ASSERT_EQ(Mapi().AllocateBuffer(16, &first), S_OK);
  EXPECT_EQ(Mapi().AllocateBuffer(16, &second), MAPI_E_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(Mapi().FreeBuffer(first), static_cast<ULONG>(MAPI_E_INVALID_PARAMETER));
  EXPECT_EQ(Mapi().Accounting().outstandingBuffers, 1u) << "the faulted free freed nothing";
  EXPECT_EQ(Mapi().FreeBuffer(first), 0u);
}

TEST_F(FaultTest, TableKindsAndNamesAsMatches) {
  auto all = MakeFault("HrQueryAllRows", MAPI_E_TABLE_TOO_BIG);
  all.match = "msgstores";
  org().AddFault(all);
  auto create = MakeFault("IProfAdmin::CreateProfile", MAPI_E_NO_ACCESS);
  create.match = "Blocked";
  create.message = "Profiles are locked.";
  org().AddFault(create);
  session_ = LogonDefault();
  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  Rows rows;
  EXPECT_EQ(Mapi().QueryAllRows(stores.get(), nullptr, nullptr, nullptr, 0, Out(rows)),
            MAPI_E_TABLE_TOO_BIG);
  Ref<IProfAdmin> admin;
  ASSERT_EQ(Mapi().AdminProfiles(0, Out(admin)), S_OK);
  char blocked[] = "Blocked";
  char free[] = "Free";
  EXPECT_EQ(admin->CreateProfile(blocked, nullptr, 0, 0), MAPI_E_NO_ACCESS);
  EXPECT_EQ(LastErrorText(admin.get()), "Profiles are locked.");
  EXPECT_EQ(admin->CreateProfile(free, nullptr, 0, 0), S_OK);
  EXPECT_EQ(Mapi().Accounting().profiles, 2u);
}

// Alterations change a returned value instead of failing the call.
struct ValueAlteration {
  const char* why;
  const char* call;
  ULONG tag;  // the alteration's number
  const char* text;
  ULONG seenTag;               // what the caller receives
  std::optional<ULONG> bytes;  // a binary's size; none: the store's own entry ID
};

const ValueAlteration kValueAlterations[] = {
    {"drop",
     "IMAPITable::QueryRows/drop",
     PR_ENTRYID,
     nullptr,
     PROP_TAG(PT_ERROR, PROP_ID(PR_ENTRYID)),
     {}},
    {"retype",
     "IMAPITable::QueryRows/retype",
     PROP_TAG(PT_LONG, PROP_ID(PR_ENTRYID)),
     nullptr,
     PROP_TAG(PT_LONG, PROP_ID(PR_ENTRYID)),
     {}},
    {"resize to nothing", "IMAPITable::QueryRows/resize", PR_ENTRYID, "0", PR_ENTRYID, 0},
    {"resize to 4 KiB", "IMAPITable::QueryRows/resize", PR_ENTRYID, "4096", PR_ENTRYID, 4096},
    {"another property's identifier leaves it alone",
     "IMAPITable::QueryRows/drop",
     PR_DISPLAY_NAME,
     nullptr,
     PR_ENTRYID,
     {}},
};

class ValueAlterationTest : public FaultTest,
                            public ::testing::WithParamInterface<ValueAlteration> {};

TEST_P(ValueAlterationTest, ChangesTheValueInEveryRow) {
  const ValueAlteration& c = GetParam();
  auto f = MakeFault(c.call, static_cast<HRESULT>(c.tag));
  f.match = "msgstores";
  if (c.text) f.message = c.text;
  org().AddFault(f);
  session_ = LogonDefault();
  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  Rows rows;
  ASSERT_EQ(stores->QueryRows(10, 0, Out(rows)), S_OK);
  ASSERT_GT(rows->cRows, 0u);
  for (ULONG i = 0; i < rows->cRows; ++i) {
    const SPropValue& v = rows->aRow[i].lpProps[0];
    EXPECT_EQ(v.ulPropTag, c.seenTag);
    if (PROP_TYPE(c.seenTag) == PT_ERROR) {
      EXPECT_EQ(v.Value.err, MAPI_E_NOT_FOUND);
    } else if (PROP_TYPE(c.seenTag) == PT_LONG) {
      EXPECT_EQ(v.Value.l, 0);
    } else if (c.bytes) {
      EXPECT_EQ(v.Value.bin.cb, *c.bytes);
    } else {
      EXPECT_GT(v.Value.bin.cb, 0u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Alter, ValueAlterationTest, ::testing::ValuesIn(kValueAlterations),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

class RowCountOffsetTest : public FaultTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(RowCountOffsetTest, MovesTheCountButNotTheRows) {
  const std::int32_t offset = GetParam();
  auto f = MakeFault("IMAPITable::GetRowCount/offset", offset);
  f.match = "msgstores";
  f.nth = 2;
  org().AddFault(f);
  session_ = LogonDefault();
  Ref<IMAPITable> stores;
  ASSERT_EQ(session_->GetMsgStoresTable(0, Out(stores)), S_OK);
  ULONG real = 0, moved = 0;
  ASSERT_EQ(stores->GetRowCount(0, &real), S_OK);
  ASSERT_EQ(stores->GetRowCount(0, &moved), S_OK);
  EXPECT_EQ(moved, offset > 0 ? real + offset : 0u);
  Rows rows;
  ASSERT_EQ(stores->QueryRows(100, 0, Out(rows)), S_OK);
  EXPECT_EQ(rows->cRows, real);
}

// More rows than there are, and fewer than none.
INSTANTIATE_TEST_SUITE_P(Alter, RowCountOffsetTest, ::testing::Values(2, -100));

}  // namespace
