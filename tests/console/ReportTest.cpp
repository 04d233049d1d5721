// The report's lines: quoting, delimiters, number and time forms, and the
// file written whole or not at all.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "ConsoleReport.h"
#include "LocaleSettings.h"
#include "StopSignals.h"

namespace {

namespace fs = std::filesystem;

core::acTableContent Smith() {
  core::acTableContent r;
  r.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  r.displayName = "John Smith";
  r.ntUserName = "jsmith";
  r.messageSize = 2048 * 1024 + 1023;
  r.contentCount = 153;
  r.assocContentCount = 12;
  r.lastLogonTime = mapi::EncodeDateTime(2006, 3, 11, 8, 15, 2, 0);
  r.lastLogoffTime = mapi::EncodeDateTime(2006, 3, 11, 17, 40, 10, 0);
  r.storageLimitInformation = "Below Limit";
  return r;
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
    std::string pattern = (fs::temp_directory_path() / "tabrix-report-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    platform::ResetLocaleForTesting();
    fs::remove_all(dir_);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string dir_;
};

TEST(QuoteField, DoublesTheQualifier) {
  EXPECT_EQ(console::QuoteField("O'Brien", '\''), "'O''Brien'");
  EXPECT_EQ(console::QuoteField("", '"'), "\"\"");
  EXPECT_EQ(console::QuoteField("\"\"", '"'), "\"\"\"\"\"\"");
  EXPECT_EQ(console::QuoteField("a,b", '"'), "\"a,b\"");
}

TEST_F(ReportTest, LinesWithTheExampleQualifierAndDelimiter) {
  const console::ConsoleReport report('\'', ';');
  EXPECT_EQ(report.HeaderLine(),
            "'EMAIL ADDRESS';'DISPLAY NAME';'NT USER NAME';'MAILBOX OWNER';'MESSAGE SIZE IN KB';"
            "'CONTENT COUNT';'ASSOC CONTENT COUNT';'LAST LOGON TIME';'LAST LOGOFF TIME';"
            "'STORAGE LIMIT INFORMATION'");
  EXPECT_EQ(report.RecordLine(Smith()),
            "'/o=Org/ou=Site/cn=Recipients/cn=jsmith';'John Smith';'jsmith';'';2048;153;12;"
            "03/11/2006 08:15:02;03/11/2006 17:40:10;'Below Limit'");
}

TEST_F(ReportTest, EmptyFieldsAndAwkwardTexts) {
  const console::ConsoleReport report('"', ',');
  core::acTableContent r;
  EXPECT_EQ(report.RecordLine(r), "\"\",\"\",\"\",\"\",0,0,0,,,\"\"");
  r.displayName = "Smith, \"Jack\"\r\nJr.";
  r.mailboxOwner = "CORP\\jsmith";
  r.lastLogonTime = mapi::EncodeDate(2006, 3, 11);  // midnight: the date alone
  r.messageSize = -2048;
  EXPECT_EQ(report.RecordLine(r),
            "\"\",\"Smith, \"\"Jack\"\"\r\nJr.\",\"\",\"CORP\\jsmith\",-2,0,0,03/11/2006,,\"\"");
}

TEST_F(ReportTest, WritesHeaderAndRecordsWithCrLf) {
  console::ConsoleReport report('"', ',');
  report.Add(Smith());
  core::acTableContent second = Smith();
  second.displayName = "O'Brien, Mary";
  report.Add(second);
  std::ostringstream out;
  const std::string path = dir_ + "/SRV01.txt";
  std::ofstream(path) << "an older report";
  report.Write(path, out);
  EXPECT_EQ(out.str(), "Saving report to : " + path + "\n\n");
  EXPECT_EQ(Read(path), report.HeaderLine() + "\r\n" + report.RecordLine(Smith()) + "\r\n" +
                            report.RecordLine(second) + "\r\n");
  // Nothing but the report is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(ReportTest, ReportsLargerThanOneBlockAreWrittenWholeAndInOrder) {
  console::ConsoleReport report('"', ',');
  std::string want = report.HeaderLine() + "\r\n";
  for (int i = 0; i < 12000; ++i) {
    core::acTableContent r = Smith();
    r.displayName =
        "Mailbox " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 300), 'x');
    r.contentCount = i;
    report.Add(r);
    want += report.RecordLine(r) + "\r\n";
  }
  ASSERT_GT(want.size(), 3u << 20);  // several blocks
  std::ostringstream out;
  report.Write(dir_ + "/BIG.txt", out);
  EXPECT_EQ(report.RecordCount(), 12000u);
  EXPECT_TRUE(Read(dir_ + "/BIG.txt") == want);
}

TEST_F(ReportTest, NoRecordsNoFile) {
  const console::ConsoleReport report('"', ',');
  std::ostringstream out;
  report.Write(dir_ + "/SRV01.txt", out);
  EXPECT_EQ(out.str(), "\n");
  EXPECT_FALSE(fs::exists(dir_ + "/SRV01.txt"));
}

