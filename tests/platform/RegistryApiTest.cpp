// The registry functions against hive files in a temporary machine root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "HiveStore.h"
#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

// Closes a key at the end of a scope.
struct Key {
  HKEY h = nullptr;
  ~Key() {
    if (h) RegCloseKey(h);
  }
};

LONG SetString(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

std::string QueryString(HKEY key, const char* name) {
  char buf[512] = {};
  DWORD size = sizeof buf;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
      ERROR_SUCCESS)
    return "<error>";
  return std::string(buf);
}

}  // namespace

TEST(Registry, CreateMakesTheWholeChainAndReportsTheDisposition) {
  TempMachineRoot root;
  Key k;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tabrix\\Deep", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k.h, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  Key again;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\tabrix\\deep", 0, nullptr, 0, KEY_READ,
                            nullptr, &again.h, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  Key parent;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\TABRIX", 0, KEY_READ, &parent.h),
            ERROR_SUCCESS);
  EXPECT_NE(root.Read("registry/HKEY_LOCAL_MACHINE.reg")
                .find("[HKEY_LOCAL_MACHINE\\Software\\Tabrix\\Deep]"),
            std::string::npos);
}

TEST(Registry, QueryFollowsTheWindowsSizeRules) {
  TempMachineRoot root;
  Key k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(k.h, "Name", "hello"), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  // Size query with no buffer: the size includes the terminator.
  EXPECT_EQ(RegQueryValueExA(k.h, "NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);
  // Too small: ERROR_MORE_DATA and the size needed.
  char small[3];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(k.h, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  // A buffer without a size is refused.
  EXPECT_EQ(
      RegQueryValueExA(k.h, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), nullptr),
      ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(k.h, "Missing", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(QueryString(k.h, "name"), "hello");
}

TEST(Registry, EveryValueTypeRoundTripsThroughTheFile) {
  TempMachineRoot root;
  Key k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Types", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &k.h, nullptr),
            ERROR_SUCCESS);
  const DWORD ten = 10;
  const BYTE binary[] = {1, 2, 0, 0xff};
  const char expand[] = "%SystemRoot%\\x";
  const char multi[] = "one\0two\0";  // with the final extra terminator
  struct Case {
    const char* name;
    DWORD type;
    const BYTE* data;
    DWORD size;
  };
  const std::vector<Case> cases = {
      {"N", REG_DWORD, reinterpret_cast<const BYTE*>(&ten), sizeof ten},
      {"B", REG_BINARY, binary, sizeof binary},
      {"E", REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand},
      {"M", REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi},
      {nullptr, REG_SZ, reinterpret_cast<const BYTE*>("dflt"), 5},
  };
  for (const Case& c : cases)
    ASSERT_EQ(RegSetValueExA(k.h, c.name, 0, c.type, c.data, c.size), ERROR_SUCCESS);

  const std::string file = root.Read("registry/HKEY_LOCAL_MACHINE.reg");
  EXPECT_NE(file.find("\"N\"=dword:0000000a"), std::string::npos);
  EXPECT_NE(file.find("\"B\"=hex:01,02,00,ff"), std::string::npos);
  EXPECT_NE(file.find("@=\"dflt\""), std::string::npos);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(default)");
    BYTE buf[64];
    DWORD size = sizeof buf, type = 0;
    ASSERT_EQ(RegQueryValueExA(k.h, c.name, nullptr, &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.size);
    EXPECT_EQ(std::memcmp(buf, c.data, size), 0);
  }
  // "" and a null name both mean the default value.
  EXPECT_EQ(QueryString(k.h, ""), "dflt");
}

TEST(Registry, DeleteValueAndKeyWithEverythingBelowIt) {
  TempMachineRoot root;
  Key k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Profiles\\P1\\Sub\\Deeper", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(k.h, "v", "1"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(k.h, "V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(k.h, "V"), ERROR_FILE_NOT_FOUND);

  Key profiles;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Profiles", 0, KEY_ALL_ACCESS, &profiles.h),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(profiles.h, "p1"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(profiles.h, "p1"), ERROR_FILE_NOT_FOUND);
  Key gone;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Profiles\\P1\\Sub", 0, KEY_READ, &gone.h),
            ERROR_FILE_NOT_FOUND);
  // The open handle of a deleted key reports it.
  EXPECT_EQ(SetString(k.h, "v", "2"), platform::detail::kErrorKeyDeleted);
  EXPECT_EQ(RegFlushKey(profiles.h), ERROR_SUCCESS);
}

TEST(Registry, EnumeratesSubkeysInOrderWithTheirCase) {
  TempMachineRoot root;
  for (const char* name : {"Zeta", "alpha", "Beta"}) {
    Key k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string("E\\") + name).c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
  }
  Key e;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "E", 0, KEY_READ, &e.h), ERROR_SUCCESS);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    char cls[8] = "x";
    DWORD clsSize = sizeof cls;
    FILETIME written{};
    const LONG rc = RegEnumKeyExA(e.h, i, name, &size, nullptr, cls, &clsSize, &written);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(size, std::strlen(name));
    EXPECT_EQ(cls[0], '\0');
    EXPECT_NE(written.dwHighDateTime, 0u);
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
  char tiny[4];
  DWORD tinySize = sizeof tiny;
  EXPECT_EQ(RegEnumKeyExA(e.h, 0, tiny, &tinySize, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
}

TEST(Registry, ReadOnlyHandlesRefuseEveryWrite) {
  TempMachineRoot root;
  {
    Key k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "RO\\Child", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "v", "1"), ERROR_SUCCESS);
  }
  Key ro;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RO", 0, KEY_READ, &ro.h), ERROR_SUCCESS);
  EXPECT_EQ(SetString(ro.h, "v", "2"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(ro.h, "Child"), ERROR_ACCESS_DENIED);
  Key created;
  EXPECT_EQ(
      RegCreateKeyExA(ro.h, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created.h, nullptr),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(created.h, nullptr);
  Key child;
  ASSERT_EQ(RegOpenKeyExA(ro.h, "Child", 0, KEY_READ, &child.h), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(child.h, "v"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(QueryString(child.h, "v"), "1");
  // And a key opened for writing only cannot be read.
  Key wo;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RO\\Child", 0, KEY_WRITE, &wo.h), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(wo.h, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
}

// A hive whose mode grants write permission to nobody is read-only for every
// process, root included.
TEST(Registry, ReadOnlyHiveFileRefusesWritesButStillReads) {
  TempMachineRoot root;
  root.Write("registry/HKEY_LOCAL_MACHINE.reg",
             "REGEDIT4\n\n[HKEY_LOCAL_"
             "MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application]\n"
             "\"x\"=\"1\"\n");
  const std::string hive = root / "registry/HKEY_LOCAL_MACHINE.reg";
  ASSERT_EQ(::chmod(hive.c_str(), 0444), 0);
  const std::string before = root.Read("registry/HKEY_LOCAL_MACHINE.reg");

  Key k;
  DWORD disposition = 0;
  // Opening the existing key through "create" writes nothing and succeeds.
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                            "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(QueryString(k.h, "x"), "1");
  EXPECT_EQ(SetString(k.h, "x", "2"), ERROR_ACCESS_DENIED);
  Key sub;
  EXPECT_EQ(RegCreateKeyExA(k.h, "Tabrix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub.h, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(root.Read("registry/HKEY_LOCAL_MACHINE.reg"), before);
  // Other hives are unaffected.
  Key user;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Fine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &user.h, nullptr),
            ERROR_SUCCESS);
}

TEST(Registry, AHivePathThatIsNotAFileRefusesWrites) {
  TempMachineRoot root;
  std::filesystem::create_directories(root / "registry/HKEY_CLASSES_ROOT.reg");
  Key k;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Excel.Application", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k.h, nullptr),
            ERROR_ACCESS_DENIED);
}

TEST(Registry, MissingHiveReadsAsEmpty) {
  TempMachineRoot root;
  Key k;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", 0,
                          KEY_READ, &k.h),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(k.h, nullptr);
  char name[64];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_FALSE(std::filesystem::exists(root / "registry"));
}

TEST(Registry, HandlesAreChecked) {
  TempMachineRoot root;
  HKEY k = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, "H", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetString(k, "v", "1"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(k), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "H", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST(Registry, RefusesNamesThatWouldBreakTheHive) {
  TempMachineRoot root;
  Key k;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "a\nb", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &k.h, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(256, 'k').c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
            ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "ok", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(SetString(k.h, "line\nbreak", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(k.h, "null", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST(Registry, SeesChangesOfOtherWritersAndFollowsTheMachineRoot) {
  TempMachineRoot first;
  Key k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &k.h, nullptr),
            ERROR_SUCCESS);
  // Another program rewrites the hive: the open handle reads the new value.
  first.Write("registry/HKEY_LOCAL_MACHINE.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Shared]\n\"v\"=\"outside\"\n");
  EXPECT_EQ(QueryString(k.h, "v"), "outside");
  {
    TempMachineRoot second;
    Key other;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Shared", 0, KEY_READ, &other.h),
              ERROR_FILE_NOT_FOUND);
  }
}
