// Test fixtures shared by every test program: a fresh machine root per test
// and a small standard organisation to fill it with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "MachineSetup.h"
#include "OrgDb.h"

namespace testsupport {

// A machine root of its own for one test. The constructor makes a fresh
// temporary folder, points TABRIX_MACHINE at it and creates an empty,
// writable organisation database there (organisation "Org"); the destructor
// removes the folder and restores TABRIX_MACHINE as it was.
class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  const std::string& root() const { return root_; }
  // <root>/organisation.db, open for writing (reopened if CloseOrg closed it).
  orgdb::OrgDb& org();
  // Closes the database, so that a test can replace or damage the file.
  void CloseOrg();
  // Lays out the machine root with orgdb::SetUpMachineRoot; an empty
  // mapiLibrary becomes a link to MapiLibraryPath(). Fails the test
  // (ADD_FAILURE) and returns false when the set-up fails.
  bool SetUp(orgdb::MachineSetupOptions options = {});

  // The lines of <root>/eventlog/Application.jsonl.
  std::vector<std::string> EventLogLines() const;
  // The lines of <root>/mapisim/accounting.jsonl (the set-up's own profile
  // work leaves a line there too).
  std::vector<std::string> AccountingLines() const;

  // The built libmapi32.so.
  static std::string MapiLibraryPath();
  // Where the programs are built.
  static std::string BinDir();

 private:
  std::string root_;
  std::string previousMachine_;
  bool hadPreviousMachine_ = false;
  std::unique_ptr<orgdb::OrgDb> org_;
};

struct StandardOrgOptions {
  int mailboxes = 3;          // on SRV01
  bool secondServer = false;  // adds SRV02 (Exchange 2003) with 2 mailboxes
  bool exchange55 = false;    // SRV01 runs Exchange 5.5 (5.5.2653.0)
};

// Fills `db` with the standard organisation:
//   organisation "Org", configuration naming context
//     "CN=Configuration,DC=corp,DC=example", one site "Site";
//   SRV01, legacy DN /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01,
//     Exchange 2003 6.5.7638.1 (or 5.5.2653.0), reachable;
//   SRV02 likewise (with secondServer), mailboxes "srv2user1", "srv2user2";
//   mailbox i of SRV01 (0-based, table order i):
//     alias         "admin", "jsmith", "mobrien", then "user0004", "user0005", ...
//     display name  "Administrator", "Smith, John", "O'Brien, Mary", then "User 0004", ...
//     email         /o=Org/ou=Site/cn=Recipients/cn=<alias>
//     NT user name  CORP\<alias>
//     size, count   the sum of its folders: 9216 + 100 * i bytes, 5 messages
//     assoc count   2
//     last logon    2006-03-01 12:00:00 UTC plus i hours; last logoff one hour later
//     storage limit 1, 2, 4, 8, 16 by i modulo 5
//   every mailbox's folders (PR_URL_NAME in brackets), top first:
//     Top of Information Store [/]            (no messages)
//       Inbox [/Inbox]                        1024 (attachment), 2048, 512 bytes
//         Projects [/Inbox/Projects]          4096 bytes (attachment)
//       Sent Items [/Sent Items]              1536 + 100 * i bytes, no subject
//       Deleted Items [/Deleted Items]        empty
//     messages submitted 2006-02-01 09:00 UTC onwards, one hour apart in the
//     order listed, delivered one minute after submission;
//   a GAL entry per mailbox (address = email, home MDB = server DN +
//     "/cn=Microsoft Private MDB", home MTA = server DN + "/cn=Microsoft MTA",
//     NT account S-1-5-21-1000-2000-3000-<1000 + mailbox id>, rich info on)
//     and the NT account CORP\<alias> for it;
//   a directory object (msExchExchangeServer) per server in
//     CN=Servers,CN=Site,CN=Administrative Groups,CN=Org,CN=Microsoft Exchange,
//     CN=Services,CN=Configuration,DC=corp,DC=example.
void BuildStandardOrg(orgdb::OrgDb& db, const StandardOrgOptions& o = {});

}  // namespace testsupport
