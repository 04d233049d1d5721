// Laying out a machine root: hive values, the library with its version
// resource, the INI files, the organisation, and the default profile made
// through the stand-in library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MAPIDefs.h"
#include "MapiSimApi.h"
#include "TestMachine.h"
#include "Win32.h"

namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadValue(const char* keyPath, const char* name, DWORD* type) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char data[256] = {};
  DWORD size = sizeof data;
  LONG rc = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return std::string(data, size);
}

bool KeyExists(const char* keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MachineSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A stand-in for the library file where only its placement matters.
    fakeLibrary = machine.root() + "/built-libmapi32.so";
    std::ofstream(fakeLibrary) << "library bytes";
  }
  testsupport::TestMachine machine;
  std::string fakeLibrary;
};

TEST_F(MachineSetupTest, LaysOutHivesLibraryAndIniFiles) {
  orgdb::MachineSetupOptions o;
  o.mapiLibrary = fakeLibrary;
  o.mapiFileVersion = "12.0.4518.1014";
  std::string error;
  ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;

  DWORD type = 0;
  EXPECT_EQ(ReadValue("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", "MAPIX", &type),
            std::string("1\0", 2));
  EXPECT_EQ(type, REG_SZ);
  for (const char* name : {"MSIApplicationLCID", "MSIOfficeLCID"}) {
    EXPECT_EQ(ReadValue("Software\\Clients\\Mail\\Microsoft Outlook", name, &type),
              std::string("1033\0\0", 6))
        << name;
    EXPECT_EQ(type, REG_MULTI_SZ);
  }
  EXPECT_TRUE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application"));

  fs::path root = machine.root();
  EXPECT_EQ(ReadFile(root / "system32" / "libmapi32.so"), "library bytes");
  EXPECT_FALSE(fs::is_symlink(root / "system32" / "libmapi32.so")) << "users get a copy";
  EXPECT_TRUE(fs::is_directory(root / "eventlog"));
  // The version resource reads back through the platform's own calls.
  std::string library = (root / "system32" / "libmapi32.so").string();
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(library.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(library.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\FileVersion", &value, &length));
  EXPECT_STREQ(static_cast<const char*>(value), "12.0.4518.1014");

  EXPECT_EQ(GetProfileIntA("Mail", "MAPIX", 0), 1u);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(version.dwMajorVersion, 5u);
}

TEST_F(MachineSetupTest, OptionsLeaveValuesOut) {
  orgdb::MachineSetupOptions o;
  o.mapiLibrary = fakeLibrary;
  std::string error;
  ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;
  // Setting up again with the values left out removes them.
  o.messagingMapix.reset();
  o.outlookLcids = false;
  ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;
  DWORD type = 0;
  EXPECT_FALSE(KeyExists("SOFTWARE\\Microsoft\\Windows Messaging Subsystem"));
  EXPECT_FALSE(
      ReadValue("Software\\Clients\\Mail\\Microsoft Outlook", "MSIApplicationLCID", &type));
  EXPECT_FALSE(ReadValue("Software\\Clients\\Mail\\Microsoft Outlook", "MSIOfficeLCID", &type));
  o.messagingMapix = "0";
  ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;
  EXPECT_EQ(ReadValue("SOFTWARE\\Microsoft\\Windows Messaging Subsystem", "MAPIX", &type),
            std::string("0\0", 2));
}

TEST_F(MachineSetupTest, CopiesTheOrganisationAndRestoresTheEnvironment) {
  testsupport::TestMachine source;  // points TABRIX_MACHINE at itself
  testsupport::BuildStandardOrg(source.org());
  source.CloseOrg();
  std::string target = machine.root() + "/other-root";
  orgdb::MachineSetupOptions o;
  o.organisationDb = orgdb::DatabasePath(source.root());
  std::string error;
  ASSERT_TRUE(orgdb::SetUpMachineRoot(target, o, &error)) << error;
  EXPECT_STREQ(std::getenv("TABRIX_MACHINE"), source.root().c_str());
  auto db = orgdb::OrgDb::Open(orgdb::DatabasePath(target), &error);
  ASSERT_TRUE(db) << error;
  EXPECT_EQ(db->CountMailboxes(db->FindServerByName("SRV01")->id), 3);
  EXPECT_FALSE(fs::exists(target + "/system32/libmapi32.so"));  // no library given
}

TEST_F(MachineSetupTest, FailuresAreSentences) {
  orgdb::MachineSetupOptions o;
  o.mapiLibrary = machine.root() + "/no-such-library.so";
  std::string error;
  EXPECT_FALSE(orgdb::SetUpMachineRoot(machine.root(), o, &error));
  EXPECT_NE(error.find("cannot be copied"), std::string::npos) << error;
  o.mapiLibrary.clear();
  o.organisationDb = machine.root() + "/missing.db";
  EXPECT_FALSE(orgdb::SetUpMachineRoot(machine.root(), o, &error));
  EXPECT_NE(error.find("cannot be copied"), std::string::npos) << error;
  o.organisationDb.clear();
  o.defaultProfileMailbox = "admin";
  EXPECT_FALSE(orgdb::SetUpMachineRoot(machine.root() + "/fresh", o, &error));
  EXPECT_NE(error.find("needs the MAPI library"), std::string::npos) << error;
}

TEST_F(MachineSetupTest, LinkedLibraryIsTheGivenFileAndSwitchesBackToACopy) {
  orgdb::MachineSetupOptions o;
  o.mapiLibrary = fakeLibrary;
  o.linkMapiLibrary = true;
  std::string error;
  const fs::path placed = fs::path(machine.root()) / "system32" / "libmapi32.so";
  for (int round = 0; round < 2; ++round) {  // a second set-up replaces the link
    ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(placed));
    EXPECT_TRUE(fs::equivalent(placed, fakeLibrary));
  }
  o.linkMapiLibrary = false;
  ASSERT_TRUE(orgdb::SetUpMachineRoot(machine.root(), o, &error)) << error;
  EXPECT_FALSE(fs::is_symlink(placed));
  EXPECT_EQ(ReadFile(placed), "library bytes");
  EXPECT_EQ(ReadFile(fakeLibrary), "library bytes");
}

// The default profile needs the stand-in library itself.
class DefaultProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::BuildStandardOrg(machine.org()); }
  // The profiles the stand-in library reports, through its own table.
  std::vector<std::pair<std::string, bool>> Profiles() {
    std::vector<std::pair<std::string, bool>> out;
    HMODULE module = LoadLibraryA("mapi32.dll");
    if (!module) return out;
    auto init = reinterpret_cast<LPMAPIINITIALIZE>(GetProcAddress(module, "MAPIInitialize@4"));
    auto uninit =
        reinterpret_cast<LPMAPIUNINITIALIZE>(GetProcAddress(module, "MAPIUninitialize@0"));
    auto admin =
        reinterpret_cast<LPMAPIADMINPROFILES>(GetProcAddress(module, "MAPIAdminProfiles@8"));
    auto freeRows = reinterpret_cast<LPFREEPROWS>(GetProcAddress(module, "FreeProws@4"));
    if (init && uninit && admin && freeRows && SUCCEEDED(init(nullptr))) {
      LPPROFADMIN profAdmin = nullptr;
      if (SUCCEEDED(admin(0, &profAdmin))) {
        LPMAPITABLE table = nullptr;
        if (SUCCEEDED(profAdmin->GetProfileTable(0, &table))) {
          SizedSPropTagArray<2> columns{2, {PR_DISPLAY_NAME, PR_DEFAULT_PROFILE}};
          LPSRowSet rows = nullptr;
          if (SUCCEEDED(table->SetColumns(columns.get(), 0)) &&
              SUCCEEDED(table->QueryRows(100, 0, &rows))) {
            for (ULONG i = 0; i < rows->cRows; ++i) {
              const SRow& row = rows->aRow[i];
              out.emplace_back(
                  row.lpProps[0].Value.lpszA,
                  row.lpProps[1].ulPropTag == PR_DEFAULT_PROFILE && row.lpProps[1].Value.b);
            }
            freeRows(rows);
          }
          table->Release();
        }
        profAdmin->Release();
      }
      uninit();
    }
    FreeLibrary(module);
    return out;
  }
  testsupport::TestMachine machine;
};

