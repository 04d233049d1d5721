// The report read back by an independent reader (Python's csv module) gives
// exactly the organisation's records; owner resolution with its warnings.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "ConsoleFixture.h"
#include "DateTimeText.h"
#include "MailboxRecord.h"

namespace consoletest {
namespace {

// Latin-1 bytes as UTF-8, the way the JSON from Python decodes them.
std::string Utf8(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::vector<std::vector<std::string>> ReadWithPython(const std::string& path, char quote,
                                                     char delimiter) {
  const std::string command =
      std::string(TABRIX_PYTHON) + " " + TABRIX_SOURCE_DIR + "/read_report.py '" + path + "' " +
      (quote == '\'' ? "\"'\"" : std::string("'") + quote + "'") + " '" + delimiter + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string json;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) json.append(buf, n);
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return nlohmann::json::parse(json).get<std::vector<std::vector<std::string>>>();
}

std::string TimeText(const std::optional<std::uint64_t>& ft) {
  if (!ft) return "";
  const FILETIME f{static_cast<DWORD>(*ft & 0xFFFFFFFFu), static_cast<DWORD>(*ft >> 32)};
  try {
    return core::DateTimeText(mapi::FileTimeToLocal(f, false));
  } catch (const mapi::DateConvertError&) {
    return "";
  }
}

class Readback : public ConsoleFixture {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    ConsoleFixture::SetUp();
  }
  orgdb::Mailbox Extra(int order, const std::string& alias) {
    orgdb::Mailbox m;
    m.tableOrder = order;
    m.alias = alias;
    m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=" + alias;
    return m;
  }
  // A GAL entry for the mailbox, with an NT account when `account` is set.
  void Gal(const orgdb::Mailbox& m, std::optional<orgdb::Bytes> sid, bool richInfo = true) {
    orgdb::GalEntry e;
    e.displayName = m.displayName.value_or(m.alias);
    e.alias = m.alias;
    e.address = *m.emailAddress;
    e.homeMdb = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB";
    e.homeMta = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft MTA";
    e.ntAccountSid = std::move(sid);
    e.richInfo = richInfo;
    machine.org().AddGalEntry(e);
  }
};

TEST_F(Readback, PythonCsvReadsExactlyTheRecordsOfTheServer) {
  orgdb::Mailbox awkward = Extra(10, "awkward");
  awkward.displayName = "Semi; colon, 'single' and \"double\" quotes";
  awkward.ntUserName = "CORP\\awk;ward";
  awkward.messageSize = INT64_MAX;
  awkward.contentCount = -1;
  awkward.assocContentCount = INT32_MAX;
  awkward.storageLimit = 8;
  awkward.lastLogonTime = kStandardLogon;
  AddMailbox(awkward);
  orgdb::Mailbox lines = Extra(11, "lines");
  lines.displayName = "First line\r\nsecond line\nthird\rline";
  lines.storageLimit = 3;
  lines.lastLogoffTime = 0xFFFFFFFFFFFFFFFFULL;  // no calendar date: the field stays empty
  AddMailbox(lines);
  orgdb::Mailbox bare = Extra(12, "bare");
  bare.emailAddress.reset();
  bare.displayName = "Jos\xE9 \xC5ngstr\xF6m";
  AddMailbox(bare);
  const std::int64_t server = ServerId("SRV01");
  const std::vector<orgdb::Mailbox> mailboxes = machine.org().MailboxBatch(server, 0, 1000);
  Prepare();
  folder.WriteIni(Ini("Text qualifier='\nRow delimiter=;\n", "RealNTAccount=1\n"));
  const ProgramRun run = Run();
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find(Sep() +
                         "\nError! Exception found: The time stamp gives no valid calendar date\n" +
                         Sep()),
            std::string::npos);

