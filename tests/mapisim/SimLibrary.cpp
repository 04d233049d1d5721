#include "SimLibrary.h"

#include <cstdio>
#include <vector>

#include "StandInAccounting.h"

namespace simtest {

namespace {
SimLibrary g_library;

template <class F>
bool Bind(HMODULE module, const char* name, F* out) {
  *out = reinterpret_cast<F>(GetProcAddress(module, name));
  return *out != nullptr;
}
}  // namespace

SimLibrary& Mapi() {
  return g_library;
}

bool SimLibrary::Load() {
  module = LoadLibraryA("mapi32.dll");
  if (!module) return false;
  // Decorated names, as the programs' binding asks for them.
  return Bind(module, "MAPIInitialize@4", &Initialize) &&
         Bind(module, "MAPIUninitialize@0", &Uninitialize) &&
         Bind(module, "MAPILogonEx@20", &LogonEx) &&
         Bind(module, "MAPIAdminProfiles@8", &AdminProfiles) &&
         Bind(module, "MAPIAllocateBuffer@8", &AllocateBuffer) &&
         Bind(module, "MAPIAllocateMore@12", &AllocateMore) &&
         Bind(module, "MAPIFreeBuffer@4", &FreeBuffer) &&
         Bind(module, "HrQueryAllRows@24", &QueryAllRows) &&
         Bind(module, "FreeProws@4", &FreeProws) && Bind(module, "HrGetOneProp@12", &GetOneProp) &&
         Bind(module, "FreePadrlist@4", &FreePadrlist) &&
         Bind(module, "ScDupPropset@16", &DupPropset) &&
         Bind(module, "FGetComponentPath", &GetComponentPath) &&
         Bind(module, "TabrixSimSetProfileChooser", &SetProfileChooser);
}

void SimLibrary::Unload() {
  if (module) FreeLibrary(module);
  *this = SimLibrary{};
}

TabrixSimAccounting SimLibrary::Accounting() const {
  const auto counts = testsupport::StandInAccounting(module);
  if (!counts) ADD_FAILURE() << "the loaded library keeps no accounting";
  return counts.value_or(TabrixSimAccounting{});
}

void MachineTest::SetUp() {
  machine_ = std::make_unique<testsupport::TestMachine>();
}

void MachineTest::TearDown() {
  if (loaded_) {
    while (initialised_ > 0) {
      Mapi().Uninitialize();
      --initialised_;
    }
    if (checkBalance_) {
      const TabrixSimAccounting a = Mapi().Accounting();
      EXPECT_EQ(a.liveObjects, 0u) << "interface objects left alive";
      EXPECT_EQ(a.outstandingBuffers, 0u) << "MAPI buffers left unfreed";
      EXPECT_EQ(a.openSessions, 0u);
      EXPECT_EQ(a.initializeCount, 0u);
    }
    Mapi().SetProfileChooser(nullptr, nullptr);
    Mapi().Unload();
  }
  machine_.reset();
}

void MachineTest::UnloadLibrary() {
  Mapi().SetProfileChooser(nullptr, nullptr);
  Mapi().Unload();
  loaded_ = false;
}

void MachineTest::Prepare(const testsupport::StandardOrgOptions& options,
                          const std::string& mailbox) {
  testsupport::BuildStandardOrg(org(), options);
  orgdb::MachineSetupOptions setup;
  if (!mailbox.empty()) {
    setup.defaultProfileMailbox = mailbox;
    setup.defaultProfileServer = "SRV01";
  }
  PrepareMachine(setup);
}

void MachineTest::PrepareEmpty() {
  PrepareMachine({});
}

void MachineTest::PrepareMachine(const orgdb::MachineSetupOptions& setup) {
  ASSERT_TRUE(machine_->SetUp(setup));
  ASSERT_TRUE(Mapi().Load()) << "libmapi32.so could not be loaded";
  loaded_ = true;
}

Ref<IMAPISession> MachineTest::LogonDefault() {
  Ref<IMAPISession> session;
  EXPECT_EQ(Mapi().Initialize(nullptr), S_OK);
  ++initialised_;
  EXPECT_EQ(Mapi().LogonEx(0, nullptr, nullptr,
                           MAPI_NEW_SESSION | MAPI_EXTENDED | MAPI_USE_DEFAULT | MAPI_NO_MAIL,
                           Out(session)),
            S_OK);
  return session;
}

HRESULT MachineTest::CreateConfiguredProfile(const std::string& name, const std::string& mailbox,
                                             const std::string& server) {
  Ref<IProfAdmin> admin;
  HRESULT hr = Mapi().AdminProfiles(0, Out(admin));
  if (FAILED(hr)) return hr;
  std::vector<char> profile(name.begin(), name.end());
  profile.push_back('\0');
  if (FAILED(hr = admin->CreateProfile(profile.data(), nullptr, 0, 0))) return hr;
  Ref<IMsgServiceAdmin> services;
  if (FAILED(hr = admin->AdminServices(profile.data(), nullptr, 0, 0, Out(services)))) return hr;
  char service[] = "MSEMS";
  if (FAILED(hr = services->CreateMsgService(service, nullptr, 0, 0))) return hr;
  Ref<IMAPITable> table;
  if (FAILED(hr = services->GetMsgServiceTable(0, Out(table)))) return hr;
  Rows rows;
  if (FAILED(hr = table->QueryRows(1, 0, Out(rows)))) return hr;
  const SPropValue* uidValue = Find(rows->aRow[0], PR_SERVICE_UID);
  if (!uidValue) return E_FAIL;
  MAPIUID uid;
  std::copy(uidValue->Value.bin.lpb, uidValue->Value.bin.lpb + 16, uid.ab);
  std::string mb = mailbox, srv = server;
  SPropValue config[2];
  config[0].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
  config[0].Value.lpszA = mb.data();
  config[1].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
  config[1].Value.lpszA = srv.data();
  return services->ConfigureMsgService(&uid, 0, 0, 2, config);
}

std::string Text(const SPropValue& v) {
  return PROP_TYPE(v.ulPropTag) == PT_STRING8 && v.Value.lpszA ? v.Value.lpszA : "";
}

std::string Bytes(const SPropValue& v) {
  return std::string(reinterpret_cast<const char*>(v.Value.bin.lpb), v.Value.bin.cb);
}

const SPropValue* Find(const SRow& row, ULONG tag) {
  for (ULONG i = 0; i < row.cValues; ++i)
    if (row.lpProps[i].ulPropTag == tag) return &row.lpProps[i];
  return nullptr;
}

const SPropValue* Find(const ADRENTRY& entry, ULONG tag) {
  for (ULONG i = 0; i < entry.cValues; ++i)
    if (entry.rgPropVals[i].ulPropTag == tag) return &entry.rgPropVals[i];
  return nullptr;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[3];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    out += buf;
  }
  return out;
}

