// Reading BOXSTATCON.INI: defaults, trimming, the distinguished name, the
// checks, and bad files that must not break the reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ConsoleConfig.h"

namespace {

namespace fs = std::filesystem;

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tabrix-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/BOXSTATCON.INI";
  }
  void TearDown() override { fs::remove_all(dir_); }

  console::ConfigResult Read(const std::string& text) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
    out_.str("");
    return console::ReadConsoleConfig(path_, out_);
  }

  std::string dir_, path_;
  std::ostringstream out_;
};

const char* kFull =
    "[Organization]\r\nName= Org \r\n"
    "[Config]\r\nLogSuccess=1\r\nText qualifier='\r\nRow delimiter=;\r\n"
    "Mailbox=admin\r\nServerName=SRV01\r\nLookUp NT Account Server=DC01\r\n"
    "[Server0]\r\nSite Name=Site\r\nServer Name=Srv1\r\nMBSizeLimit=100\r\nRealNTAccount=1\r\n";

TEST_F(ConfigTest, FullFile) {
  const auto r = Read(kFull);
  ASSERT_TRUE(r.config);
  EXPECT_EQ(out_.str(), "Organization: Org\n");
  EXPECT_TRUE(r.logSuccess);
  const auto& c = *r.config;
  EXPECT_EQ(c.textQualifier, '\'');
  EXPECT_EQ(c.rowDelimiter, ';');
  EXPECT_EQ(c.mailbox, "admin");
  EXPECT_EQ(c.profileServer, "SRV01");
  EXPECT_EQ(c.server.serverName, "Srv1");  // as written, not upper-cased
  EXPECT_EQ(c.server.serverDn, "/O=ORG/OU=SITE/CN=CONFIGURATION/CN=SERVERS/CN=SRV1");
  EXPECT_EQ(c.server.sizeLimitKb, 100);
  EXPECT_TRUE(c.server.realNtAccount);
  EXPECT_EQ(c.server.lookupServer, "DC01");
}

TEST_F(ConfigTest, DefaultsWithLineFeedsOnly) {
  const auto r = Read("[Organization]\nName=Org\n[Server0]\nSite Name=Site\nServer Name=SRV01\n");
  ASSERT_TRUE(r.config);
  const auto& c = *r.config;
  EXPECT_FALSE(r.logSuccess);
  EXPECT_EQ(c.textQualifier, '"');
  EXPECT_EQ(c.rowDelimiter, ',');
  EXPECT_EQ(c.mailbox, "");
  EXPECT_EQ(c.server.sizeLimitKb, -1);
  EXPECT_FALSE(c.server.realNtAccount);
  EXPECT_EQ(c.server.lookupServer, "");
}