TEST_F(DefaultProfileTest, MadeThroughTheStandInAndMarkedDefault) {
  orgdb::MachineSetupOptions o;
  o.defaultProfileMailbox = "jsmith";
  o.defaultProfileServer = "SRV01";
  ASSERT_TRUE(machine.SetUp(o));
  auto profiles = Profiles();
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(profiles[0].first, "Outlook");
  EXPECT_TRUE(profiles[0].second);
  // Setting up again replaces the profile rather than failing.
  ASSERT_TRUE(machine.SetUp(o));
  EXPECT_EQ(Profiles().size(), 1u);
}

TEST_F(DefaultProfileTest, UnknownMailboxLeavesNoProfile) {
  orgdb::MachineSetupOptions o;
  o.mapiLibrary = testsupport::TestMachine::MapiLibraryPath();
  o.defaultProfileMailbox = "nobody";
  o.defaultProfileServer = "SRV01";
  std::string error;
  EXPECT_FALSE(orgdb::SetUpMachineRoot(machine.root(), o, &error));
  EXPECT_NE(error.find("ConfigureMsgService"), std::string::npos) << error;
  EXPECT_TRUE(Profiles().empty());
}

TEST(TestMachineTest, FreshRootPerMachineAndEnvironmentRestored) {
  ::setenv("TABRIX_MACHINE", "/previous/root", 1);
  std::string root;
  {
    testsupport::TestMachine machine;
    root = machine.root();
    EXPECT_TRUE(fs::is_directory(root));
    EXPECT_STREQ(std::getenv("TABRIX_MACHINE"), root.c_str());
    EXPECT_EQ(machine.org().Organisation().name, "Org");
    EXPECT_TRUE(machine.EventLogLines().empty());
    EXPECT_TRUE(machine.AccountingLines().empty());
    // An event written through the platform shows up as one line.
    HANDLE source = RegisterEventSourceA(nullptr, "TestMachineTest");
    ASSERT_TRUE(source);
    LPCSTR strings[] = {"hello"};
    ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
    auto lines = machine.EventLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"hello\""), std::string::npos) << lines[0];
    // Closing and reopening the organisation keeps what was written.
    machine.org().AddSite({0, "Kept"});
    machine.CloseOrg();
    EXPECT_EQ(machine.org().Sites().size(), 1u);
    testsupport::TestMachine other;
    EXPECT_NE(other.root(), root);
  }
  EXPECT_FALSE(fs::exists(root));
  EXPECT_STREQ(std::getenv("TABRIX_MACHINE"), "/previous/root");
  ::unsetenv("TABRIX_MACHINE");
  { testsupport::TestMachine machine; }
  EXPECT_EQ(std::getenv("TABRIX_MACHINE"), nullptr);
}

