// Several processes share the hives: no write is lost, no reader ever sees a
// partial hive, and a writer dying before its rename leaves the old hive.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "HiveStore.h"
#include "RegistryHive.h"
#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

LONG SetNumber(const char* key, const std::string& name, DWORD value) {
  HKEY k = nullptr;
  LONG rc =
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                      sizeof value);
  RegCloseKey(k);
  return rc;
}

// Runs `body` in a child process; returns its exit status.
template <class F>
pid_t Spawn(F body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(RegistryConcurrency, TwoProcessesWritingAtOnceLoseNothing) {
  TempMachineRoot root;
  constexpr int kPerProcess = 40;
  auto writer = [](const char* prefix) {
    return [prefix] {
      for (int i = 0; i < kPerProcess; ++i)
        if (SetNumber("Shared", prefix + std::to_string(i), static_cast<DWORD>(i)) != ERROR_SUCCESS)
          return 1;
      return 0;
    };
  };
  const pid_t a = Spawn(writer("a"));
  const pid_t b = Spawn(writer("b"));
  ASSERT_EQ(ExitStatus(a), 0);
  ASSERT_EQ(ExitStatus(b), 0);

  const auto hive = platform::detail::LoadHive(platform::detail::Hive::LocalMachine);
  const auto* key = platform::detail::FindKey(hive, {"Shared"});
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), 2u * kPerProcess);
}

TEST(RegistryConcurrency, ReadersNeverSeeAPartialHive) {
  TempMachineRoot root;
  ASSERT_EQ(SetNumber("Sentinel", "present", 1), ERROR_SUCCESS);
  const pid_t writer = Spawn([] {
    // Growing values make every version of the file a different length.
    for (int i = 0; i < 150; ++i)
      if (SetNumber("Busy", "v" + std::to_string(i), static_cast<DWORD>(i)) != ERROR_SUCCESS)
        return 1;
    return 0;
  });
  int reads = 0;
  int status = -1;
  for (;;) {
    const auto text = platform::detail::ReadWholeFile(root / "registry/HKEY_LOCAL_MACHINE.reg");
    ASSERT_TRUE(text.has_value());
    ASSERT_EQ(text->rfind("REGEDIT4\n", 0), 0u);
    ASSERT_EQ(text->substr(text->size() - 2), "\n\n");  // every hive ends with a blank line
    const auto hive = platform::detail::ParseHive(*text, "HKEY_LOCAL_MACHINE");
    const auto* sentinel = platform::detail::FindKey(hive, {"Sentinel"});
    ASSERT_NE(sentinel, nullptr);
    ASSERT_NE(sentinel->FindValue("present"), nullptr);
    ++reads;
    int st = 0;
    if (::waitpid(writer, &st, WNOHANG) == writer) {
      status = WIFEXITED(st) ? WEXITSTATUS(st) : 99;
      break;
    }
  }
  EXPECT_EQ(status, 0);
  EXPECT_GT(reads, 0);
}

TEST(RegistryConcurrency, ACrashBeforeTheRenameLeavesTheOldHive) {
  TempMachineRoot root;
  ASSERT_EQ(SetNumber("Crash", "kept", 7), ERROR_SUCCESS);
  const std::string before = root.Read("registry/HKEY_LOCAL_MACHINE.reg");

  const pid_t child = Spawn([] {
    platform::detail::SetBeforeRenameHookForTesting([] { ::_exit(42); });
    SetNumber("Crash", "lost", 8);
    return 0;  // not reached: the hook ends the process
  });
  ASSERT_EQ(ExitStatus(child), 42);

  EXPECT_EQ(root.Read("registry/HKEY_LOCAL_MACHINE.reg"), before);
  // The dead writer's lock is gone with it: the next write goes through.
  ASSERT_EQ(SetNumber("Crash", "after", 9), ERROR_SUCCESS);
  const auto hive = platform::detail::LoadHive(platform::detail::Hive::LocalMachine);
  const auto* key = platform::detail::FindKey(hive, {"Crash"});
  ASSERT_NE(key, nullptr);
  EXPECT_NE(key->FindValue("kept"), nullptr);
  EXPECT_EQ(key->FindValue("lost"), nullptr);
  EXPECT_NE(key->FindValue("after"), nullptr);
}

TEST(RegistryConcurrency, TheNextWriteRemovesADeadWritersTemporary) {
  TempMachineRoot root;
  ASSERT_EQ(SetNumber("Crash", "kept", 7), ERROR_SUCCESS);
  const pid_t child = Spawn([] {
    platform::detail::SetBeforeRenameHookForTesting([] { ::_exit(42); });
    SetNumber("Crash", "lost", 8);
    return 0;  // not reached: the hook ends the process
  });
  ASSERT_EQ(ExitStatus(child), 42);
  const std::string folder = root.path() + "/registry";
  const std::string hiveFile = "HKEY_LOCAL_MACHINE.reg";
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.size() == hiveFile.size() + 7 && name != hiveFile + ".lock") left.push_back(name);
  }
  ASSERT_EQ(left.size(), 1u);  // the dead writer's temporary

  const struct {
    const char* name;
    bool kept;
    const char* why;
  } others[] = {
      {"HKEY_LOCAL_MACHINE.reg.bak", true, "not a temporary's name"},
      {"HKEY_LOCAL_MACHINE.reg.ab-12c", true, "not mkstemp's letters"},
      {"HKEY_CURRENT_USER.reg.Ab12Cd", true, "another hive's: its writer may be at work"},
      {"HKEY_LOCAL_MACHINE.reg.Zz9Yy8", false, "another stale temporary of this hive"},
  };
  for (const auto& o : others) std::ofstream(folder + "/" + o.name) << "x";
  ASSERT_EQ(SetNumber("Crash", "after", 9), ERROR_SUCCESS);

  EXPECT_FALSE(std::filesystem::exists(folder + "/" + left[0]));
  EXPECT_TRUE(std::filesystem::exists(folder + "/" + hiveFile + ".lock"));
  for (const auto& o : others) {
    SCOPED_TRACE(o.why);
    EXPECT_EQ(std::filesystem::exists(folder + "/" + o.name), o.kept);
  }
}
