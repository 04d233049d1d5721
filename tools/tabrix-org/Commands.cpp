// tabrix-org verbs: generate, import, export, setup, fault.
#include "Commands.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "DovecotSetup.h"
#include "Generator.h"
#include "JsonForm.h"
#include "JsonText.h"
#include "MachineSetup.h"
#include "OrgDb.h"
#include "TimeConversion.h"
#include "Win32.h"

namespace tabrixorg {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: tabrix-org generate --seed N --out FILE [--servers K] [--mailboxes M] [--org NAME]\n"
    "                           [--large-folder N] [--now YYYY-MM-DD] [--demo]\n"
    "                           [--many-folders N] [--empty-top]\n"
    "       tabrix-org import FILE.json --out DB [--recompute]\n"
    "       tabrix-org export DB [--out FILE.json]\n"
    "       tabrix-org setup ROOT (--org DB | --provider dovecot --dovecot DIR [--server NAME]\n"
    "                        [--organisation NAME] [--site NAME] [--display-names FILE]\n"
    "                        [--nt-accounts FILE]) [--mapi-lib PATH] [--mapi-version V]\n"
    "                        [--spreadsheet-server PATH | --no-spreadsheet]\n"
    "                        [--document-server PATH | --no-document] [--documents DIR]\n"
    "                        [--profile-mailbox ALIAS --profile-server NAME] [--profile-name "
    "NAME]\n"
    "       tabrix-org fault DB add CALL HRESULT [--match T] [--nth N] [--flags X] [--message M]\n"
    "                                            [--component C]\n"
    "       tabrix-org fault DB list | clear | remove ID\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Positional arguments and --name value options; `flags` are options
// without a value.
struct Parsed {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

Parsed Parse(const std::vector<std::string>& args, std::size_t from,
             const std::vector<std::string>& known, const std::vector<std::string>& flags = {}) {
  Parsed p;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      p.positional.push_back(a);
      continue;
    }
    std::string name(a, 2);
    if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
      p.options[name].assign(1, '1');  // present
      continue;
    }
    if (std::find(known.begin(), known.end(), name) == known.end())
      throw UsageError("unknown option " + a);
    if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
    p.options[name] = args[++i];
  }
  return p;
}

std::optional<std::string> Opt(const Parsed& p, const char* name) {
  auto it = p.options.find(name);
  if (it == p.options.end()) return std::nullopt;
  return it->second;
}

std::string Required(const Parsed& p, const char* name) {
  auto v = Opt(p, name);
  if (!v) throw UsageError(std::string("--") + name + " is required");
  return *v;
}

std::int64_t Number(const std::string& text, const char* what) {
  try {
    std::size_t used = 0;
    long long v = std::stoll(text, &used, 0);
    if (used == text.size()) return v;
  } catch (const std::exception&) {
  }
  throw UsageError(std::string(what) + " must be a number: " + text);
}

std::uint32_t Hex32Arg(const std::string& text, const char* what) {
  try {
    // Negative numbers are HRESULTs written as signed values.
    std::size_t used = 0;
    long long v = std::stoll(text, &used, 0);
    if (used == text.size() && v >= -2147483648LL && v <= 0xFFFFFFFFLL)
      return static_cast<std::uint32_t>(v);
  } catch (const std::exception&) {
  }
  throw UsageError(std::string(what) + " must be a 32-bit number such as 0x8004010F: " + text);
}

// YYYY-MM-DD as a FILETIME at midnight UTC.
std::uint64_t DateArg(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3 || y < 1601 || m < 1 ||
      m > 12 || d < 1 || d > 31)
    throw UsageError("--now must be a date YYYY-MM-DD: " + text);
  using platform::detail::DaysFromCivil;
  const std::int64_t since = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) -
                             DaysFromCivil(1601, 1, 1);
  return static_cast<std::uint64_t>(since) * 864000000000ull;
}

std::unique_ptr<orgdb::OrgDb> OpenDb(const std::string& path, bool writable) {
  std::string error;
  auto db = orgdb::OrgDb::Open(path, &error, writable);
  if (!db) throw std::runtime_error(error);
  return db;
}

// Builds into FILE.partial and renames it, so a failed run leaves no
// half-made database under the requested name.
template <class Fill>
void BuildDatabase(const std::string& path, Fill fill) {
  std::string partial = path + ".partial";
  std::string error;
  auto db = orgdb::OrgDb::Create(partial, &error);
  if (!db) throw std::runtime_error(error);
  try {
    fill(*db);
  } catch (...) {
    db.reset();
    fs::remove(partial);
    throw;
  }
  db.reset();
  fs::rename(partial, path);
}

