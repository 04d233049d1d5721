// The MAPI stand-in as the programs see it: libmapi32.so loaded from a test
// machine's system directory through the platform loader, every function
// bound by its decorated name. Plus small RAII owners for what it hands out.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ComPtr.h"
#include "MAPIDefs.h"
#include "MapiSimApi.h"
#include "TestMachine.h"
#include "Win32.h"

namespace simtest {

struct SimLibrary {
  HMODULE module = nullptr;
  LPMAPIINITIALIZE Initialize = nullptr;
  LPMAPIUNINITIALIZE Uninitialize = nullptr;
  LPMAPILOGONEX LogonEx = nullptr;
  LPMAPIADMINPROFILES AdminProfiles = nullptr;
  LPALLOCATEBUFFER AllocateBuffer = nullptr;
  LPALLOCATEMORE AllocateMore = nullptr;
  LPFREEBUFFER FreeBuffer = nullptr;
  LPHRQUERYALLROWS QueryAllRows = nullptr;
  LPFREEPROWS FreeProws = nullptr;
  LPHRGETONEPROP GetOneProp = nullptr;
  LPFREEPADRLIST FreePadrlist = nullptr;
  LPSCDUPPROPSET DupPropset = nullptr;
  LPFGETCOMPONENTPATH GetComponentPath = nullptr;
  LPTABRIXSIMSETPROFILECHOOSER SetProfileChooser = nullptr;

  // Loads "mapi32.dll" from the current machine root; false when it or a
  // function is missing.
  bool Load();
  void Unload();
  TabrixSimAccounting Accounting() const;
};

// The library in use by the current test (set by MachineTest).
SimLibrary& Mapi();

template <class T>
using Ref = mapi::ComPtr<T>;
using mapi::Out;

struct BufferFree {
  void operator()(void* p) const {
    if (p) Mapi().FreeBuffer(p);
  }
};
template <class T>
using Buffer = std::unique_ptr<T, BufferFree>;

struct RowsFree {
  void operator()(SRowSet* p) const {
    if (p) Mapi().FreeProws(p);
  }
};
using Rows = std::unique_ptr<SRowSet, RowsFree>;

// A test on a fresh machine root with the standard organisation (or none),
// the library loaded, and a check at the end that everything acquired was
// released (unless the test called ExpectLeaks).
class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the standard organisation, lays out the machine with the default
  // profile "Outlook" for `mailbox` on SRV01 (none when empty), and loads
  // the library.
  void Prepare(const testsupport::StandardOrgOptions& org = {},
               const std::string& mailbox = "admin");
  // The library without any organisation or profile (for memory tests).
  void PrepareEmpty();
  // The machine laid out with these options, and the library loaded.
  void PrepareMachine(const orgdb::MachineSetupOptions& setup);

  void ExpectLeaks() { checkBalance_ = false; }
  // Unloads the library now (which appends its accounting line).
  void UnloadLibrary();

  // Initialises MAPI (balanced at TearDown) and logs on to the default
  // profile.
  Ref<IMAPISession> LogonDefault();

  // Profile administration helpers.
  HRESULT CreateConfiguredProfile(const std::string& name, const std::string& mailbox,
                                  const std::string& server);

  // The last error text an object records, or "" when it has none.
  template <class T>
  std::string LastErrorText(T* object, HRESULT hr = E_FAIL) {
    LPMAPIERROR raw = nullptr;
    if (object->GetLastError(hr, 0, &raw) != S_OK || !raw) return "";
    Buffer<MAPIERROR> record(raw);
    return raw->lpszError ? raw->lpszError : "";
  }

  testsupport::TestMachine& machine() { return *machine_; }
  orgdb::OrgDb& org() { return machine_->org(); }

  int initialised_ = 0;  // MAPIInitialize calls to balance at TearDown

 private:
  std::unique_ptr<testsupport::TestMachine> machine_;
  bool checkBalance_ = true;
  bool loaded_ = false;
};

// Property helpers.
std::string Text(const SPropValue& v);
std::string Bytes(const SPropValue& v);
const SPropValue* Find(const SRow& row, ULONG tag);
const SPropValue* Find(const ADRENTRY& entry, ULONG tag);
std::string Hex(const std::string& bytes);

// One column of every row from the cursor on, read in batches through
// QueryRows (the column set is changed to that tag); absent values read "-".
std::vector<std::string> ReadColumn(IMAPITable* table, ULONG tag, LONG batch = 50);

}  // namespace simtest
