// A machine root with the standard organisation for the GUI tests, the MAPI
// library bound afresh with the GUI's search, and the stand-in's accounting.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "EDKDEBUG.h"
#include "ExtendedMAPI.h"
#include "LocaleSettings.h"
#include "MapiPtr.h"
#include "MapiSimApi.h"
#include "TestMachine.h"
#include "Win32.h"

namespace guitest {

class GuiMachine {
 public:
  GuiMachine() {
    setenv("TZ", "UTC", 1);
    tzset();
    platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
  }
  ~GuiMachine() {
    mapi::FreeEdkEventLogger();
    mapi::ResetLibraryBindingForTesting();
    platform::ResetLocaleForTesting();
  }
  GuiMachine(const GuiMachine&) = delete;
  GuiMachine& operator=(const GuiMachine&) = delete;

  orgdb::OrgDb& org() { return machine.org(); }

  void BuildStandard(const testsupport::StandardOrgOptions& options = {}) {
    testsupport::BuildStandardOrg(machine.org(), options);
  }

  // Lays out the machine root (a default profile for `mailbox` on SRV01
  // unless it is empty) and binds the MAPI library afresh. Faults and
  // organisation changes must be in the database before.
  bool Start(const std::string& mailbox = "admin") {
    orgdb::MachineSetupOptions options;
    if (!mailbox.empty()) {
      options.defaultProfileMailbox = mailbox;
      options.defaultProfileServer = "SRV01";
    }
    machine.CloseOrg();
    if (!machine.SetUp(options)) return false;
    mapi::ResetLibraryBindingForTesting();
    mapi::SetLibrarySearch(mapi::Flavour::Gui);
    mapi::FreeEdkEventLogger();
    return true;
  }

  void AddFault(const std::string& call, HRESULT hr, std::optional<std::string> match = {},
                std::optional<int> nth = {}, std::optional<std::string> message = {},
                std::optional<std::string> component = {}) {
    machine.org().AddFault({0, call, hr, std::move(match), nth, std::nullopt, std::move(message),
                            std::move(component)});
  }

  // What the process holds in the stand-in now; nullopt when no library is
  // loaded.
  std::optional<TabrixSimAccounting> Accounting() const {
    void* module = mapi::LoadedMapiModule();
    if (!module) return std::nullopt;
    auto query = reinterpret_cast<LPTABRIXSIMQUERYACCOUNTING>(
        GetProcAddress(module, "TabrixSimQueryAccounting"));
    if (!query) return std::nullopt;
    TabrixSimAccounting counts{};
    query(&counts);
    return counts;
  }

  // Nothing of a session is left: no object, buffer, session or
  // unbalanced initialisation.
  void ExpectBalanced() const {
    const auto counts = Accounting();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->liveObjects, 0u);
    EXPECT_EQ(counts->outstandingBuffers, 0u);
    EXPECT_EQ(counts->openSessions, 0u);
    EXPECT_EQ(counts->initializeCount, 0u);
  }

  // The names of the MAPI profiles on the machine (MAPI is initialised for
  // the question and uninitialised again).
  std::vector<std::string> ProfileNames() const {
    std::vector<std::string> names;
    if (FAILED(mapi::MAPIInitialize(nullptr))) return names;
    {
      mapi::ComPtr<IProfAdmin> admin;
      mapi::ComPtr<IMAPITable> table;
      mapi::RowSetPtr rows;
      // Each owner takes its object when its statement ends.
      HRESULT hr = mapi::MAPIAdminProfiles(0, mapi::Out(admin));
      if (SUCCEEDED(hr) && admin) hr = admin->GetProfileTable(0, mapi::Out(table));
      if (SUCCEEDED(hr) && table) hr = table->QueryRows(1000, 0, mapi::Out(rows));
      if (SUCCEEDED(hr) && rows) {
        for (ULONG r = 0; r < rows->cRows; ++r)
          for (ULONG c = 0; c < rows->aRow[r].cValues; ++c)
            if (rows->aRow[r].lpProps[c].ulPropTag == PR_DISPLAY_NAME)
              names.emplace_back(rows->aRow[r].lpProps[c].Value.lpszA);
      }
    }
    mapi::MAPIUninitialize();
    return names;
  }

  testsupport::TestMachine machine;
};

}  // namespace guitest