int Generate(const std::vector<std::string>& args, std::ostream& out) {
  auto p =
      Parse(args, 1,
            {"seed", "out", "servers", "mailboxes", "org", "large-folder", "now", "many-folders"},
            {"demo", "empty-top"});
  if (!p.positional.empty()) throw UsageError("unexpected argument " + p.positional[0]);
  auto seed = static_cast<std::uint64_t>(Number(Required(p, "seed"), "--seed"));
  std::string target = Required(p, "out");
  GeneratorOptions o;
  if (Opt(p, "demo")) {
    o = DemoOptions(seed);
  } else {
    o.seed = seed;
    int servers = static_cast<int>(Number(Opt(p, "servers").value_or("3"), "--servers"));
    int mailboxes = static_cast<int>(Number(Opt(p, "mailboxes").value_or("100"), "--mailboxes"));
    if (servers < 1 || servers > 99 || mailboxes < 0)
      throw UsageError("--servers 1 to 99, --mailboxes 0 or more");
    o.sites = DefaultLayout(servers, mailboxes);
  }
  if (auto org = Opt(p, "org")) o.organisation = *org;
  if (auto large = Opt(p, "large-folder"))
    o.largeFolderMessages = static_cast<std::int32_t>(Number(*large, "--large-folder"));
  if (auto now = Opt(p, "now")) o.now = DateArg(*now);
  if (auto many = Opt(p, "many-folders"))
    o.manyFolders = static_cast<std::int32_t>(Number(*many, "--many-folders"));
  if (Opt(p, "empty-top")) o.emptyTopMailbox = true;

  auto start = std::chrono::steady_clock::now();
  std::size_t servers = 0, mailboxes = 0;
  for (const auto& site : o.sites)
    for (const auto& server : site.servers) {
      ++servers;
      mailboxes += static_cast<std::size_t>(server.mailboxes);
    }
  BuildDatabase(target, [&](orgdb::OrgDb& db) { Generate(db, o); });
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char line[256];
  std::snprintf(line, sizeof line,
                "Generated organisation %s: %zu sites, %zu servers, %zu mailboxes in %.2f s\n",
                o.organisation.c_str(), o.sites.size(), servers, mailboxes, seconds);
  out << line << "Written to " << target << "\n";
  return 0;
}

int Import(const std::vector<std::string>& args, std::ostream& out) {
  auto p = Parse(args, 1, {"out"}, {"recompute"});
  if (p.positional.size() != 1) throw UsageError("import needs one JSON file");
  std::ifstream in(p.positional[0], std::ios::binary);
  if (!in) throw std::runtime_error("The file " + p.positional[0] + " cannot be read.");
  Json doc;
  try {
    doc = Json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(p.positional[0] + " is not valid JSON: " + e.what());
  }
  std::string target = Required(p, "out");
  BuildDatabase(target, [&](orgdb::OrgDb& db) {
    ImportOrganisation(doc, db);
    if (Opt(p, "recompute")) db.RecomputeTotals();
  });
  out << "Imported " << p.positional[0] << " into " << target << "\n";
  return 0;
}