  const auto rows = ReadWithPython(folder.Path("SRV01.txt"), '\'', ';');
  ASSERT_EQ(rows.size(), mailboxes.size() + 1);
  EXPECT_EQ(rows[0], (std::vector<std::string>{
                         "EMAIL ADDRESS", "DISPLAY NAME", "NT USER NAME", "MAILBOX OWNER",
                         "MESSAGE SIZE IN KB", "CONTENT COUNT", "ASSOC CONTENT COUNT",
                         "LAST LOGON TIME", "LAST LOGOFF TIME", "STORAGE LIMIT INFORMATION"}));
  for (std::size_t i = 0; i < mailboxes.size(); ++i) {
    const orgdb::Mailbox& m = mailboxes[i];
    SCOPED_TRACE(m.alias);
    // The standard mailboxes have NT accounts CORP\<alias>; the extra ones
    // have no directory entry.
    const bool standard = m.alias == "admin" || m.alias == "jsmith" || m.alias == "mobrien";
    const std::vector<std::string> want = {
        Utf8(m.emailAddress.value_or("")),
        Utf8(m.displayName.value_or("")),
        Utf8(m.ntUserName.value_or("")),
        standard ? "CORP\\" + m.alias : "",
        std::to_string(m.messageSize.value_or(0) / 1024),
        std::to_string(m.contentCount.value_or(0)),
        std::to_string(m.assocContentCount.value_or(0)),
        TimeText(m.lastLogonTime),
        TimeText(m.lastLogoffTime),
        m.storageLimit ? core::StorageLimitText(*m.storageLimit, mapi::Flavour::Console) : ""};
    EXPECT_EQ(rows[i + 1], want);
  }
}

TEST_F(Readback, OwnerResolutionWarnings) {
  // Two directory entries with one address: ambiguous.
  orgdb::Mailbox twice = Extra(10, "twice");
  AddMailbox(twice);
  Gal(twice, orgdb::SidFromString("S-1-5-21-1-2-3-9001"));
  Gal(twice, orgdb::SidFromString("S-1-5-21-1-2-3-9002"));
  // A directory entry without an NT account.
  orgdb::Mailbox nosid = Extra(11, "nosid");
  AddMailbox(nosid);
  Gal(nosid, std::nullopt);
  // An account that no longer exists.
  orgdb::Mailbox gone = Extra(12, "gone");
  AddMailbox(gone);
  Gal(gone, orgdb::SidFromString("S-1-5-21-1-2-3-9003"));
  // Names longer than 63 characters resolve all the same.
  orgdb::Mailbox longname = Extra(13, "longname");
  AddMailbox(longname);
  Gal(longname, orgdb::SidFromString("S-1-5-21-1-2-3-9004"));
  machine.org().AddNtAccount(
      {orgdb::SidFromString("S-1-5-21-1-2-3-9004"), std::string(70, 'D'), std::string(100, 'n')});
  // No rich information: treated as unresolved.
  orgdb::Mailbox plain = Extra(14, "plain");
  AddMailbox(plain);
  Gal(plain, orgdb::SidFromString("S-1-5-21-1-2-3-9005"), false);
  machine.org().AddNtAccount({orgdb::SidFromString("S-1-5-21-1-2-3-9005"), "CORP", "plain"});
  Prepare();
  folder.WriteIni(Ini("LogSuccess=0\n", "RealNTAccount=1\n"));
  const ProgramRun run = Run();
  ASSERT_EQ(run.exitCode, 0);
  const auto warn = [](const std::string& text) {
    return Sep() + "\n" + text + "\n" + Sep() + "\n";
  };
  const std::string ex = "EX:/o=Org/ou=Site/cn=Recipients/cn=";
  const std::string want =
      StartLines() + PassLines("SRV01", 8) +
      warn("Warning! Can not resolve address: " + ex + "twice") +
      warn("Warning! Can not get real NT Account for address: " + ex + "twice") + Sep() +
      "\nWarning! Can not get properties for address: " + ex +
      "nosid\nMAPI ERROR:\r\nMAPI_W_ERRORS_RETURNED\r\nError Code: $40380\n" + Sep() + "\n" +
      warn("Warning! Can not get real NT Account for address: " + ex + "nosid") +
      warn("Warning! Can not get real NT Account for address: " + ex + "gone") +
      warn("Warning! Can not resolve address: " + ex + "plain") +
      warn("Warning! Can not get real NT Account for address: " + ex + "plain") +
      "Saving report to : " + folder.Path("SRV01.txt") + "\n\n" + EndLines();
  EXPECT_EQ(run.out, want);
  const std::vector<std::string> lines = Lines(folder.ReadFile("SRV01.txt"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_NE(lines[1].find(",\"CORP\\admin\",9,"), std::string::npos);
  EXPECT_NE(lines[4].find("\"/o=Org/ou=Site/cn=Recipients/cn=twice\",\"\",\"\",\"\",0,"),
            std::string::npos);
  EXPECT_NE(lines[7].find(",\"" + std::string(70, 'D') + "\\" + std::string(100, 'n') + "\","),
            std::string::npos);
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(acc->Balanced());
}

}  // namespace
}  // namespace consoletest
