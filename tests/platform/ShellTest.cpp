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

// A fake xdg-open in its own folder: it records its argument, waits a
// second and then marks itself done.
class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.Write("bin/xdg-open", "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s' \"$1\" > \"" +
                                    (root_ / "opened.tmp") + "\"\nmv \"" + (root_ / "opened.tmp") + "\" \"" +
                                    (root_ / "opened") + "\"\nsleep 1\ntouch \"" + (root_ / "done") + "\"\n");
    std::filesystem::permissions(root_ / "bin/xdg-open", std::filesystem::perms::owner_all);
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
  EXPECT_EQ(ShellExecuteA(nullptr, "open", "mailto:admin@example.com", nullptr, nullptr, SW_SHOWNORMAL), 42);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_FALSE(std::filesystem::exists(root_ / "done"));  // the opener is still running
  ASSERT_TRUE(WaitFor(root_ / "opened", std::chrono::seconds(20)));
  EXPECT_EQ(root_.Read("opened"), "mailto:admin@example.com");
  EXPECT_TRUE(WaitFor(root_ / "done", std::chrono::seconds(20)));
}

TEST_F(Shell, WaylandCountsAsADesktopAndTheVerbIsCaseInsensitive) {
  ScopedEnv path("PATH", (root_ / "bin").c_str());
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_EQ(ShellExecuteA(nullptr, "OPEN", "http://www.example.com/", nullptr, nullptr, SW_SHOWNORMAL), 42);
  ASSERT_TRUE(WaitFor(root_ / "opened", std::chrono::seconds(20)));
  EXPECT_EQ(root_.Read("opened"), "http://www.example.com/");
  EXPECT_TRUE(WaitFor(root_ / "done", std::chrono::seconds(20)));
}

TEST_F(Shell, DoesNothingWithoutADesktopOrAnOpener) {
  {
    ScopedEnv path("PATH", (root_ / "bin").c_str());
    ScopedEnv display("DISPLAY", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", "");
    EXPECT_EQ(ShellExecuteA(nullptr, "open", "http://x/", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
  }
  {
    ScopedEnv path("PATH", (root_ / "nothing-here").c_str());
    ScopedEnv display("DISPLAY", ":99");
    EXPECT_EQ(ShellExecuteA(nullptr, "open", "http://x/", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
  }
  {
    ScopedEnv path("PATH", (root_ / "bin").c_str());
    ScopedEnv display("DISPLAY", ":99");
    EXPECT_EQ(ShellExecuteA(nullptr, "print", "http://x/", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(std::filesystem::exists(root_ / "opened"));
}