int Export(const std::vector<std::string>& args, std::ostream& out) {
  auto p = Parse(args, 1, {"out"});
  if (p.positional.size() != 1) throw UsageError("export needs one database");
  auto db = OpenDb(p.positional[0], false);
  std::string text = ExportOrganisation(*db).dump(2) + "\n";
  if (auto file = Opt(p, "out")) {
    std::ofstream f(*file, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    if (!f) throw std::runtime_error("The file " + *file + " cannot be written.");
  } else {
    out << text;
  }
  return 0;
}

int Setup(const std::vector<std::string>& args, std::ostream& out) {
  auto p = Parse(args, 1,
                 {"org", "mapi-lib", "mapi-version", "profile-mailbox", "profile-server",
                  "profile-name", "spreadsheet-server", "document-server", "documents", "provider",
                  "dovecot", "server", "organisation", "site", "display-names", "nt-accounts"},
                 {"no-spreadsheet", "no-document"});
  if (p.positional.size() != 1) throw UsageError("setup needs one machine root");
  orgdb::MachineSetupOptions o;
  const std::string provider = Opt(p, "provider").value_or("simulated");
  if (provider != "simulated" && provider != "dovecot")
    throw UsageError("--provider is simulated or dovecot");
  // The library that serves the provider, built beside this tool.
  fs::path beside = fs::path(platform::ExecutableDir()) / "libmapi32.so";
  if (provider == "dovecot") {
    DovecotSetup d;
    d.dovecotDir = Required(p, "dovecot");
    d.server = Opt(p, "server").value_or(d.server);
    d.organisation = Opt(p, "organisation").value_or(d.organisation);
    d.site = Opt(p, "site").value_or(d.site);
    d.displayNames = Opt(p, "display-names").value_or("");
    d.ntAccounts = Opt(p, "nt-accounts").value_or("");
    // Written first: the default profile is made through the library, which
    // reads it.
    WriteDovecotConfig(p.positional[0], d);
    beside = fs::path(platform::ExecutableDir()) / "dovecot" / "libmapi32.so";
  } else {
    o.organisationDb = Required(p, "org");
  }
  if (auto lib = Opt(p, "mapi-lib")) {
    o.mapiLibrary = *lib;
  } else if (fs::exists(beside)) {
    o.mapiLibrary = beside.string();
  }
  if (auto v = Opt(p, "mapi-version")) o.mapiFileVersion = *v;
  // The office servers: given, left out, or those built beside this tool.
  auto server = [&](const char* option, const char* leaveOut, const char* file) -> std::string {
    if (auto path = Opt(p, option)) return *path;
    if (Opt(p, leaveOut)) return {};
    const fs::path beside = fs::path(platform::ExecutableDir()) / file;
    return fs::exists(beside) ? beside.string() : std::string();
  };
  o.spreadsheetServer = server("spreadsheet-server", "no-spreadsheet", "libtabrixxl.so");
  o.documentServer = server("document-server", "no-document", "libtabrixwd.so");
  if (auto documents = Opt(p, "documents")) o.documentsFolder = *documents;
  o.defaultProfileMailbox = Opt(p, "profile-mailbox");
  if (o.defaultProfileMailbox) o.defaultProfileServer = Required(p, "profile-server");
  if (auto name = Opt(p, "profile-name")) o.defaultProfileName = *name;
  std::string error;
  if (!orgdb::SetUpMachineRoot(p.positional[0], o, &error)) throw std::runtime_error(error);
  out << "Machine root " << p.positional[0] << " is set up";
  if (o.defaultProfileMailbox)
    out << " with the default profile \"" << o.defaultProfileName << "\" for "
        << *o.defaultProfileMailbox;
  out << ".\n";
  return 0;
}

int FaultVerb(const std::vector<std::string>& args, std::ostream& out) {
  if (args.size() < 3) throw UsageError("fault needs a database and add, list, clear or remove");
  const std::string& verb = args[2];
  if (verb == "list") {
    auto db = OpenDb(args[1], false);
    for (const auto& f : db->Faults()) {
      out << f.id << " " << f.call << " "
          << json::Hex32ToJson(static_cast<std::uint32_t>(f.hr)).get<std::string>();
      if (f.match) out << " match=" << *f.match;
      if (f.nth) out << " nth=" << *f.nth;
      if (f.flags) out << " flags=" << json::Hex32ToJson(*f.flags).get<std::string>();
      if (f.message) out << " message=\"" << *f.message << "\"";
      if (f.component) out << " component=\"" << *f.component << "\"";
      out << "\n";
    }
    return 0;
  }
  if (verb == "clear") {
    OpenDb(args[1], true)->ClearFaults();
    return 0;
  }
  if (verb == "remove") {
    if (args.size() != 4) throw UsageError("fault remove needs one fault id");
    OpenDb(args[1], true)->RemoveFault(Number(args[3], "the fault id"));
    return 0;
  }
  if (verb != "add") throw UsageError("unknown fault verb " + verb);
  auto p = Parse(args, 3, {"match", "nth", "flags", "message", "component"});
  if (p.positional.size() != 2) throw UsageError("fault add needs CALL and HRESULT");
  orgdb::Fault f;
  f.call = p.positional[0];
  f.hr = static_cast<std::int32_t>(Hex32Arg(p.positional[1], "HRESULT"));
  f.match = Opt(p, "match");
  if (auto nth = Opt(p, "nth")) {
    f.nth = static_cast<std::int32_t>(Number(*nth, "--nth"));
    if (*f.nth < 1) throw UsageError("--nth counts from 1");
  }
  if (auto flags = Opt(p, "flags")) f.flags = Hex32Arg(*flags, "--flags");
  f.message = Opt(p, "message");
  f.component = Opt(p, "component");
  out << OpenDb(args[1], true)->AddFault(f) << "\n";
  return 0;
}

}  // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError("no command given");
    const std::string& verb = args[0];
    if (verb == "generate") return Generate(args, out);
    if (verb == "import") return Import(args, out);
    if (verb == "export") return Export(args, out);
    if (verb == "setup") return Setup(args, out);
    if (verb == "fault") return FaultVerb(args, out);
    if (verb == "--help" || verb == "help") {
      out << kUsage;
      return 0;
    }
    throw UsageError("unknown command " + verb);
  } catch (const UsageError& e) {
    err << "tabrix-org: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "tabrix-org: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tabrixorg
