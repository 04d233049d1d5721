// boxstatcon reporting the private Dovecot through the Dovecot provider: a
// machine root set up by tabrix-org with that provider, the console run as a
// process, and its report's rows compared with the ground truth the fill
// script computed from the mail it wrote.
#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>

#include "AnsiText.h"
#include "ConsoleHarness.h"
#include "DovecotFixture.h"
#include "TestMachine.h"

namespace mapidove {
namespace {

using consoletest::Lines;
using consoletest::ProgramFolder;
using nlohmann::json;

constexpr const char* kIni =
    "[Organization]\nName=Tabrix\n[Config]\nLogSuccess=0\n"
    "[Server0]\nSite Name=Dovecot\nServer Name=MAIL01\n";

// The fields of a report line written with the default qualifier and
// delimiter (no field of these mailboxes holds either).
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.push_back(field);
      field.clear();
    } else if (c != '\r') {
      field.push_back(c);
    }
  }
  fields.push_back(field);
  return fields;
}

// "MM/DD/YYYY HH:MM:SS" (the C locale's form, in UTC) as seconds since 1970.
std::int64_t Seconds(const std::string& text) {
  std::tm t{};
  if (!strptime(text.c_str(), "%m/%d/%Y %H:%M:%S", &t)) return -1;
  return static_cast<std::int64_t>(timegm(&t));
}

// A machine root with the Dovecot provider and a default profile for the
// first user, as an administrator sets one up.
class DovecotMachine {
 public:
  explicit DovecotMachine(const DovecotServer& server) {
    std::ofstream names(machine.root() + "/names.txt");
    for (const auto& u : server.truth()["users"])
      names << u["name"].get<std::string>() << '\t' << u["displayName"].get<std::string>() << '\n';
    names.close();
    const std::string first = server.truth()["users"][0]["name"];
    const std::string command = std::string(TABRIX_ORG_TOOL) + " setup " + machine.root() +
                                " --provider dovecot --dovecot " + server.dir() +
                                " --server MAIL01 --display-names " + machine.root() +
                                "/names.txt --profile-mailbox " + first +
                                " --profile-server MAIL01 --no-spreadsheet --no-document >" +
                                machine.root() + "/setup.log 2>&1";
    ok = std::system(command.c_str()) == 0;
  }
  // Makes the configuration name the proxy's ports.
  void PointAt(const StoppingProxy& proxy) const {
    const std::string config = machine.root() + "/dovecot.json";
    std::ifstream in(config);
    json c = json::parse(in);
    in.close();
    c["httpPort"] = proxy.httpPort();
    c["imapPort"] = proxy.imapPort();
    std::ofstream(config) << c.dump();
  }
  testsupport::TestMachine machine;
  bool ok = false;
};

TEST(DovecotConsole, ReportRowsEqualTheGroundTruth) {
  TABRIX_NEED_DOVECOT(server);
  DovecotMachine m(*server);
  ASSERT_TRUE(m.ok) << "tabrix-org setup failed; see " << m.machine.root() << "/setup.log";
  ProgramFolder folder;
  folder.WriteIni(kIni);
  const consoletest::ProgramRun run = folder.Run();
  ASSERT_EQ(run.exitCode, 0) << run.out;
  ASSERT_TRUE(folder.Exists("MAIL01.txt")) << run.out;

  std::map<std::string, std::vector<std::string>> rows;  // by email address
  const std::vector<std::string> lines = Lines(folder.ReadFile("MAIL01.txt"));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 10u) << lines[i];
    rows[f[0]] = f;
  }
  const json& users = server->truth()["users"];
  EXPECT_EQ(rows.size(), users.size());
  const std::map<std::string, std::string> limitText = {{"below", "Below Limit"},
                                                        {"warning", "Issue Warning"},
                                                        {"at-limit", "Prohibit Send"},
                                                        {"none", "No Checking"}};
  for (const auto& u : users) {
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    auto row = rows.find("/o=Tabrix/ou=Dovecot/cn=Recipients/cn=" + name);
    ASSERT_NE(row, rows.end());
    const std::vector<std::string>& f = row->second;
    EXPECT_EQ(f[1], Utf8ToAnsi(u["displayName"].get<std::string>()));
    EXPECT_EQ(f[2], "");
    EXPECT_EQ(f[4], std::to_string(u["vsize"].get<std::int64_t>() / 1024));
    EXPECT_EQ(f[5], std::to_string(u["messages"].get<std::int64_t>()));
    EXPECT_EQ(f[6], "0");
    EXPECT_EQ(f[8], "");
    EXPECT_EQ(f[9], limitText.at(u["quota"]["state"].get<std::string>()));
    if (server->LoggedInByTest(name)) {
      EXPECT_NE(f[7], "");
    } else if (u["lastLogin"].is_null()) {
      EXPECT_EQ(f[7], "");
    } else {
      EXPECT_GE(Seconds(f[7]), u["lastLogin"]["notBefore"].get<std::int64_t>()) << f[7];
      EXPECT_LE(Seconds(f[7]), u["lastLogin"]["notAfter"].get<std::int64_t>()) << f[7];
    }
  }
  auto accounting = consoletest::LastAccountingOf(m.machine.AccountingLines(), "boxstatcon");
  ASSERT_TRUE(accounting.has_value());
  EXPECT_TRUE(accounting->Balanced());
}

// The server goes away after the first `calls` requests of the run: at
// each of them the run ends with the console's own words, within the
// client's timeouts, writes no report and leaves nothing in the stand-in.
struct ConsoleStop {
  const char* step;
  int calls;
  std::vector<const char*> texts;  // in the output, in this order
};

// clang-format off
const ConsoleStop kConsoleStops[] = {
    {"logon: the user list", 0, {"The logon did not succeed"}},
    {"mailbox table: the first batch", 1,
     {"# of Mailboxes at Server MAIL01: ", "Cannot connect to doveadm", "Error Code: $80040115"}},
};
// clang-format on

class DovecotConsoleStop : public ::testing::TestWithParam<ConsoleStop> {};

TEST_P(DovecotConsoleStop, FailsWithTheConsolesWordsAndLeaksNothing) {
  const ConsoleStop& c = GetParam();
  TABRIX_NEED_DOVECOT(server);
  DovecotMachine m(*server);
  ASSERT_TRUE(m.ok) << "tabrix-org setup failed; see " << m.machine.root() << "/setup.log";
  StoppingProxy proxy(server->config(), c.calls);
  m.PointAt(proxy);  // the profile stays; the server it names goes away

  ProgramFolder folder;
  folder.WriteIni(kIni);
  const consoletest::ProgramRun run = folder.Run();
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  std::size_t at = 0;
  for (const char* text : c.texts) {
    at = run.out.find(text, at);
    ASSERT_NE(at, std::string::npos) << text << " in\n" << run.out;
  }
  EXPECT_FALSE(folder.Exists("MAIL01.txt"));
  auto accounting = consoletest::LastAccountingOf(m.machine.AccountingLines(), "boxstatcon");
  ASSERT_TRUE(accounting.has_value());
  EXPECT_TRUE(accounting->Balanced());
}

void PrintTo(const ConsoleStop& c, std::ostream* os) {
  *os << c.step;
}

INSTANTIATE_TEST_SUITE_P(Step, DovecotConsoleStop, ::testing::ValuesIn(kConsoleStops));

}  // namespace
}  // namespace mapidove