std::vector<std::string> ReadColumn(IMAPITable* table, ULONG tag, LONG batch) {
  std::vector<std::string> values;
  SizedSPropTagArray<1> columns{1, {tag}};
  EXPECT_EQ(table->SetColumns(columns.get(), 0), S_OK);
  for (;;) {
    Rows rows;
    const HRESULT hr = table->QueryRows(batch, 0, Out(rows));
    if (hr != S_OK || rows->cRows == 0) break;
    for (ULONG r = 0; r < rows->cRows; ++r) {
      const SPropValue& v = rows->aRow[r].lpProps[0];
      switch (PROP_TYPE(v.ulPropTag)) {
        case PT_STRING8:
          values.push_back(Text(v));
          break;
        case PT_LONG:
          values.push_back(std::to_string(v.Value.l));
          break;
        case PT_BOOLEAN:
          values.push_back(v.Value.b ? "true" : "false");
          break;
        case PT_I8:
          values.push_back(std::to_string(v.Value.li));
          break;
        case PT_SYSTIME:
          values.push_back(
              std::to_string((static_cast<std::uint64_t>(v.Value.ft.dwHighDateTime) << 32) |
                             v.Value.ft.dwLowDateTime));
          break;
        case PT_BINARY:
          values.push_back(Hex(Bytes(v)));
          break;
        default:
          values.push_back("-");
      }
    }
  }
  return values;
}

}  // namespace simtest