TEST(TestMachineTest, StandardOrganisationAsDocumented) {
  testsupport::TestMachine machine;
  testsupport::StandardOrgOptions o;
  o.mailboxes = 6;
  o.secondServer = true;
  o.exchange55 = true;
  testsupport::BuildStandardOrg(machine.org(), o);
  auto& db = machine.org();
  EXPECT_EQ(db.Organisation().configurationNamingContext, "CN=Configuration,DC=corp,DC=example");
  auto srv01 = *db.FindServerByName("SRV01");
  EXPECT_EQ(srv01.legacyDn, "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01");
  EXPECT_EQ(srv01.version, 0x00050005'0A5D'0000ull);                          // 5.5.2653.0
  EXPECT_EQ(db.FindServerByName("SRV02")->version, 0x00060005'1DD6'0001ull);  // 6.5.7638.1
  auto mailboxes = db.Mailboxes(srv01.id);
  ASSERT_EQ(mailboxes.size(), 6u);
  const char* aliases[] = {"admin", "jsmith", "mobrien", "user0004", "user0005", "user0006"};
  const std::uint32_t limits[] = {1, 2, 4, 8, 16, 1};
  for (std::size_t i = 0; i < mailboxes.size(); ++i) {
    const auto& m = mailboxes[i];
    EXPECT_EQ(m.alias, aliases[i]);
    EXPECT_EQ(m.emailAddress, "/o=Org/ou=Site/cn=Recipients/cn=" + m.alias);
    EXPECT_EQ(m.ntUserName, "CORP\\" + m.alias);
    EXPECT_EQ(m.messageSize, static_cast<std::int64_t>(9216 + 100 * i));
    EXPECT_EQ(m.contentCount, 5);
    EXPECT_EQ(m.assocContentCount, 2);
    EXPECT_EQ(*m.lastLogoffTime - *m.lastLogonTime, 36000000000ull);
    EXPECT_EQ(m.storageLimit, limits[i]);
    auto gal = db.GalEntryForMailbox(m);
    ASSERT_TRUE(gal && gal->ntAccountSid);
    EXPECT_EQ(db.FindNtAccount(*gal->ntAccountSid)->name, m.alias);
    EXPECT_EQ(gal->homeMdb, srv01.legacyDn + "/cn=Microsoft Private MDB");
  }
  EXPECT_EQ(mailboxes[2].displayName, "O'Brien, Mary");
  auto top = db.TopFolder(mailboxes[0].id);
  auto children = db.ChildFolders(top->id);
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(children[0].urlName, "/Inbox");
  EXPECT_EQ(children[0].messageSize, 3584u);
  EXPECT_EQ(db.ChildFolders(children[0].id)[0].urlName, "/Inbox/Projects");
  EXPECT_EQ(db.Mailboxes(db.FindServerByName("SRV02")->id).size(), 2u);
  EXPECT_EQ(db.AllDirectoryObjects().size(), 2u);
}

}  // namespace
