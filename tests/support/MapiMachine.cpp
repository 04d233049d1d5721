#include "MapiMachine.h"

#include <gtest/gtest.h>

#include "EDKDEBUG.h"
#include "MapiPtr.h"
#include "StandInAccounting.h"

namespace testsupport {

MapiMachine::MapiMachine(mapi::Flavour flavour) : flavour_(flavour) {}

MapiMachine::~MapiMachine() {
  mapi::FreeEdkEventLogger();
  mapi::ResetLibraryBindingForTesting();
}

void MapiMachine::BuildStandard(const StandardOrgOptions& options) {
  BuildStandardOrg(org(), options);
}

bool MapiMachine::Start(const std::string& defaultMailbox, orgdb::MachineSetupOptions options) {
  if (!defaultMailbox.empty()) {
    options.defaultProfileMailbox = defaultMailbox;
    options.defaultProfileServer = "SRV01";
  }
  CloseOrg();
  if (!SetUp(options)) return false;
  mapi::ResetLibraryBindingForTesting();
  mapi::SetLibrarySearch(flavour_);
  mapi::FreeEdkEventLogger();
  return true;
}

void MapiMachine::AddFault(const std::string& call, HRESULT hr, std::optional<std::string> match,
                           std::optional<int> nth, std::optional<std::uint32_t> flags,
                           std::optional<std::string> message,
                           std::optional<std::string> component) {
  org().AddFault(
      {0, call, hr, std::move(match), nth, flags, std::move(message), std::move(component)});
}

std::optional<TabrixSimAccounting> MapiMachine::Accounting() const {
  return StandInAccounting(mapi::LoadedMapiModule());
}

TabrixSimAccounting MapiMachine::BoundAccounting() const {
  mapi::MAPIFreeBuffer(nullptr);  // binds the library when nothing has yet
  const auto counts = Accounting();
  if (!counts) ADD_FAILURE() << "the stand-in is not bound";
  return counts.value_or(TabrixSimAccounting{});
}

void MapiMachine::ExpectBalanced(const std::string& why) const {
  const auto counts = Accounting();
  ASSERT_TRUE(counts.has_value()) << "no stand-in is bound; " << why;
  EXPECT_EQ(counts->liveObjects, 0u) << why;
  EXPECT_EQ(counts->outstandingBuffers, 0u) << why;
  EXPECT_EQ(counts->openSessions, 0u) << why;
  EXPECT_EQ(counts->initializeCount, 0u) << why;
}

std::vector<std::string> MapiMachine::ProfileNames() const {
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

}  // namespace testsupport
