// The binding of the MAPI library: both searches, lazily bound entry points
// with their fallbacks, the size rules and the library version.
#include "ExtendedMAPI.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeMapiMachine.h"
#include "MapiPtr.h"
#include "Win32.h"

namespace {

using mapi::Flavour;
using mapitest::FakeMapiMachine;

std::string LoadedPath() {
  void* module = mapi::LoadedMapiModule();
  if (!module) return {};
  char path[261] = {};
  GetModuleFileNameA(module, path, 260);
  return path;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void ExpectEverythingFailsQuietly() {
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);
  LPVOID block = nullptr;
  EXPECT_EQ(mapi::MAPIAllocateBuffer(16, &block), E_FAIL);
  EXPECT_EQ(mapi::HrQueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, nullptr), E_FAIL);
  EXPECT_EQ(mapi::HrGetOneProp(nullptr, 0, nullptr), E_FAIL);
  EXPECT_EQ(mapi::ScDupPropset(0, nullptr, nullptr, nullptr), E_FAIL);
  // Those without a result do nothing.
  mapi::MAPIUninitialize();
  mapi::FreeProws(nullptr);
  mapi::FreePadrlist(nullptr);
  EXPECT_EQ(mapi::LoadedMapiModule(), nullptr);
  EXPECT_EQ(mapi::MapiLibraryVersion(), "");
}

// --- The console's search ----------------------------------------------------

TEST(ConsoleSearch, MessagingSwitchOnLoadsSystemMapi32) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_TRUE(EndsWith(LoadedPath(), "/system32/libmapi32.so")) << LoadedPath();
  EXPECT_EQ(machine.Counters().initialized, 1);
  mapi::MAPIUninitialize();
  EXPECT_EQ(machine.Counters().uninitialized, 1);
}

TEST(ConsoleSearch, MessagingSwitchZeroLoadsNothing) {
  FakeMapiMachine machine;
  machine.InstallFakeLibrary("system32", "libmapi32.so");
  machine.SetMessagingSwitch("0");
  mapi::SetLibrarySearch(Flavour::Console);
  ExpectEverythingFailsQuietly();
}

TEST(ConsoleSearch, MissingKeyLoadsNothing) {
  FakeMapiMachine machine;
  machine.InstallFakeLibrary("system32", "libmapi32.so");
  mapi::SetLibrarySearch(Flavour::Console);
  ExpectEverythingFailsQuietly();
}

TEST(ConsoleSearch, UnreadableValueLoadsMapi32) {
  FakeMapiMachine machine;
  machine.InstallFakeLibrary("system32", "libmapi32.so");
  machine.SetMessagingSwitch(std::nullopt);  // key without "MAPIX"
  mapi::SetLibrarySearch(Flavour::Console);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_TRUE(EndsWith(LoadedPath(), "/system32/libmapi32.so"));
  mapi::MAPIUninitialize();
}

TEST(ConsoleSearch, OldPlatformsAskTheWindowsProfile) {
  struct Case {
    const char* winIni;
    bool loads;
  } cases[] = {{"[Mail]\nMAPIX=1\n", true}, {"[Mail]\nMAPIX=0\n", false}, {"", false}};
  for (const Case& c : cases) {
    FakeMapiMachine machine;
    machine.InstallFakeLibrary("system32", "libmapi32.so");
    machine.SetMessagingSwitch("0");  // not consulted on NT 3.51
    machine.WriteFile("machine.ini", "[Version]\nPlatformId=2\nMajorVersion=3\nMinorVersion=51\n");
    machine.WriteFile("win.ini", c.winIni);
    mapi::SetLibrarySearch(Flavour::Console);
    EXPECT_EQ(mapi::MAPIInitialize(nullptr), c.loads ? S_OK : E_FAIL) << c.winIni;
    if (c.loads) mapi::MAPIUninitialize();
  }
}

TEST(ConsoleSearch, TheSearchRunsOnceEvenWhenItFindsNothing) {
  FakeMapiMachine machine;
  mapi::SetLibrarySearch(Flavour::Console);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);
  // Installing the library afterwards changes nothing for this process.
  machine.UseFakeLibrary();
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), E_FAIL);
}

// --- The GUI's search ----------------------------------------------------------

class GuiSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = machine_.root() + "/fgcp.log";
    setenv("FAKEMAPI_LOG", log_.c_str(), 1);
    unsetenv("FAKEMAPI_REFUSE_QUALIFIER");
    mapi::SetLibrarySearch(Flavour::Gui);
  }
  void TearDown() override {
    unsetenv("FAKEMAPI_LOG");
    unsetenv("FAKEMAPI_COMPONENT_PATH");
    unsetenv("FAKEMAPI_REFUSE_QUALIFIER");
  }
  std::vector<std::string> Questions() const { return machine_.ReadLines("fgcp.log"); }

  FakeMapiMachine machine_;
  std::string log_;
};

