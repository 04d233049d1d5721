// boxstatcon run as a process: standard output, the report byte for byte,
// the event log and the stand-in's accounting, for the run's main paths and
// the configuration and file-name mends.
#include <sys/stat.h>

#include <signal.h>

#include <chrono>
#include <regex>

#include "ConsoleFixture.h"

namespace consoletest {
namespace {

using EndToEnd = ConsoleFixture;

// The report of the three standard mailboxes with the default qualifier and
// delimiter, in the C locale under UTC.
std::string StandardReport() {
  return "\"EMAIL ADDRESS\",\"DISPLAY NAME\",\"NT USER NAME\",\"MAILBOX OWNER\",\"MESSAGE SIZE IN "
         "KB\","
         "\"CONTENT COUNT\",\"ASSOC CONTENT COUNT\",\"LAST LOGON TIME\",\"LAST LOGOFF TIME\","
         "\"STORAGE LIMIT INFORMATION\"\r\n"
         "\"/o=Org/ou=Site/cn=Recipients/cn=admin\",\"Administrator\",\"CORP\\admin\",\"\",9,5,2,"
         "03/01/2006 12:00:00,03/01/2006 13:00:00,\"Below Limit\"\r\n"
         "\"/o=Org/ou=Site/cn=Recipients/cn=jsmith\",\"Smith, John\",\"CORP\\jsmith\",\"\",9,5,2,"
         "03/01/2006 13:00:00,03/01/2006 14:00:00,\"Issue Warning\"\r\n"
         "\"/o=Org/ou=Site/cn=Recipients/cn=mobrien\",\"O'Brien, "
         "Mary\",\"CORP\\mobrien\",\"\",9,5,2,"
         "03/01/2006 14:00:00,03/01/2006 15:00:00,\"Prohibit Send\"\r\n";
}

TEST_F(EndToEnd, WithoutIniOnlyTheBannerTheOrganisationAndGoodBye) {
  Prepare();
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Banner() + "Organization: ERROR\nGood Bye!\n");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"boxstatcon"});
  EXPECT_TRUE(OurEvents().empty());
}

TEST_F(EndToEnd, StandardRunWritesTheReportAndLogsTheMilestones) {
  Prepare();
  folder.WriteIni(Ini());
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, StartLines() + PassLines("SRV01", 3) +
                         "Saving report to : " + folder.Path("SRV01.txt") + "\n\n" + EndLines());
  EXPECT_EQ(folder.ReadFile("SRV01.txt"), StandardReport());
  EXPECT_EQ(folder.Files(),
            (std::vector<std::string>{"BOXSTATCON.INI", "SRV01.txt", "boxstatcon"}));
  std::vector<std::string> texts;
  for (const Event& e : OurEvents()) {
    EXPECT_EQ(e.type, 4);
    EXPECT_EQ(e.eventId, 0);
    EXPECT_EQ(e.category, 0);
    ASSERT_EQ(e.strings.size(), 1u);
    texts.push_back(e.strings[0]);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"MAPI Initialize - OK!", "MAPI MapiLogon - OK!",
                                             "Open Exchange Private Store - OK!",
                                             "Query Interface Exchange Manage Store - OK!",
                                             "Get Mailbox Table From Server SRV01 - OK!",
                                             "MAPI Logoff - OK!", "MAPI UnInitialize - OK!"}));
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(acc->Balanced());
  EXPECT_EQ(acc->profiles, 1);
}

