// GetVersionExA from machine.ini and the file version resources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

OSVERSIONINFOA Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_TRUE(GetVersionExA(&info));
  return info;
}

std::vector<BYTE> ReadBlock(const std::string& file) {
  DWORD handle = 99;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  EXPECT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
  return block;
}

std::string QueryText(const std::vector<BYTE>& block, const char* sub) {
  void* p = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(block.data(), sub, &p, &len)) return "<none>";
  EXPECT_EQ(len, std::strlen(static_cast<char*>(p)) + 1);
  return static_cast<char*>(p);
}

}  // namespace

TEST(OsVersion, DefaultsToWindowsXpOnNt) {
  TempMachineRoot root;
  const OSVERSIONINFOA v = Version();
  EXPECT_EQ(v.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(v.dwMajorVersion, 5u);
  EXPECT_EQ(v.dwMinorVersion, 1u);
  EXPECT_EQ(v.dwBuildNumber, 2600u);
}

TEST(OsVersion, MachineIniSelectsOtherPlatforms) {
  TempMachineRoot root;
  struct Case {
    const char* ini;
    DWORD platform, major, minor;
  };
  for (const Case& c :
       {Case{"[Version]\nPlatformId=1\nMajorVersion=4\nMinorVersion=10\n", 1, 4, 10},
        Case{"[Version]\nMajorVersion=3\nMinorVersion=51\nBuildNumber=1057\n", 2, 3, 51},
        Case{"[version]\nplatformid=2\nmajorversion=6\n", 2, 6, 1}}) {
    SCOPED_TRACE(c.ini);
    root.Write("machine.ini", c.ini);
    const OSVERSIONINFOA v = Version();
    EXPECT_EQ(v.dwPlatformId, c.platform);
    EXPECT_EQ(v.dwMajorVersion, c.major);
    EXPECT_EQ(v.dwMinorVersion, c.minor);
  }
}

TEST(OsVersion, TheStructureSizeMustBeSet) {
  TempMachineRoot root;
  OSVERSIONINFOA info{};
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetVersionExA(nullptr));
}

class FileVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.Write("system32/libmapi32.so", "library bytes");
    root_.Write(
        "system32/libmapi32.so.version",
        "Translation=040904E4\r\nFileVersion=11.0.5604.0\r\nProductName = Messaging stand-in \r\n");
    library_ = root_ / "system32/libmapi32.so";
  }
  TempMachineRoot root_;
  std::string library_;
};

TEST_F(FileVersion, TranslationAndStrings) {
  const auto block = ReadBlock(library_);
  ASSERT_FALSE(block.empty());
  void* p = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &p, &len));
  ASSERT_EQ(len, 4u);
  WORD pair[2];
  std::memcpy(pair, p, sizeof pair);
  EXPECT_EQ(pair[0], 0x0409);
  EXPECT_EQ(pair[1], 0x04E4);

  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4\\FileVersion"), "11.0.5604.0");
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904e4\\fileversion"), "11.0.5604.0");
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4\\ProductName"), "Messaging stand-in");
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040704B0\\FileVersion"),
            "<none>");  // another language
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4\\Missing"), "<none>");
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4"), "<none>");
}

TEST_F(FileVersion, TheBlockIsSelfContained) {
  std::vector<BYTE> copy;
  {
    const auto block = ReadBlock(library_);
    copy = block;
  }
  EXPECT_EQ(QueryText(copy, "\\StringFileInfo\\040904E4\\FileVersion"), "11.0.5604.0");
}

TEST_F(FileVersion, WindowsModuleNamesFindTheLibrary) {
  const auto block = ReadBlock("mapi32.dll");
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4\\FileVersion"), "11.0.5604.0");
  const auto viaPath = ReadBlock(root_.path() + "\\system32\\MAPI32.DLL");
  EXPECT_EQ(QueryText(viaPath, "\\StringFileInfo\\040904E4\\FileVersion"), "11.0.5604.0");
}

TEST_F(FileVersion, MissingResourceAndMissingFile) {
  root_.Write("system32/libnoversion.so", "x");
  DWORD handle = 0;
  EXPECT_EQ(GetFileVersionInfoSizeA((root_ / "system32/libnoversion.so").c_str(), &handle), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(GetFileVersionInfoSizeA((root_ / "system32/libnothing.so").c_str(), &handle), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileVersion, BuffersAndBlocksAreChecked) {
  const DWORD size = GetFileVersionInfoSizeA(library_.c_str(), nullptr);
  std::vector<BYTE> small(size - 1);
  EXPECT_FALSE(GetFileVersionInfoA(library_.c_str(), 0, size - 1, small.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> garbage(64, 0xAB);
  void* p = nullptr;
  UINT len = 0;
  EXPECT_FALSE(VerQueryValueA(garbage.data(), "\\VarFileInfo\\Translation", &p, &len));
}

TEST_F(FileVersion, NoTranslationLineMeansUsEnglishAnsi) {
  root_.Write("system32/libmapi32.so.version", "FileVersion=6.0.1\n");
  const auto block = ReadBlock(library_);
  void* p = nullptr;
  UINT len = 0;
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &p, &len));
  EXPECT_EQ(QueryText(block, "\\StringFileInfo\\040904E4\\FileVersion"), "6.0.1");
}

TEST(ProcessId, IsThePosixOne) {
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
}
