// boxstatcon on a 100,000-mailbox server against sqlite3 exporting the same
// ten columns of the same database to a CSV file, measured in one run.
// Prints the wall-time ratio (target at most 2.0) and boxstatcon's peak
// resident memory (target at most 64 MiB) without owner resolution, and the
// same two figures with it (RealNTAccount=1: an address-book lookup and an
// account lookup per mailbox), where the export's owner column comes from a
// join of the address list and the NT accounts over the same tables.
//
// Usage: console_bench [MAILBOXES] [WORK_DIR]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ProcessRun.h"

namespace fs = std::filesystem;

using benchsupport::Check;
using benchsupport::Measure;
using benchsupport::Run;

int main(int argc, char** argv) {
  const std::string mailboxes = argc > 1 ? argv[1] : "100000";
  const fs::path work =
      argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "tabrix-console-bench";
  const std::string bin = TABRIX_BIN_DIR;
  fs::remove_all(work);
  fs::create_directories(work / "program");
  const std::string db = (work / "organisation.db").string();
  const std::string root = (work / "machine").string();

  std::printf("generating a server with %s mailboxes ...\n", mailboxes.c_str());
  Check(Run({bin + "/tabrix-org", "generate", "--seed", "7", "--servers", "1", "--mailboxes",
             mailboxes, "--org", "Bench", "--out", db},
            (work / "generate.log").string()),
        "tabrix-org generate");
  // The server with the most mailboxes, its site, and a mailbox on it for
  // the default profile.
  const std::string info = (work / "server.txt").string();
  Check(Run({"sqlite3", "-separator", "\t", db,
             "SELECT s.name, t.name, (SELECT alias FROM mailboxes m WHERE m.server_id = s.id "
             "ORDER BY table_order LIMIT 1) FROM servers s JOIN sites t ON t.id = s.site_id "
             "ORDER BY (SELECT count(*) FROM mailboxes m WHERE m.server_id = s.id) DESC LIMIT 1"},
            info),
        "sqlite3 server query");
  std::string server, site, alias;
  {
    std::ifstream in(info);
    std::getline(in, server, '\t');
    std::getline(in, site, '\t');
    std::getline(in, alias);
  }
  Check(Run({bin + "/tabrix-org", "setup", root, "--org", db, "--mapi-lib", TABRIX_MAPI_LIBRARY,
             "--profile-mailbox", alias, "--profile-server", server},
            (work / "setup.log").string()),
        "tabrix-org setup");
  const std::string where =
      " WHERE m.server_id = (SELECT id FROM servers WHERE name = '" + server + "')";
  const std::string columns =
      ", m.message_size / 1024, m.content_count, m.assoc_content_count, m.last_logon, "
      "m.last_logoff, m.storage_limit FROM mailboxes m";
  const std::string queries[] = {
      "SELECT m.email, m.display_name, m.nt_user_name, ''" + columns + where +
          " ORDER BY m.table_order",
      // The owner as the account lookup finds it: the address list entry of
      // the address (with rich information) and the NT account of its SID.
      "SELECT m.email, m.display_name, m.nt_user_name, "
      "COALESCE(a.domain || '\\' || a.name, '')" +
          columns +
          " LEFT JOIN gal g ON g.address = m.email AND g.rich_info <> 0 "
          "LEFT JOIN nt_accounts a ON a.sid = g.nt_sid" +
          where + " ORDER BY m.table_order"};
  const fs::path program = work / "program" / "boxstatcon";
  fs::copy_file(bin + "/boxstatcon", program);
  const std::vector<std::string> env = {"TABRIX_MACHINE=" + root, "TZ=UTC", "LC_ALL=C"};

  for (int realAccounts = 0; realAccounts <= 1; ++realAccounts) {
    std::ofstream(work / "program" / "BOXSTATCON.INI")
        << "[Organization]\nName=Bench\n[Config]\nLogSuccess=0\n[Server0]\nSite Name=" << site
        << "\nServer Name=" << server << "\nRealNTAccount=" << realAccounts << "\n";
    // The baseline in the same invocation, right before the program.
    const Measure baseline =
        Run({"sqlite3", "-csv", db, queries[realAccounts]}, (work / "baseline.csv").string());
    Check(baseline, "sqlite3 export");
    const Measure console = Run({program.string()}, (work / "console.log").string(), env);
    Check(console, "boxstatcon");
    if (!fs::exists(work / "program" / (server + ".txt"))) {
      std::fprintf(stderr, "boxstatcon wrote no report\n");
      return 1;
    }
    std::printf(
        "RealNTAccount=%d: boxstatcon %.3f s, sqlite3 %.3f s, wall-time ratio %.2f (target <= "
        "2.0); "
        "boxstatcon peak resident memory %.1f MiB (target <= 64)\n",
        realAccounts, console.seconds, baseline.seconds, console.seconds / baseline.seconds,
        static_cast<double>(console.maxRssKb) / 1024.0);
  }
  return 0;
}