TEST_F(EndToEnd, WithoutLogSuccessNothingReachesTheEventLog) {
  Prepare();
  folder.WriteIni(Ini("LogSuccess=0\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(folder.ReadFile("SRV01.txt"), StandardReport());
  EXPECT_TRUE(OurEvents().empty());
}

TEST_F(EndToEnd, QualifierAndDelimiterFromTheIni) {
  Prepare();
  folder.WriteIni(Ini("Text qualifier='\nRow delimiter=;\n"));
  ASSERT_EQ(Run().exitCode, 0);
  const std::vector<std::string> lines = Lines(folder.ReadFile("SRV01.txt"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 50), "'EMAIL ADDRESS';'DISPLAY NAME';'NT USER NAME';'MAI");
  EXPECT_EQ(lines[3],
            "'/o=Org/ou=Site/cn=Recipients/cn=mobrien';'O''Brien, Mary';'CORP\\mobrien';'';9;5;2;"
            "03/01/2006 14:00:00;03/01/2006 15:00:00;'Prohibit Send'\r");
}

TEST_F(EndToEnd, EmptyQualifierAndDelimiterUseTheDefaults) {
  Prepare();
  folder.WriteIni(Ini("Text qualifier=\nRow delimiter=\n"));
  ASSERT_EQ(Run().exitCode, 0);
  EXPECT_EQ(folder.ReadFile("SRV01.txt"), StandardReport());
}

TEST_F(EndToEnd, SizeFilterKeepsOnlyMailboxesAboveTheLimit) {
  orgdb::Mailbox at100;
  at100.tableOrder = 10;
  at100.alias = "hundred";
  at100.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=hundred";
  at100.displayName = "Exactly 100 KB";
  at100.messageSize = 102400;
  AddMailbox(at100);
  orgdb::Mailbox at101 = at100;
  at101.tableOrder = 11;
  at101.alias = "hundredone";
  at101.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=hundredone";
  at101.displayName = "101 KB";
  at101.messageSize = 103424;
  AddMailbox(at101);
  Prepare();
  folder.WriteIni(Ini("", "MBSizeLimit=100\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, StartLines() + PassLines("SRV01", 5) +
                         "Saving report to : " + folder.Path("SRV01.txt") + "\n\n" + EndLines());
  const std::vector<std::string> lines = Lines(folder.ReadFile("SRV01.txt"));
  ASSERT_EQ(lines.size(), 2u);
  // Absent columns read as empty fields and zeros.
  EXPECT_EQ(lines[1],
            "\"/o=Org/ou=Site/cn=Recipients/cn=hundredone\",\"101 KB\",\"\",\"\",101,0,0,,,\"\"\r");
}

TEST_F(EndToEnd, EverythingFilteredLeavesNoFile) {
  Prepare();
  folder.WriteIni(Ini("", "MBSizeLimit=1000000\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, StartLines() + PassLines("SRV01", 3) + "\n" + EndLines());
  EXPECT_FALSE(folder.Exists("SRV01.txt"));
}

TEST_F(EndToEnd, ServerWithoutMailboxes) {
  orgdb::Server empty;
  empty.siteId = machine.org().Sites().at(0).id;
  empty.name = "SRV03";
  empty.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV03";
  empty.version = machine.org().Servers().at(0).version;
  machine.org().AddServer(empty);
  Prepare();
  folder.WriteIni(Ini("", "", "SRV03"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, StartLines() + PassLines("SRV03", 0) + "\n" + EndLines());
  EXPECT_FALSE(folder.Exists("SRV03.txt"));
}

TEST_F(EndToEnd, LocalTimesUseTheOffsetInForceNow) {
  Prepare();
  folder.WriteIni(Ini());
  ASSERT_EQ(Run({{"TZ", "Asia/Tokyo"}, {"LC_ALL", "C"}}).exitCode, 0);
  const std::vector<std::string> lines = Lines(folder.ReadFile("SRV01.txt"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[1].find(",03/01/2006 21:00:00,03/01/2006 22:00:00,"), std::string::npos);
}

TEST_F(EndToEnd, UnknownServerFailsTheTableAndIsLogged) {
  Prepare();
  folder.WriteIni(Ini("LogSuccess=0\n", "", "SRV09"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  const std::string text =
      "MAPI ERROR:\r\nMAPI_E_NOT_FOUND\r\nError Code: $8004010FCan't get the mailbox table! for "
      "Server SRV09";
  EXPECT_EQ(run.out,
            StartLines() +
                "Open Exchange Private Store - OK!\nQuery Interface Exchange Manage Store - OK!\n"
                "Processing Server: SRV09 ...\n" +
                text + "\n" + EndLines());
  const auto events = OurEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, 1);
  EXPECT_EQ(events[0].strings.at(0), text);
  EXPECT_FALSE(folder.Exists("SRV09.txt"));
}

TEST_F(EndToEnd, NamesContainingErrorNoLongerEndTheRun) {
  machine.org().SetOrganisation({"Terrors Inc", "CN=Configuration,DC=corp,DC=example"});
  Prepare();
  folder.WriteIni(
      "[Organization]\nName=Terrors Inc\n[Server0]\nSite Name=Site\nServer Name=SRV01\n");
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  // The run goes on to the table; the simulated server is known by its own DN.
  EXPECT_EQ(run.out.substr(0, StartLines("Terrors Inc").size()), StartLines("Terrors Inc"));
  EXPECT_NE(run.out.find("Processing Server: SRV01 ..."), std::string::npos);
}

TEST_F(EndToEnd, MissingOrganisationKeyStillEndsTheRun) {
  Prepare();
  folder.WriteIni("[Organization]\nNaem=Org\n[Server0]\nSite Name=Site\nServer Name=SRV01\n");
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Banner() + "Organization: ERROR\nGood Bye!\n");
}

TEST_F(EndToEnd, ServerNameThatIsNoFileNameIsRefused) {
  Prepare();
  folder.WriteIni(Ini("LogSuccess=1\n", "", "../SRV01"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  const std::string reason =
      "Error! The server name \"../SRV01\" can not be used as the report file name.";
  EXPECT_EQ(run.out, Banner() + "Organization: Org\n" + Sep() + "\n" + reason + "\n" + Sep() +
                         "\nGood Bye!\n");
  const auto events = OurEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, 1);
  EXPECT_EQ(events[0].strings.at(0), reason);
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"BOXSTATCON.INI", "boxstatcon"}));
}

TEST_F(EndToEnd, ServerNameOf250BytesGetsItsReport) {
  // With ".txt" the report's name is 254 bytes, one short of the limit.
  const std::string name = "SRV" + std::string(247, 'X');
  orgdb::Server server;
  server.siteId = machine.org().Sites().at(0).id;
  server.name = name;
  server.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=" + name;
  server.version = machine.org().Servers().at(0).version;
  orgdb::Mailbox mailbox;
  mailbox.serverId = machine.org().AddServer(server);
  mailbox.alias = "long";
  mailbox.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=long";
  mailbox.displayName = "Long";
  AddMailbox(mailbox);
  Prepare();
  folder.WriteIni(Ini("", "", name));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(Lines(folder.ReadFile(name + ".txt")).size(), 2u);
  EXPECT_EQ(folder.Files(),
            (std::vector<std::string>{"BOXSTATCON.INI", name + ".txt", "boxstatcon"}));
}

TEST_F(EndToEnd, ReportThatCannotBeWrittenEndsWithTheMessageAfterGoodBye) {
  Prepare();
  folder.WriteIni(Ini());
  // A folder in the report's place: the report cannot be created.
  std::filesystem::create_directories(folder.Path("SRV01.txt") + "/keep");
  const ProgramRun run = Run();
  EXPECT_NE(run.exitCode, 0);
  const std::string head = StartLines() + PassLines("SRV01", 3) + EndLines();
  ASSERT_EQ(run.out.substr(0, head.size()), head);
  EXPECT_EQ(run.out.substr(head.size(), 30),
            "Cannot create file \"" + folder.Path("SRV01.txt").substr(0, 10));
  EXPECT_EQ(folder.Files(),
            (std::vector<std::string>{"BOXSTATCON.INI", "SRV01.txt", "boxstatcon"}));
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(acc->Balanced());
}

TEST_F(EndToEnd, TemporaryProfileIsCreatedAndDeleted) {
  Prepare();
  folder.WriteIni(Ini("Mailbox=jsmith\nServerName=SRV01\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  // The profile creation initialises MAPI by itself and, on success, says
  // only that the profile is there.
  const std::regex shape(
      "[^]*Organization: Org\n"
      "\nTemporary MAPI profile \"(MAILBOXSTAT [0-9A-F]{8} [0-9A-F]{8} [0-9A-F]{8})\" is "
      "created!\n\n"
      "MAPI Initialize...\nMAPI Initialize - OK!\nMAPI Loging...\n"
      "\nTemporary MAPI profile \"\\1\" is DELETED!\n\nMAPI MapiLogon - OK!\n[^]*");
  EXPECT_TRUE(std::regex_match(run.out, shape)) << run.out;
  // The session outlives its profile: the report is complete.
  EXPECT_EQ(folder.ReadFile("SRV01.txt"), StandardReport());
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(acc->Balanced());
  EXPECT_EQ(acc->profiles, 1);  // only the default profile is left
}

TEST_F(EndToEnd, LogonFailureRemovesTheTemporaryProfileAndIsLogged) {
  machine.org().AddFault({0, "MAPILogonEx", MAPI_E_LOGON_FAILED, {}, {}, {}, {}, {}});
  Prepare();
  folder.WriteIni(Ini("LogSuccess=0\nMailbox=jsmith\nServerName=SRV01\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  const std::string wrapped =
      "The logon did not succeed, either because \r\none or more of the parameters to Profile \r\n"
      "were invalid or because there were too \r\nmany sessions open already.";
  EXPECT_NE(run.out.find("\" is DELETED!\n\n" + wrapped + "\nGood Bye!\n"), std::string::npos)
      << run.out;
  const auto events = OurEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, 1);
  EXPECT_EQ(events[0].strings.at(0), wrapped);
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(acc->Balanced());
  EXPECT_EQ(acc->profiles, 1);
}

TEST_F(EndToEnd, TheNextRunRemovesTheProfileOfAnEndedRun) {
  // The first run cannot delete its profile, and ends: the profile stays,
  // as after a run killed outright.
  machine.org().AddFault({0, "IProfAdmin::DeleteProfile", E_FAIL, {}, {}, {}, {}, {}});
  Prepare();
  folder.WriteIni(Ini("LogSuccess=0\nMailbox=jsmith\nServerName=SRV01\n"));
  const ProgramRun first = Run();
  ASSERT_EQ(first.exitCode, 0);
  std::smatch made;
  ASSERT_TRUE(std::regex_search(first.out, made, std::regex("\"(MAILBOXSTAT [0-9A-F ]{26})\"")));
  const std::string leftOver = made[1];
  const auto hiveHas = [this](const std::string& text) {
    return UserHiveText().find(text) != std::string::npos;
  };
  ASSERT_TRUE(hiveHas(leftOver));

  machine.org().ClearFaults();
  machine.CloseOrg();
  const ProgramRun second = Run();
  EXPECT_EQ(second.exitCode, 0);
  const std::string said =
      "Temporary MAPI profile \"" + leftOver + "\" of an ended run is DELETED!";
  // Said before the run's own profile is made.
  EXPECT_EQ(second.out.rfind(Banner() + "Organization: Org\n" + said + "\n", 0), 0u) << second.out;
  EXPECT_FALSE(hiveHas(leftOver));
  EXPECT_FALSE(hiveHas("MAILBOXSTAT"));  // nor the second run's own
  const auto events = OurEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, 2);
  EXPECT_EQ(events[0].strings.at(0), said);
}

TEST_F(EndToEnd, MailboxWithoutServerUsesTheDefaultProfile) {
  Prepare();
  folder.WriteIni(Ini("Mailbox=jsmith\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.find("Temporary MAPI profile"), std::string::npos);
  EXPECT_EQ(folder.ReadFile("SRV01.txt"), StandardReport());
}

TEST_F(EndToEnd, WithoutTheMessagingSwitchMapiIsNotLoaded) {
  orgdb::MachineSetupOptions options;
  options.messagingMapix = "0";
  Prepare(options);
  folder.WriteIni(Ini());
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            Banner() + "Organization: Org\nMAPI Initialize...\nThe MAPI Error!\nGood Bye!\n");
}

TEST_F(EndToEnd, FifoInThePlaceOfAMachineFileDoesNotHang) {
  const struct {
    const char* why;
    const char* file;
    bool reportWritten;  // the FIFO costs the run only what the file was for
  } cases[] = {
      {"event log", "eventlog/Application.jsonl", true},
      {"profile hive: no profile to log on with", "registry/HKEY_CURRENT_USER.reg", false},
      {"stand-in accounting", "mapisim/accounting.jsonl", true},
  };
  Prepare();
  folder.WriteIni(Ini());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string path = machine.root() + "/" + c.file;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool existed = std::filesystem::exists(path);
    if (existed) std::filesystem::rename(path, path + ".saved");
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    RunControl control;
    control.timeout = std::chrono::seconds(20);
    const ProgramRun run = folder.Run(control);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.ends_with("Good Bye!\n")) << run.out;
    EXPECT_EQ(folder.Exists("SRV01.txt"), c.reportWritten);
    std::filesystem::remove(path);
    std::filesystem::remove(folder.Path("SRV01.txt"));
    if (existed) std::filesystem::rename(path + ".saved", path);
  }
}

// A server large enough that its warnings fill standard output's buffers
// several times while the pass is still going.
class NoisyServer : public ConsoleFixture {
 protected:
  NoisyServer() { orgOptions.mailboxes = 400; }
  void SetUp() override {
    ConsoleFixture::SetUp();
    // Every owner lookup fails and says so: about 400 bytes per mailbox.
    machine.org().AddFault({0, "IABContainer::ResolveNames", MAPI_E_NOT_FOUND, {}, {}, {}, {}, {}});
  }
};

TEST_F(NoisyServer, ClosedStandardOutputDoesNotStopTheReport) {
  Prepare();
  folder.WriteIni(Ini("LogSuccess=1\n", "RealNTAccount=1\n"));
  RunControl control;
  control.closeAfterLines = 1;  // boxstatcon | head -1
  const ProgramRun run = folder.Run(control);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Lines(folder.ReadFile("SRV01.txt")).size(), 401u);
  // The rest of the run went on unseen: the event log has its end.
  const auto events = OurEvents();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().strings.at(0), "MAPI UnInitialize - OK!");
}

// A server whose pass, resolving every owner, takes long enough to be
// interrupted at many points, yet runs in about a second.
class LargeServer : public ConsoleFixture {
 protected:
  LargeServer() { orgOptions.mailboxes = 1000; }
};

TEST_F(LargeServer, StopSignalsEndTheRunWithItsCleanUpAtAnyPoint) {
  Prepare();
  folder.WriteIni(Ini("LogSuccess=1\nMailbox=jsmith\nServerName=SRV01\n", "RealNTAccount=1\n"));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Run().exitCode, 0);
  const auto length = std::chrono::steady_clock::now() - start;
  const std::string report = folder.ReadFile("SRV01.txt");
  ASSERT_EQ(Lines(report).size(), 1001u);
  std::filesystem::remove(folder.Path("SRV01.txt"));

  // Points spread over the run, from about the profile's creation to the
  // report; the run's length varies, so the points are parts of it. (Before
  // main() installs the handlers a signal still kills the process: the
  // first point is past the start-up.)
  const struct {
    int signal;
    double at;  // part of an uninterrupted run's length
  } points[] = {{SIGINT, 0.15}, {SIGTERM, 0.2}, {SIGINT, 0.3},  {SIGTERM, 0.4},
                {SIGHUP, 0.5},  {SIGINT, 0.6},  {SIGTERM, 0.7}, {SIGINT, 0.8}};
  for (const auto& p : points) {
    SCOPED_TRACE(std::to_string(p.signal) + " at " + std::to_string(p.at));
    RunControl control;
    control.signal = p.signal;
    control.signalAfter = std::chrono::duration_cast<std::chrono::milliseconds>(length * p.at);
    // A run faster than the measured one may end before its signal: then
    // the point is tried again earlier in the run.
    ProgramRun run;
    for (int attempt = 0; attempt < 4; ++attempt, control.signalAfter /= 2) {
      run = folder.Run(control);
      ASSERT_FALSE(run.timedOut);
      EXPECT_TRUE(run.out.ends_with("Good Bye!\n")) << run.exitCode << "\n" << run.out;
      // A report is there whole or not at all, and nothing else is left.
      if (folder.Exists("SRV01.txt")) {
        EXPECT_TRUE(folder.ReadFile("SRV01.txt") == report);
      }
      std::filesystem::remove(folder.Path("SRV01.txt"));
      EXPECT_EQ(folder.Files(), (std::vector<std::string>{"BOXSTATCON.INI", "boxstatcon"}));
      EXPECT_EQ(UserHiveText().find("MAILBOXSTAT"), std::string::npos);
      const auto acc = RunAccounting();
      ASSERT_TRUE(acc);
      EXPECT_TRUE(acc->Balanced());
      EXPECT_EQ(acc->profiles, 1);
      if (run.exitCode != 0) break;
    }
    EXPECT_EQ(run.exitCode, 128 + p.signal);
  }
}

}  // namespace
}  // namespace consoletest
