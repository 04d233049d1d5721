// Private-profile reading: the parser's rules, table-driven, and the Win32
// calls' buffer and return-value rules.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <optional>

#include <string>
#include <vector>

#include "ProfileParser.h"
#include "TempMachineRoot.h"
#include "Win32.h"

using platform::detail::IniFile;
using platform::detail::ProfileNumber;
using platform::testing::TempMachineRoot;

namespace {

struct LookupCase {
  const char* why;
  std::string text;
  const char* section;
  const char* key;
  const char* expected;  // nullptr: absent
};

}  // namespace

TEST(ProfileParser, Lookups) {
  // clang-format off
  const std::vector<LookupCase> cases = {
      {"plain", "[Config]\nMailbox=jsmith\n", "Config", "Mailbox", "jsmith"},
      {"section and key without regard to case", "[CONFIG]\nmailbox=x\n", "config", "MAILBOX", "x"},
      {"blanks around key, = and value dropped", "[s]\n  Row delimiter \t=\t ;  \n", "s", "Row delimiter", ";"},
      {"blanks inside the value kept", "[s]\nk = a  b \n", "s", "k", "a  b"},
      {"double quotes removed", "[s]\nk=\" padded \"\n", "s", "k", " padded "},
      {"single quotes removed", "[s]\nk='x'\n", "s", "k", "x"},
      {"only one pair removed", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
      {"unmatched quotes kept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
      {"a lone quote kept", "[s]\nText qualifier=\"\n", "s", "Text qualifier", "\""},
      {"CR LF", "[s]\r\nk=v\r\nj=w\r\n", "s", "j", "w"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
      {"comment line", "[s]\n;k=hidden\n", "s", "k", nullptr},
      {"indented comment", "[s]\n   ; k=hidden\nk=shown\n", "s", "k", "shown"},
      {"first key wins", "[s]\nk=first\nk=second\n", "s", "k", "first"},
      {"first section wins", "[s]\nk=first\n[t]\n[S]\nk=second\nj=only-in-second\n", "s", "k", "first"},
      {"keys of a repeated section are ignored", "[s]\nk=1\n[s]\nj=2\n", "s", "j", nullptr},
      {"empty value is present", "[s]\nk=\n", "s", "k", ""},
      {"value with =", "[s]\nk=a=b\n", "s", "k", "a=b"},
      {"section name trimmed", "[  Server0  ]\nServer Name=SRV1\n", "Server0", "Server Name", "SRV1"},
      {"text after ] ignored", "[s] trailing\nk=v\n", "s", "k", "v"},
      {"missing ] drops the section", "[broken\nk=v\n", "broken", "k", nullptr},
      {"missing ] does not leak into the previous section", "[s]\n[broken\nk=v\n", "s", "k", nullptr},
      {"line without = is absent", "[s]\njustaword\n", "s", "justaword", nullptr},
      {"key before any section is absent", "k=v\n[s]\n", "s", "k", nullptr},
      {"empty file", "", "s", "k", nullptr},
      {"no final newline", "[s]\nk=v", "s", "k", "v"},
      {"8-bit text kept", "[s]\nk=caf\xe9\n", "s", "k", "caf\xe9"},
      {"invalid UTF-8 kept as bytes", "[s]\nk=\xff\xfe\x80\n", "s", "k", "\xff\xfe\x80"},
  };
  // clang-format on
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.why);
    const IniFile file = IniFile::Parse(c.text);
    const auto value = file.Find(c.section, c.key);
    if (c.expected == nullptr) {
      EXPECT_FALSE(value.has_value());
    } else {
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(*value, c.expected);
    }
  }
}

TEST(ProfileParser, HostileInputStillReadsTheRest) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131) & 0xFF));
  const std::string hugeLine(1u << 20, 'x');
  const std::string text =
      "[a]\nk=1\n" + garbage + "\n" + hugeLine + "\n[b]\nk=" + hugeLine + "\n[c]\nk=3\n";
  const IniFile file = IniFile::Parse(text);
  EXPECT_EQ(file.Find("a", "k").value_or("-"), "1");
  EXPECT_EQ(file.Find("b", "k")->size(), hugeLine.size());
  EXPECT_EQ(file.Find("c", "k").value_or("-"), "3");
}

TEST(ProfileParser, Numbers) {
  struct Case {
    const char* text;
    unsigned expected;
  };
  const std::vector<Case> cases = {
      {"42", 42u},
      {"   42", 42u},       // leading blanks
      {"-1", 0xFFFFFFFFu},  // as the UINT result carries it
      {"+7", 7u},
      {"12abc", 12u},  // stops at the first non-digit
      {"0x1F", 31u},
      {"0X1f", 31u},
      {"-0x10", 0u - 16u},
      {"0x", 0u},   // "0" then a non-digit
      {"abc", 0u},  // no digits
      {"", 0u},
      {"4294967297", 1u},  // wraps like the 32-bit result
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ProfileNumber(c.text), c.expected);
  }
}

class ProfileCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.Write("BOXSTATCON.INI",
                "[Organization]\nName = Org \n[Config]\nLogSuccess=1\nMBSizeLimit=-1\nEmpty=\n"
                "Text qualifier=\"\nBad=abc\n[Server0]\nServer Name=SRV1\nSite Name=Site\n");
    ini_ = root_ / "BOXSTATCON.INI";
  }
  TempMachineRoot root_;
  std::string ini_;
};