TEST_F(ConfigTest, MissingFileOrKeysEndTheRun) {
  out_.str("");
  const auto none = console::ReadConsoleConfig(dir_ + "/nothing.ini", out_);
  EXPECT_FALSE(none.config);
  EXPECT_EQ(out_.str(), "Organization: ERROR\n");
  const struct {
    const char* why;
    const char* ini;
    const char* orgLine;
  } cases[] = {
      {"no organisation key", "[Server0]\nSite Name=S\nServer Name=X\n", "Organization: ERROR\n"},
      {"no site", "[Organization]\nName=O\n[Server0]\nServer Name=X\n", "Organization: O\n"},
      {"blank site", "[Organization]\nName=O\n[Server0]\nSite Name= \t \nServer Name=X\n",
       "Organization: O\n"},
      {"no server", "[Organization]\nName=O\n[Server0]\nSite Name=S\n", "Organization: O\n"},
      {"empty server", "[Organization]\nName=O\n[Server0]\nSite Name=S\nServer Name=\n",
       "Organization: O\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const auto r = Read(c.ini);
    EXPECT_FALSE(r.config);
    EXPECT_FALSE(r.refusal);
    EXPECT_EQ(out_.str(), c.orgLine);
  }
}

TEST_F(ConfigTest, NamesContainingErrorAreNamesLikeAnyOther) {
  const auto r = Read(
      "[Organization]\nName=Terrors Inc\n[Server0]\nSite Name=Error Site\nServer Name=ERROR\n");
  ASSERT_TRUE(r.config);
  EXPECT_EQ(r.config->server.serverDn,
            "/O=TERRORS INC/OU=ERROR SITE/CN=CONFIGURATION/CN=SERVERS/CN=ERROR");
  EXPECT_EQ(out_.str(), "Organization: Terrors Inc\n");
}

TEST_F(ConfigTest, ControlCharactersOfTheOrganisationAreNotEchoed) {
  const struct {
    const char* why;
    const char* name;
    const char* line;
    const char* dnStart;
  } cases[] = {
      {"colour escape", "My \x1b[31mRed\x1b[0m Org", "Organization: My ?[31mRed?[0m Org\n",
       "/O=MY \x1b[31MRED\x1b[0M ORG/"},
      {"title escape ended by BEL", "Org\x1b]0;owned\x07X", "Organization: Org?]0;owned?X\n",
       "/O=ORG\x1b]0;OWNED\x07X/"},
      {"delete and tab inside", "A\x7f\tB", "Organization: A??B\n", "/O=A\x7f\tB/"},
      {"bytes above 0x7F are text", "\xC3\xA9t\xC3\xA9", "Organization: \xC3\xA9t\xC3\xA9\n",
       "/O=\xC3\xA9T\xC3\xA9/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const auto r = Read(std::string("[Organization]\nName=") + c.name +
                        "\n[Server0]\nSite Name=S\nServer Name=X\n");
    EXPECT_EQ(out_.str(), c.line);
    // The distinguished name keeps the bytes as they are.
    ASSERT_TRUE(r.config);
    EXPECT_EQ(r.config->server.serverDn.rfind(c.dnStart, 0), 0u) << r.config->server.serverDn;
  }
}

TEST_F(ConfigTest, EmptyButPresentOrganisation) {
  const auto r = Read("[Organization]\nName=\n[Server0]\nSite Name=Site\nServer Name=SRV01\n");
  ASSERT_TRUE(r.config);
  EXPECT_EQ(r.config->server.serverDn, "/O=/OU=SITE/CN=CONFIGURATION/CN=SERVERS/CN=SRV01");
  EXPECT_EQ(out_.str(), "Organization: \n");
}

TEST_F(ConfigTest, EmptyQualifierAndDelimiterUseTheDefaults) {
  const auto r = Read(
      "[Organization]\nName=O\n[Config]\nText qualifier=\nRow delimiter=   \n"
      "[Server0]\nSite Name=S\nServer Name=X\n");
  ASSERT_TRUE(r.config);
  EXPECT_EQ(r.config->textQualifier, '"');
  EXPECT_EQ(r.config->rowDelimiter, ',');
  // Only the first character counts.
  const auto r2 = Read(
      "[Organization]\nName=O\n[Config]\nText qualifier=  #x\nRow delimiter=|;\n"
      "[Server0]\nSite Name=S\nServer Name=X\n");
  ASSERT_TRUE(r2.config);
  EXPECT_EQ(r2.config->textQualifier, '#');
  EXPECT_EQ(r2.config->rowDelimiter, '|');
}

TEST_F(ConfigTest, ServerNamesThatCannotNameTheReportAreRefused) {
  for (const char* name : {"a/b", "a\\b", "..", "x..y",
                           "SRV\x01"
                           "01",
                           "../etc/passwd"}) {
    SCOPED_TRACE(name);
    const auto r = Read(
        std::string("[Organization]\nName=O\n[Server0]\nSite Name=S\nServer Name=") + name + "\n");
    EXPECT_FALSE(r.config);
    ASSERT_TRUE(r.refusal);
    EXPECT_NE(r.refusal->find("can not be used as the report file name"), std::string::npos);
  }
  EXPECT_EQ(*console::ReportNameProblem("SRV\x01"
                                        "01"),
            "Error! The server name \"SRV?01\" can not be used as the report file name.");
  EXPECT_FALSE(console::ReportNameProblem("SRV.01"));
  EXPECT_FALSE(console::ReportNameProblem("First Server"));
}

TEST_F(ConfigTest, AbsurdSizeLimitsDoNotBreakTheReader) {
  for (const char* limit : {"abc", "99999999999", "-5", "", "12abc", "0x10"}) {
    SCOPED_TRACE(limit);
    const auto r = Read(
        std::string("[Organization]\nName=O\n[Server0]\nSite Name=S\nServer Name=X\nMBSizeLimit=") +
        limit + "\n");
    ASSERT_TRUE(r.config);
  }
  EXPECT_EQ(Read("[Organization]\nName=O\n[Server0]\nSite Name=S\nServer Name=X\nMBSizeLimit=-5\n")
                .config->server.sizeLimitKb,
            -5);
}

TEST_F(ConfigTest, GarbageDuplicatesAndByteOrderMark) {
  // Garbage lines around the sections, a duplicate section: the reader
  // still answers and never fails.
  const auto r = Read(
      "\x01\x02garbage\n=\n[\n[Organization\nName=Bad\n[Organization]\nName=O\n"
      "[Server0]\nSite Name=S\nServer Name=X\n[Server0]\nServer Name=Y\n");
  ASSERT_TRUE(r.config);
  EXPECT_EQ(out_.str(), "Organization: O\n");   // the broken header's key is not read
  EXPECT_EQ(r.config->server.serverName, "X");  // of a section named twice the first counts
  const auto bom =
      Read("\xEF\xBB\xBF[Organization]\nName=O\n[Server0]\nSite Name=S\nServer Name=X\n");
  ASSERT_TRUE(bom.config);
  EXPECT_EQ(bom.config->server.serverName, "X");
  // A long value is read whole.
  const std::string longSite(3000, 's');
  const auto big =
      Read("[Organization]\nName=O\n[Server0]\nSite Name=" + longSite + "\nServer Name=X\n");
  ASSERT_TRUE(big.config);
  EXPECT_NE(big.config->server.serverDn.find(std::string(3000, 'S')), std::string::npos);
}

TEST(TrimText, SpacesAndControlCharacters) {
  EXPECT_EQ(console::TrimText(" \t\r\n x y \x01\x1f "), "x y");
  EXPECT_EQ(console::TrimText("   "), "");
  EXPECT_EQ(console::TrimText("\xE9t\xE9"), "\xE9t\xE9");  // bytes above 0x7F stay
}

}  // namespace
