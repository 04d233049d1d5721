// The fixture of the end-to-end tests: a fresh machine root with the
// standard organisation and a default profile for "admin" on SRV01, and a
// program folder holding boxstatcon.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "ConsoleHarness.h"
#include "MAPIDefs.h"
#include "TestMachine.h"

namespace consoletest {

inline constexpr const char* kSource = "Tabrix Mailbox Statistics boxstatcon";

// 2006-03-01 12:00:00 UTC as a FILETIME, the standard mailboxes' first logon.
inline constexpr std::uint64_t kStandardLogon = 127856880000000000ULL;
inline constexpr std::uint64_t kHourTicks = 36000000000ULL;

class ConsoleFixture : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::BuildStandardOrg(machine.org(), orgOptions); }

  // Lays out the machine root (after the organisation has been filled).
  void Prepare(orgdb::MachineSetupOptions options = {}) {
    if (!options.defaultProfileMailbox) {
      options.defaultProfileMailbox = "admin";
      options.defaultProfileServer = "SRV01";
    }
    machine.CloseOrg();
    ASSERT_TRUE(machine.SetUp(options));
  }

  // The INI of a run on SRV01 of organisation Org, site Site, with extra
  // lines for [Config] and [Server0].
  static std::string Ini(const std::string& config = "LogSuccess=1\n",
                         const std::string& server0 = "", const std::string& serverName = "SRV01") {
    return "[Organization]\nName=Org\n[Config]\n" + config +
           "[Server0]\nSite Name=Site\nServer Name=" + serverName + "\n" + server0;
  }

  ProgramRun Run(const std::map<std::string, std::string>& env = {{"TZ", "UTC"}, {"LC_ALL", "C"}}) {
    return folder.Run(env);
  }

  std::vector<Event> OurEvents() const {
    return EventsOf(ReadEvents(machine.EventLogLines()), kSource);
  }
  std::optional<Accounting> RunAccounting() const {
    return LastAccountingOf(machine.AccountingLines(), "boxstatcon");
  }
  // The user's registry hive as text, where the MAPI profiles live.
  std::string UserHiveText() const {
    std::ifstream in(machine.root() + "/registry/HKEY_CURRENT_USER.reg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Adds a mailbox without folders to SRV01 at the given table position;
  // its size and counts are what is given.
  std::int64_t AddMailbox(const orgdb::Mailbox& m);
  std::int64_t ServerId(const std::string& name);

  testsupport::StandardOrgOptions orgOptions;
  testsupport::TestMachine machine;
  ProgramFolder folder;
};

inline std::int64_t ConsoleFixture::ServerId(const std::string& name) {
  return machine.org().FindServerByName(name)->id;
}

inline std::int64_t ConsoleFixture::AddMailbox(const orgdb::Mailbox& m) {
  orgdb::Mailbox copy = m;
  if (copy.serverId == 0) copy.serverId = ServerId("SRV01");
  return machine.org().AddMailbox(copy);
}

// The lines of a successful standard run up to the server pass.
inline std::string StartLines(const std::string& org = "Org") {
  return Banner() + "Organization: " + org +
         "\nMAPI Initialize...\nMAPI Initialize - OK!\nMAPI Loging...\nMAPI MapiLogon - OK!\n";
}

inline std::string PassLines(const std::string& server, int count) {
  return "Open Exchange Private Store - OK!\nQuery Interface Exchange Manage Store - OK!\n"
         "Processing Server: " +
         server + " ...\nGet Mailbox Table From Server " + server + " - OK!\n" +
         (count ? "# of Mailboxes at Server " + server + ": " + std::to_string(count) + "\n" : "");
}

inline std::string EndLines() {
  return "MAPI Logoff - OK!\nMAPI UnInitialize - OK!\nGood Bye!\n";
}

}  // namespace consoletest