TEST_F(ReportTest, UnwritableFolderRaisesAndLeavesNothing) {
  // A regular file where the folder should be: no one, root included, can
  // create anything below it.
  const std::string notAFolder = dir_ + "/reports";
  std::ofstream(notAFolder) << "in the way";
  console::ConsoleReport report('"', ',');
  report.Add(Smith());
  std::ostringstream out;
  EXPECT_THROW(report.Write(notAFolder + "/SRV01.txt", out), console::ReportFileError);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Read(notAFolder), "in the way");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(ReportTest, AFolderInThePlaceOfTheFileRaises) {
  console::ConsoleReport report('"', ',');
  report.Add(Smith());
  fs::create_directory(dir_ + "/SRV01.txt");
  fs::create_directory(dir_ + "/SRV01.txt/inside");
  std::ostringstream out;
  try {
    report.Write(dir_ + "/SRV01.txt", out);
    ADD_FAILURE() << "no exception";
  } catch (const console::ReportFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + dir_ + "/SRV01.txt\""),
              std::string::npos);
  }
  // The temporary file is gone again.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST(TemporaryNameFor, AlwaysFitsTheFileNameLimit) {
  const std::string suffix = ".XXXXXX";
  const struct {
    const char* why;
    std::string path;
    std::string want;
  } cases[] = {
      {"short name: the suffix appended", "/r/SRV01.txt", "/r/SRV01.txt.XXXXXX"},
      {"exactly at the limit with the suffix", "/r/" + std::string(248, 'a'),
       "/r/" + std::string(248, 'a') + suffix},
      {"one byte over: the name shortened", "/r/" + std::string(249, 'a'),
       "/r/" + std::string(248, 'a') + suffix},
      {"longest legal name", "/r/" + std::string(255, 'b'), "/r/" + std::string(248, 'b') + suffix},
      {"the folder does not count", "/" + std::string(300, 'd') + "/x.txt",
       "/" + std::string(300, 'd') + "/x.txt" + suffix},
      {"no folder", std::string(250, 'c'), std::string(248, 'c') + suffix},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(console::TemporaryNameFor(c.path, suffix), c.want);
  }
}

TEST_F(ReportTest, NamesUpToTheLimitAreWritten) {
  for (const std::size_t length : {248u, 249u, 250u, 255u}) {
    SCOPED_TRACE(length);
    console::ConsoleReport report('"', ',');
    report.Add(Smith());
    const std::string path = dir_ + "/" + std::string(length - 4, 'S') + ".txt";
    std::ostringstream out;
    report.Write(path, out);
    EXPECT_EQ(Read(path), report.HeaderLine() + "\r\n" + report.RecordLine(Smith()) + "\r\n");
    fs::remove(path);
  }
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ReportTest, ModeFollowsTheUmaskOrTheReplacedReport) {
  const struct {
    const char* why;
    mode_t umask;
    std::optional<mode_t> older;  // the report already there, and its mode
    mode_t want;
  } cases[] = {
      {"new file under umask 077 is private", 077, std::nullopt, 0600},
      {"new file under umask 022", 022, std::nullopt, 0644},
      {"new file under umask 002", 002, std::nullopt, 0664},
      {"a 0600 report stays 0600", 022, 0600, 0600},
      {"a 0640 report stays 0640 under umask 077", 077, 0640, 0640},
      {"a 0444 report stays 0444", 022, 0444, 0444},
  };
  const std::string path = dir_ + "/SRV01.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    fs::remove(path);
    if (c.older) {
      std::ofstream(path) << "an older report";
      ASSERT_EQ(::chmod(path.c_str(), *c.older), 0);
    }
    const mode_t previous = ::umask(c.umask);
    console::WriteFileReplacing(path, {"report\r\n"});
    ::umask(previous);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.want);
    EXPECT_EQ(Read(path), "report\r\n");
  }
}

TEST_F(ReportTest, ReplacedReportKeepsItsGroupWhereAllowed) {
  if (::getuid() != 0) GTEST_SKIP() << "giving a file a group other than ours needs root";
  const std::string path = dir_ + "/SRV01.txt";
  std::ofstream(path) << "an older report";
  const gid_t other = 4242;
  ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), other), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  console::WriteFileReplacing(path, {"report\r\n"});
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_gid, other);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ReportTest, AStopSignalLeavesNoPartialReport) {
  const std::string path = dir_ + "/SRV01.txt";
  std::ofstream(path) << "an older report";
  console::ConsoleReport report('"', ',');
  report.Add(Smith());
  std::ostringstream out;
  console::SetStopSignalForTesting(SIGTERM);
  EXPECT_THROW(report.Write(path, out), console::RunInterrupted);
  console::SetStopSignalForTesting(0);
  // The older report is untouched and the temporary is gone.
  EXPECT_EQ(Read(path), "an older report");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
