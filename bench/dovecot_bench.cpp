// The Dovecot provider against doveadm on the same private Dovecot, in one
// run: boxstatcon's report of a server of many small mailboxes against
// `doveadm mailbox status` listing every user's message count and size, and
// the contents load of one large folder through the provider's libmapi32.so
// (the core's walk, as the details window runs it) against `doveadm fetch`
// of the same fields. Each pair runs three times, alternating, and the best
// of each counts (and the provider's first load, before it knows the
// folder's order by sent date). Prints both wall-time ratios (target at most 1.5),
// boxstatcon's peak resident memory and this process's.
//
// Usage: dovecot_bench [USERS [MESSAGES]]   (defaults 10000 and 100000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ConfigOrgReader.h"
#include "ExtendedMAPI.h"
#include "FolderContents.h"
#include "FolderWalk.h"
#include "MAPIUtils.h"
#include "MailboxLogon.h"
#include "MapiPtr.h"
#include "ProcessRun.h"
#include "ProviderConfig.h"

namespace fs = std::filesystem;

using benchsupport::Check;
using benchsupport::Measure;
using benchsupport::Run;

namespace {

constexpr int kRounds = 3;
const char* const kFetchFields =
    "uid size.virtual date.received.unixtime date.sent.unixtime hdr.subject imap.bodystructure";

std::string g_serverDir;  // the running server's folder, stopped at exit

void StopServer() {
  if (!g_serverDir.empty()) Run({"bash", TABRIX_DOVECOT_SCRIPT, "stop", g_serverDir}, "/dev/null");
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t LineCount(const fs::path& file) {
  std::ifstream in(file);
  return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

// Keeps what the walks read: the top's folders by name and the rows.
class Keep final : public core::FolderWalkListener, public core::ContentsListener {
 public:
  void Failed(core::FolderWalkStep, HRESULT hr, const mapi::ErrorSource&) override { Fail(hr); }
  void Failed(core::ContentsStep, HRESULT hr, const mapi::ErrorSource&) override { Fail(hr); }
  core::FolderNodeHandle FolderAdded(core::FolderNodeHandle parent,
                                     const core::FolderEntry& folder) override {
    if (parent == 0) topLevel[folder.displayName] = folder.entryId;
    return parent + 1;
  }
  void RowRead(core::TOneFolderMessages message) override { rows.push_back(std::move(message)); }
  std::map<std::string, std::vector<BYTE>> topLevel;
  std::vector<core::TOneFolderMessages> rows;
  int failures = 0;

 private:
  void Fail(HRESULT hr) {
    ++failures;
    std::fprintf(stderr, "walk failed: %08X\n", static_cast<unsigned>(hr));
  }
};

// boxstatcon's report of every mailbox against doveadm's per-user totals.
void MailboxTable(const fs::path& work, const std::string& conf, int users) {
  const fs::path program = work / "program" / "boxstatcon";
  fs::create_directories(program.parent_path());
  fs::copy_file(std::string(TABRIX_BIN_DIR) + "/boxstatcon", program);
  std::ofstream(work / "program" / "BOXSTATCON.INI")
      << "[Organization]\nName=Tabrix\n[Config]\nLogSuccess=0\n"
         "[Server0]\nSite Name=Dovecot\nServer Name=MAIL01\n";
  const std::vector<std::string> env = {"TABRIX_MACHINE=" + (work / "machine").string(), "TZ=UTC",
                                        "LC_ALL=C"};
  Measure baseline{1e9, 0, 0};
  Measure console{1e9, 0, 0};
  for (int round = 0; round < kRounds; ++round) {
    const Measure b = Run({"doveadm", "-c", conf, "-f", "tab", "mailbox", "status", "-A", "-t",
                           "messages vsize", "*"},
                          (work / "baseline.tsv").string());
    Check(b, "doveadm mailbox status");
    fs::remove(work / "program" / "MAIL01.txt");
    const Measure c = Run({program.string()}, (work / "console.log").string(), env);
    Check(c, "boxstatcon");
    if (b.seconds < baseline.seconds) baseline = b;
    if (c.seconds < console.seconds) console = c;
  }
  // A header line and a line per user in both.
  const std::size_t reported = LineCount(work / "program" / "MAIL01.txt");
  const std::size_t listed = LineCount(work / "baseline.tsv");
  if (reported != static_cast<std::size_t>(users) + 1 || listed != reported) {
    std::fprintf(stderr, "boxstatcon reported %zu lines, doveadm listed %zu, for %d users\n",
                 reported, listed, users);
    std::exit(1);
  }
  std::printf(
      "mailbox table of %d users: boxstatcon %.3f s, doveadm mailbox status %.3f s: ratio %.2f "
      "(target <= 1.5); boxstatcon peak resident memory %.1f MiB\n",
      users, console.seconds, baseline.seconds, console.seconds / baseline.seconds,
      static_cast<double>(console.maxRssKb) / 1024.0);
}

// The large folder's contents through the provider against doveadm fetch.
bool ContentsLoad(const fs::path& work, const std::string& conf, int messages) {
  const std::string root = (work / "machine").string();
  setenv("TABRIX_MACHINE", root.c_str(), 1);
  mapi::SetLibrarySearch(mapi::Flavour::Console);
  const mapidove::ConfigOrgReader names(
      mapidove::LoadProviderConfig(mapidove::ProviderConfigPath(root)));
  const std::string dn = names.MailboxDn("u00001");
  mapi::ComPtr<IMAPISession> session;
  mapi::ComPtr<IMsgStore> privateStore;
  HRESULT hr = mapi::MAPIInitialize(nullptr);
  if (SUCCEEDED(hr)) hr = mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session));
  if (SUCCEEDED(hr)) hr = core::OpenDetailsPrivateStore(session.get(), &privateStore);
  if (FAILED(hr)) {
    std::fprintf(stderr, "the logon failed: %08X\n", static_cast<unsigned>(hr));
    return false;
  }
  const core::MailboxSource source{session.get(), privateStore.get(),
                                   core::PrivateMdbDn(names.serverDn())};
  Keep tree;
  core::BuildFolderTree(source, dn, 0, tree);
  const auto archive = tree.topLevel.find("Archive");
  bool ok = archive != tree.topLevel.end() && tree.failures == 0;
  double baseline = 1e9;
  double load = 1e9;
  double firstLoad = 0;  // before the provider knows the folder's sent-date order
  std::size_t rows = 0;
  for (int round = 0; ok && round < kRounds; ++round) {
    const Measure b = Run({"doveadm", "-c", conf, "-f", "tab", "fetch", "-u", "u00001",
                           kFetchFields, "mailbox", "Archive", "all"},
                          (work / "fetch.tsv").string());
    Check(b, "doveadm fetch");
    baseline = std::min(baseline, b.seconds);
    Keep keep;
    const auto start = std::chrono::steady_clock::now();
    const core::ContentsResult result = core::LoadFolderContents(source, dn, archive->second, keep);
    const double seconds = Since(start);
    if (round == 0) firstLoad = seconds;
    load = std::min(load, seconds);
    rows = keep.rows.size();
    ok = result.hr == S_OK && keep.failures == 0 && rows == static_cast<std::size_t>(messages);
  }
  if (ok)
    std::printf(
        "contents load of %zu messages: provider %.3f s (first %.3f s), doveadm fetch %.3f s: "
        "ratio %.2f, first %.2f (target <= 1.5); peak resident memory of this process %.1f MiB\n",
        rows, load, firstLoad, baseline, load / baseline, firstLoad / baseline,
        static_cast<double>(benchsupport::StatusKb("VmHWM:")) / 1024.0);
  else
    std::fprintf(stderr, "the contents load read %zu of %d messages\n", rows, messages);
  std::fflush(stdout);
  mapi::StoreLogoffAndRelease(privateStore);
  session->Logoff(0, 0, 0);
  session.reset();
  mapi::MAPIUninitialize();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int users = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int messages = argc > 2 ? std::atoi(argv[2]) : 100000;
  setenv("TZ", "UTC", 1);
  std::string work = (fs::temp_directory_path() / "tabrix-dovecot-bench-XXXXXX").string();
  if (!::mkdtemp(work.data())) return 2;
  // Dovecot's processes run as its own users and must reach the server's folder.
  fs::permissions(work, fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
  const std::string dir = work + "/server";
  const std::string conf = dir + "/dovecot.conf";
  const std::string script = TABRIX_DOVECOT_SCRIPT;
  Check(Run({"bash", script, "start", dir}, work + "/start.log"), "dovecot-server.sh start");
  g_serverDir = dir;
  std::atexit(StopServer);

  std::printf("filling %d users and a folder of %d messages ...\n", users, messages);
  std::fflush(stdout);
  const auto fillStart = std::chrono::steady_clock::now();
  Check(Run({"bash", script, "fill", dir, "--seed", "11", "--tiny", "--users",
             std::to_string(users), "--large-folder", std::to_string(messages)},
            work + "/fill.log"),
        "dovecot-server.sh fill");
  std::printf("fill: %.1f s\n", Since(fillStart));
  Check(Run({std::string(TABRIX_BIN_DIR) + "/tabrix-org", "setup", work + "/machine", "--provider",
             "dovecot", "--dovecot", dir, "--server", "MAIL01", "--profile-mailbox", "u00001",
             "--profile-server", "MAIL01", "--no-spreadsheet", "--no-document"},
            work + "/setup.log"),
        "tabrix-org setup");
  std::fflush(stdout);

  MailboxTable(work, conf, users);
  std::fflush(stdout);
  const bool ok = ContentsLoad(work, conf, messages);
  StopServer();
  g_serverDir.clear();
  std::error_code ec;
  fs::remove_all(work, ec);
  return ok ? 0 : 1;
}