constexpr const char* kComponent = "{FF1D0740-D227-11D1-A4B0-006008AF820E}";

TEST_F(GuiSearch, NoLibraryAnywhereFallsBackToSystemMapi32AndFails) {
  ExpectEverythingFailsQuietly();
  EXPECT_TRUE(Questions().empty());
}

TEST_F(GuiSearch, ComponentPathFromMapistubWithApplicationLcid) {
  machine_.InstallFakeLibrary("system32", "libmapistub.so");
  machine_.InstallFakeLibrary("office", "libmsmapi32.so");
  machine_.SetOutlookLcid("MSIApplicationLCID", "1033");
  machine_.SetOutlookLcid("MSIOfficeLCID", "1031");
  setenv("FAKEMAPI_COMPONENT_PATH", (machine_.root() + "/office/MSMAPI32.DLL").c_str(), 1);

  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_TRUE(EndsWith(LoadedPath(), "/office/libmsmapi32.so")) << LoadedPath();
  EXPECT_EQ(Questions(), std::vector<std::string>{std::string(kComponent) + "|1033"});
  mapi::MAPIUninitialize();
}

TEST_F(GuiSearch, RefusedApplicationLcidAsksOfficeLcidThenNone) {
  machine_.InstallFakeLibrary("system32", "libmapistub.so");
  machine_.InstallFakeLibrary("office", "libmsmapi32.so");
  machine_.SetOutlookLcid("MSIApplicationLCID", "1033");
  machine_.SetOutlookLcid("MSIOfficeLCID", "1031");
  setenv("FAKEMAPI_REFUSE_QUALIFIER", "1033", 1);
  setenv("FAKEMAPI_COMPONENT_PATH", (machine_.root() + "/office/MSMAPI32.DLL").c_str(), 1);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(Questions(), (std::vector<std::string>{std::string(kComponent) + "|1033",
                                                   std::string(kComponent) + "|1031"}));
  mapi::MAPIUninitialize();
}

TEST_F(GuiSearch, WithoutLcidsTheComponentIsAskedWithoutQualifier) {
  machine_.InstallFakeLibrary("system32", "libmapi32.so");  // no mapistub: mapi32 answers
  machine_.InstallFakeLibrary("office", "libmsmapi32.so");
  setenv("FAKEMAPI_COMPONENT_PATH", (machine_.root() + "/office/MSMAPI32.DLL").c_str(), 1);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_TRUE(EndsWith(LoadedPath(), "/office/libmsmapi32.so")) << LoadedPath();
  EXPECT_EQ(Questions(), std::vector<std::string>{std::string(kComponent) + "|-"});
  mapi::MAPIUninitialize();
}

TEST_F(GuiSearch, NoComponentPathMeansSystemMapi32) {
  machine_.InstallFakeLibrary("system32", "libmapi32.so");
  machine_.SetOutlookLcid("MSIApplicationLCID", "1033");
  // FGetComponentPath answers FALSE for every question (no path configured).
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_TRUE(EndsWith(LoadedPath(), "/system32/libmapi32.so")) << LoadedPath();
  EXPECT_EQ(Questions(), (std::vector<std::string>{std::string(kComponent) + "|1033",
                                                   std::string(kComponent) + "|-"}));
  mapi::MAPIUninitialize();
}

TEST_F(GuiSearch, EmptyOrWronglyTypedLcidValuesDoNotCount) {
  machine_.InstallFakeLibrary("system32", "libmapi32.so");
  machine_.SetOutlookLcid("MSIApplicationLCID", "");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail\\Microsoft Outlook", 0,
                          KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  const char text[] = "1031";
  RegSetValueExA(key, "MSIOfficeLCID", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(Questions(), std::vector<std::string>{std::string(kComponent) + "|-"});
  mapi::MAPIUninitialize();
}

// --- Wrappers --------------------------------------------------------------------

TEST(Wrappers, AMissingEntryPointFailsAlone) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();  // the fake exports no HrGetOneProp, FreeProws ...
  EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  LPSPropValue value = nullptr;
  EXPECT_EQ(mapi::HrGetOneProp(nullptr, PR_DISPLAY_NAME, &value), E_FAIL);
  EXPECT_EQ(mapi::HrQueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, nullptr), E_FAIL);
  mapi::FreeProws(nullptr);
  mapi::FreePadrlist(nullptr);
  LPVOID block = nullptr;
  EXPECT_EQ(mapi::MAPIAllocateBuffer(8, &block), S_OK);
  EXPECT_EQ(mapi::MAPIFreeBuffer(block), 0u);
  mapi::MAPIUninitialize();
  EXPECT_EQ(machine.Counters().rootBlocks, 0);
}

