// Dynamic loading through Windows module names, against a small library
// copied into a temporary system directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

using InitFn = int (*)(void*);

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ / "system32");
    std::filesystem::create_directories(root_ / "Other Dir");
    std::filesystem::copy_file(FAKEMAPI_PATH, root_ / "system32/libmapi32.so");
    std::filesystem::copy_file(FAKEMAPI_PATH, root_ / "Other Dir/libMapiStub.so");
    root_.Write("system32/libbroken.so", "not a shared library");
  }
  TempMachineRoot root_;
};

int CallInit(FARPROC proc) {
  return reinterpret_cast<InitFn>(proc)(nullptr);
}

}  // namespace

TEST_F(Loader, WindowsNamesMapOntoTheSystemDirectory) {
  HMODULE lower = LoadLibraryA("mapi32.dll");
  ASSERT_NE(lower, nullptr);
  HMODULE upper = LoadLibraryA("MAPI32.DLL");
  EXPECT_EQ(upper, lower);  // the same module, counted twice
  HMODULE noExtension = LoadLibraryA("Mapi32");
  EXPECT_EQ(noExtension, lower);
  EXPECT_TRUE(FreeLibrary(noExtension));
  EXPECT_TRUE(FreeLibrary(upper));
  EXPECT_TRUE(FreeLibrary(lower));
  EXPECT_FALSE(FreeLibrary(lower));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Loader, PathsWithEitherSeparator) {
  char sys[512];
  const UINT n = GetSystemDirectoryA(sys, sizeof sys);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::string(sys, n), root_ / "system32");
  for (const std::string& path :
       {std::string(sys) + "\\MAPI32.DLL", std::string(sys) + "/mapi32.dll",
        root_.path() + "\\Other Dir\\mapistub.dll", root_ / "Other Dir/MAPISTUB.DLL"}) {
    SCOPED_TRACE(path);
    HMODULE m = LoadLibraryA(path.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(CallInit(GetProcAddress(m, "MAPIInitialize@4")), 42);
    EXPECT_TRUE(FreeLibrary(m));
  }
  // A name found only in another folder is not in the system directory.
  EXPECT_EQ(LoadLibraryA("mapistub.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(Loader, MissingAndBrokenModules) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("broken.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA((root_ / "nowhere\\mapi32.dll").c_str()), nullptr);
}

TEST_F(Loader, DecoratedNamesFindTheCSymbol) {
  HMODULE m = LoadLibraryA("mapi32.dll");
  ASSERT_NE(m, nullptr);
  struct Case {
    const char* name;
    bool found;
  };
  for (const Case& c : {Case{"MAPIInitialize", true}, Case{"MAPIInitialize@4", true},
                        Case{"_MAPIInitialize@4", true}, Case{"_MAPIInitialize", true},
                        Case{"MAPIUninitialize@0", true}, Case{"HrGetOneProp@12", false},
                        Case{"MAPIInitialize@", false}, Case{"@4", false}}) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    FARPROC proc = GetProcAddress(m, c.name);
    EXPECT_EQ(proc != nullptr, c.found);
    if (!c.found) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    }
  }
  EXPECT_EQ(CallInit(GetProcAddress(m, "_MAPIInitialize@4")), 42);
  EXPECT_EQ(GetProcAddress(m, nullptr), nullptr);
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(GetProcAddress(m, "MAPIInitialize@4"), nullptr);  // no longer loaded
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(Loader, ModuleHandlesAndFileNames) {
  EXPECT_EQ(GetModuleHandleA("mapi32.dll"), nullptr);
  HMODULE m = LoadLibraryA("mapi32.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetModuleHandleA("MAPI32.DLL"), m);
  EXPECT_EQ(GetModuleHandleA("mapi32"), m);
  EXPECT_EQ(GetModuleHandleA("C:\\Windows\\System32\\Mapi32.dll"), m);
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);

  char path[512];
  DWORD n = GetModuleFileNameA(m, path, sizeof path);
  EXPECT_EQ(std::string(path, n), root_ / "system32/libmapi32.so");
  // Cut to the buffer: nSize and ERROR_INSUFFICIENT_BUFFER.
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(m, small, sizeof small), 8u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small), std::string(path, 7));

  // The program itself.
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);
  n = GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ(std::string(path, n), platform::ExecutablePath());
  EXPECT_EQ(GetModuleFileNameA(program, path, sizeof path), n);
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_EQ(GetModuleHandleA("mapi32.dll"), nullptr);
}

TEST_F(Loader, SystemDirectorySizeRules) {
  const std::string expected = root_ / "system32";
  // Too small: the size needed, with the terminator.
  char tiny[4] = "abc";
  EXPECT_EQ(GetSystemDirectoryA(tiny, sizeof tiny), expected.size() + 1);
  EXPECT_STREQ(tiny, "abc");
  EXPECT_EQ(GetSystemDirectoryA(nullptr, 0), expected.size() + 1);
  std::string exact(expected.size() + 1, 'x');
  EXPECT_EQ(GetSystemDirectoryA(exact.data(), static_cast<UINT>(exact.size())), expected.size());
  EXPECT_EQ(exact.c_str(), expected);
}

TEST(MachineRoot, FollowsTheEnvironmentOnEveryCall) {
  {
    TempMachineRoot a;
    EXPECT_EQ(platform::MachineRoot(), a.path());
    ::setenv("TABRIX_MACHINE", (a.path() + "/").c_str(), 1);
    EXPECT_EQ(platform::MachineRoot(), a.path());
  }
  const char* saved = std::getenv("TABRIX_MACHINE");
  const std::string keep = saved ? saved : "";
  ::unsetenv("TABRIX_MACHINE");
  EXPECT_EQ(platform::MachineRoot(), platform::ExecutableDir() + "/machine");
  EXPECT_EQ(platform::ExecutablePath().rfind(platform::ExecutableDir() + "/", 0), 0u);
  if (saved) ::setenv("TABRIX_MACHINE", keep.c_str(), 1);
}