TEST_F(ProfileCalls, StringValuesAndDefaults) {
  char buf[64];
  EXPECT_EQ(
      GetPrivateProfileStringA("Organization", "Name", "ERROR", buf, sizeof buf, ini_.c_str()), 3u);
  EXPECT_STREQ(buf, "Org");
  EXPECT_EQ(
      GetPrivateProfileStringA("Organization", "Missing", "ERROR", buf, sizeof buf, ini_.c_str()),
      5u);
  EXPECT_STREQ(buf, "ERROR");
  // Trailing blanks of the default are dropped; a null default is empty.
  EXPECT_EQ(GetPrivateProfileStringA("x", "y", "dflt   ", buf, sizeof buf, ini_.c_str()), 4u);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(GetPrivateProfileStringA("x", "y", nullptr, buf, sizeof buf, ini_.c_str()), 0u);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(GetPrivateProfileStringA("Config", "Empty", "dflt", buf, sizeof buf, ini_.c_str()), 0u);
  // A missing file gives the default.
  EXPECT_EQ(GetPrivateProfileStringA("Organization", "Name", "ERROR", buf, sizeof buf,
                                     (root_ / "nothing.ini").c_str()),
            5u);
  EXPECT_STREQ(buf, "ERROR");
}

TEST_F(ProfileCalls, TruncationReturnsSizeMinusOne) {
  char buf[4];
  EXPECT_EQ(GetPrivateProfileStringA("Server0", "Server Name", "", buf, sizeof buf, ini_.c_str()),
            3u);
  EXPECT_STREQ(buf, "SRV");
  char one[1];
  EXPECT_EQ(GetPrivateProfileStringA("Server0", "Server Name", "", one, 1, ini_.c_str()), 0u);
  EXPECT_EQ(one[0], '\0');
}

TEST_F(ProfileCalls, ListsOfSectionsAndKeys) {
  char buf[128];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, ini_.c_str());
  EXPECT_EQ(std::string(buf, n), std::string("Organization\0Config\0Server0\0", 28));
  EXPECT_EQ(buf[n], '\0');
  n = GetPrivateProfileStringA("Server0", nullptr, "", buf, sizeof buf, ini_.c_str());
  EXPECT_EQ(std::string(buf, n), std::string("Server Name\0Site Name\0", 22));
  EXPECT_EQ(buf[n], '\0');
  n = GetPrivateProfileStringA("NoSuchSection", nullptr, "", buf, sizeof buf, ini_.c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
  // Too small: cut, two zeros, nSize - 2.
  char small[10];
  n = GetPrivateProfileStringA(nullptr, nullptr, "", small, sizeof small, ini_.c_str());
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(std::string(small, 10), std::string("Organiza\0\0", 10));
}

TEST_F(ProfileCalls, Integers) {
  EXPECT_EQ(GetPrivateProfileIntA("Config", "LogSuccess", 0, ini_.c_str()), 1u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Config", "MBSizeLimit", 5, ini_.c_str())), -1);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Config", "Missing", -1, ini_.c_str())), -1);
  EXPECT_EQ(GetPrivateProfileIntA("Config", "Bad", 9, ini_.c_str()), 0u);    // present, no digits
  EXPECT_EQ(GetPrivateProfileIntA("Config", "Empty", 9, ini_.c_str()), 0u);  // present, empty
}

TEST_F(ProfileCalls, WindowsStylePathsAndFileNameCase) {
  std::string windowsPath = root_.path() + "\\boxstatcon.ini";
  EXPECT_EQ(GetPrivateProfileIntA("Config", "LogSuccess", 0, windowsPath.c_str()), 1u);
  // A bare file name lives in the machine root, the Windows directory here.
  EXPECT_EQ(GetPrivateProfileIntA("Config", "LogSuccess", 0, "BoxStatCon.ini"), 1u);
}

// Sets a file's times an hour back, as for a file written long ago.
void MakeOld(const std::string& path) {
  timespec times[2]{};
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= 3600;
  times[1] = times[0];
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(ProfileCalls, AFileIsParsedOncePerVersion) {
  using platform::detail::IniParseCountForTesting;
  const struct {
    const char* why;
    const char* logSuccess;  // rewrites the file (same size) with this value; null: as it is
    bool old;                // then sets its times an hour back
    unsigned want;
    std::optional<std::size_t> parses;  // for the 100 reads of this step
  } steps[] = {
      {"a file written long ago is parsed once", nullptr, true, 1, 1},
      {"and then answered from memory", nullptr, false, 1, 0},
      {"a new version at the same size is seen", "7", false, 7, std::nullopt},
      {"and another just after it", "8", false, 8, std::nullopt},
      {"once settled it is parsed once more", nullptr, true, 8, 1},
      {"and then answered from memory again", nullptr, false, 8, 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.why);
    if (step.logSuccess)
      root_.Write("BOXSTATCON.INI", std::string("[Config]\nLogSuccess=") + step.logSuccess + "\n");
    if (step.old) MakeOld(ini_);
    const std::size_t before = IniParseCountForTesting();
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(GetPrivateProfileIntA("Config", "LogSuccess", 0, ini_.c_str()), step.want);
    // A file changed within the last moments is read again on every call
    // until its times can tell a later change apart.
    if (step.parses) {
      EXPECT_EQ(IniParseCountForTesting() - before, *step.parses);
    }
  }
}

TEST(ProfileWinIni, GetProfileIntReadsWinIniOfTheMachineRoot) {
  TempMachineRoot root;
  EXPECT_EQ(GetProfileIntA("Mail", "MAPIX", 0), 0u);  // no win.ini
  root.Write("win.ini", "[Mail]\r\nMAPIX=1\r\n");
  EXPECT_EQ(GetProfileIntA("Mail", "MAPIX", 0), 1u);
  EXPECT_EQ(GetProfileIntA("mail", "mapix", 0), 1u);
  EXPECT_EQ(GetProfileIntA("Mail", "Other", 3), 3u);
}
