// MessageBoxA on standard error, and ShellExecuteA through xdg-open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

// Sets or removes an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) saved_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_.c_str(), saved_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }

 private:
  std::string name_, saved_;
  bool had_ = false;
};

bool WaitFor(const std::string& path, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// A fake xdg-open in its own folder: it records its argument, then waits
// until the test releases it (ten seconds at most) and marks itself done.
// Held that way, it proves that the caller did not wait for it.
class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string opened = root_ / "opened";
    const std::string script[] = {
        "#!/bin/sh",
        "PATH=/usr/bin:/bin",
        "printf '%s' \"$1\" > \"" + opened + ".tmp\"",
        "mv \"" + opened + ".tmp\" \"" + opened + "\"",
        "i=0",
        "while [ ! -e \"" + (root_ / "release") + "\" ] && [ $i -lt 1000 ]; do",
        "  sleep 0.01; i=$((i + 1))",
        "done",
        "touch \"" + (root_ / "done") + "\"",
    };
    std::string text;
    for (const std::string& line : script) text += line + "\n";
    root_.Write("bin/xdg-open", text);
    std::filesystem::permissions(root_ / "bin/xdg-open", std::filesystem::perms::owner_all);
  }
  // Lets the fake opener finish and waits until it has.
  bool ReleaseOpener() {
    root_.Write("release", "");
    return WaitFor(root_ / "done", std::chrono::seconds(20));
  }
  TempMachineRoot root_;
};

}  // namespace

TEST(MessageBox, WritesCaptionAndTextToStandardError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "The MAPI Error!", "Extended MAPI", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Extended MAPI: The MAPI Error!\n");
}

TEST_F(Shell, OpensThroughXdgOpenWithoutWaiting) {
  ScopedEnv path("PATH", (root_ / "bin").c_str());
  ScopedEnv display("DISPLAY", ":99");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(
      ShellExecuteA(nullptr, "open", "mailto:admin@example.com", nullptr, nullptr, SW_SHOWNORMAL),
      42);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(std::filesystem::exists(root_ / "done"));  // the opener is still held
  ASSERT_TRUE(WaitFor(root_ / "opened", std::chrono::seconds(20)));
  EXPECT_EQ(root_.Read("opened"), "mailto:admin@example.com");
  EXPECT_TRUE(ReleaseOpener());
}

TEST_F(Shell, WaylandCountsAsADesktopAndTheVerbIsCaseInsensitive) {
  ScopedEnv path("PATH", (root_ / "bin").c_str());
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_EQ(
      ShellExecuteA(nullptr, "OPEN", "http://www.example.com/", nullptr, nullptr, SW_SHOWNORMAL),
      42);
  ASSERT_TRUE(WaitFor(root_ / "opened", std::chrono::seconds(20)));
  EXPECT_EQ(root_.Read("opened"), "http://www.example.com/");
  EXPECT_TRUE(ReleaseOpener());
}

TEST_F(Shell, DoesNothingWithoutADesktopOrAnOpener) {
  {
    ScopedEnv path("PATH", (root_ / "bin").c_str());
    ScopedEnv display("DISPLAY", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", "");
    EXPECT_EQ(ShellExecuteA(nullptr, "open", "http://x/", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
  }
  {
    ScopedEnv path("PATH", (root_ / "nothing-here").c_str());
    ScopedEnv display("DISPLAY", ":99");
    EXPECT_EQ(ShellExecuteA(nullptr, "open", "http://x/", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
  }
  {
    ScopedEnv path("PATH", (root_ / "bin").c_str());
    ScopedEnv display("DISPLAY", ":99");
    EXPECT_EQ(ShellExecuteA(nullptr, "print", "http://x/", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(std::filesystem::exists(root_ / "opened"));
}
