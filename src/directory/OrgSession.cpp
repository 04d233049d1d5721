// The shared organisation connection of the account and directory stand-ins.
#include "OrgSession.h"

#include <sys/stat.h>

#include <chrono>
#include <map>
#include <memory>

#include "DirectorySource.h"
#include "Win32.h"

namespace directory {

namespace {

// How long a file found quiet is taken to be still the one at its name:
// its own changes show at once, but a folder above it renamed or replaced
// leaves the file as it was.
constexpr std::chrono::milliseconds kNameRecheck{100};

struct Shared {
  std::mutex mutex;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  std::chrono::steady_clock::time_point nameChecked;
  bool versionCurrent = false;  // db's DataVersion brought up to date by this session
  std::unique_ptr<const orgdb::OrgReader> db;
  std::string error;
  std::map<std::int64_t, std::int64_t> faultCalls;  // fault id -> counted calls
  // The fault table as last read, and the connection's data version then.
  std::optional<std::vector<orgdb::Fault>> faults;
  std::uint32_t faultsVersion = 0;
  // The NT accounts as last read, and the data version then.
  AccountTable accounts;
  bool accountsLoaded = false;
  std::uint32_t accountsVersion = 0;
};

// The one connection of the process, kept because opening per call would
// make a per-mailbox account lookup cost a file open.
Shared& State() {
  static Shared shared;
  return shared;
}

void Refresh(Shared& s) {
  std::string path = OrganisationSource(platform::MachineRoot());
  const auto now = std::chrono::steady_clock::now();
  s.versionCurrent = false;
  if (s.db && path == s.path) {
    try {
      // Brings the data version up to date for this call's readers as well.
      s.db->CurrentDataVersion();
      s.versionCurrent = true;
    } catch (const orgdb::OrgDbError&) {
      // The reader that needs the version meets the failure itself.
    }
    if (s.versionCurrent && s.db->FileQuiet() && now - s.nameChecked < kNameRecheck) return;
  }
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  s.nameChecked = now;
  if (s.db && exists && path == s.path && st.st_dev == s.device && st.st_ino == s.inode) return;
  s.db.reset();
  s.faultCalls.clear();
  s.faults.reset();
  s.accountsLoaded = false;
  s.path = path;
  s.error.clear();
  s.db = OpenOrganisation(path, &s.error);
  s.device = exists ? st.st_dev : 0;
  s.inode = exists ? st.st_ino : 0;
}

// Counts the call against every fault it fits and returns the first that
// applies.
std::optional<orgdb::Fault> Match(Shared& s, std::string_view call,
                                  const orgdb::FaultMatchText& match, std::uint32_t flags) {
  std::optional<orgdb::Fault> hit;
  for (const auto& f : *s.faults)
    if (orgdb::FaultFits(f, call, &match, flags, s.faultCalls[f.id]) && !hit) hit = f;
  return hit;
}

}  // namespace

OrgSession::OrgSession() : lock_(State().mutex) {
  Refresh(State());
}

OrgSession::~OrgSession() = default;

const orgdb::OrgReader* OrgSession::db() const {
  return State().db.get();
}

const std::string& OrgSession::error() const {
  return State().error;
}

std::optional<AccountView> OrgSession::FindNtAccount(const orgdb::Bytes& sid) {
  Shared& s = State();
  const std::uint32_t version = s.versionCurrent ? s.db->DataVersion() : s.db->CurrentDataVersion();
  if (!s.accountsLoaded || version != s.accountsVersion) {
    s.accountsLoaded = false;
    s.accounts.Load(*s.db);
    s.accountsLoaded = true;
    // The version the read saw, which may be newer than the one checked.
    s.accountsVersion = s.db->DataVersion();
  }
  return s.accounts.Find(sid);
}

std::optional<orgdb::Fault> OrgSession::FaultFor(std::string_view call,
                                                 const orgdb::FaultMatchText& match,
                                                 std::uint32_t flags) {
  Shared& s = State();
  if (!s.db) return std::nullopt;
  try {
    s.faults = s.db->Faults();
    s.faultsVersion = s.db->DataVersion();
  } catch (const orgdb::OrgDbError&) {
    s.faults.reset();
    return std::nullopt;  // a fault table that cannot be read breaks nothing
  }
  return Match(s, call, match, flags);
}

std::optional<orgdb::Fault> OrgSession::FaultForAfterRead(std::string_view call,
                                                          const orgdb::FaultMatchText& match,
                                                          std::uint32_t flags) {
  Shared& s = State();
  if (!s.db) return std::nullopt;
  if (!s.faults || s.db->DataVersion() != s.faultsVersion) return FaultFor(call, match, flags);
  return Match(s, call, match, flags);
}

}  // namespace directory