TEST(Wrappers, LogonAndAdminProfilesClearTheirOutputFirst) {
  IMAPISession* const sentinelSession = reinterpret_cast<IMAPISession*>(0x1);
  IProfAdmin* const sentinelAdmin = reinterpret_cast<IProfAdmin*>(0x1);
  for (bool withLibrary : {false, true}) {
    FakeMapiMachine machine;
    if (withLibrary)
      machine.UseFakeLibrary();  // its logon and admin calls fail without writing
    else
      mapi::SetLibrarySearch(Flavour::Console);
    LPMAPISESSION session = sentinelSession;
    EXPECT_TRUE(FAILED(mapi::MAPILogonEx(0, nullptr, nullptr, 0, &session)));
    EXPECT_EQ(session, nullptr);
    LPPROFADMIN admin = sentinelAdmin;
    EXPECT_TRUE(FAILED(mapi::MAPIAdminProfiles(0, &admin)));
    EXPECT_EQ(admin, nullptr);
  }
}

// --- Size rules ------------------------------------------------------------------

// The sizes follow this platform's structures; a block of that size holds n
// values (the fake allocates exactly what is asked, so an overrun would be
// caught by the address sanitizer). The 32-bit rule (n x 16) would not.
TEST(SizeRules, APropValueBlockHoldsNValues) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  for (ULONG n : {1u, 2u, 9u, 50u}) {
    EXPECT_EQ(mapi::CbPropValues(n), n * sizeof(SPropValue));
    EXPECT_GT(mapi::CbPropValues(n), n * 16) << "the 32-bit size would under-allocate";
    mapi::MapiBuffer<SPropValue> values;
    ASSERT_EQ(mapi::MAPIAllocateBuffer(mapi::CbPropValues(n), mapi::Out(values)), S_OK);
    for (ULONG i = 0; i < n; ++i) {
      std::memset(&values.get()[i], 0xA5, sizeof(SPropValue));
      values.get()[i].ulPropTag = PR_DISPLAY_NAME;
    }
    EXPECT_EQ(values.get()[n - 1].ulPropTag, PR_DISPLAY_NAME);
  }
  EXPECT_EQ(machine.Counters().rootBlocks, 0);
}

TEST(SizeRules, AnAddressListBlockHoldsNEntries) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  for (ULONG n : {1u, 3u, 100u}) {
    EXPECT_EQ(mapi::CbAdrList(n), CbNewADRLIST(n));
    EXPECT_GT(mapi::CbAdrList(n), 4 + n * 12) << "the 32-bit size would under-allocate";
    mapi::MapiBuffer<ADRLIST> list;
    ASSERT_EQ(mapi::MAPIAllocateBuffer(mapi::CbAdrList(n), mapi::Out(list)), S_OK);
    list->cEntries = n;
    for (ULONG i = 0; i < n; ++i) list->aEntries[i] = ADRENTRY{0, 1, nullptr};
    EXPECT_EQ(list->aEntries[n - 1].cValues, 1u);
  }
  EXPECT_EQ(machine.Counters().rootBlocks, 0);
}

TEST(SizeRules, HugeCountsSaturateInsteadOfWrapping) {
  EXPECT_EQ(mapi::CbPropValues(0), 0u);
  EXPECT_EQ(mapi::CbPropValues(0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(mapi::CbPropValues(0x0AAAAAABu), 0xFFFFFFFFu);  // x 24 would wrap
  EXPECT_EQ(mapi::CbAdrList(0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(mapi::CbAdrList(0), CbNewADRLIST(0));
}

// --- MapiLibraryVersion ------------------------------------------------------------

TEST(MapiLibraryVersion, ReadsTheFileVersionOfTheLoadedLibrary) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  machine.WriteFile("system32/libmapi32.so.version",
                    "Translation=040904E4\nFileVersion=11.0.5604.0\n");
  EXPECT_EQ(mapi::MapiLibraryVersion(), "");  // nothing loaded yet: the search has not run
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::MapiLibraryVersion(), "11.0.5604.0");
  mapi::MAPIUninitialize();
}

TEST(MapiLibraryVersion, FollowsTheFirstTranslation) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  machine.WriteFile("system32/libmapi32.so.version",
                    "Translation=04070000\nFileVersion=6.0.6000.16386\n");
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::MapiLibraryVersion(), "6.0.6000.16386");
  mapi::MAPIUninitialize();
}

TEST(MapiLibraryVersion, EmptyWithoutVersionResource) {
  FakeMapiMachine machine;
  machine.UseFakeLibrary();
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::MapiLibraryVersion(), "");
  mapi::MAPIUninitialize();
}

}  // namespace
