// The shared organisation connection of the account and directory stand-ins.
#include "OrgSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>

#include "Win32.h"

namespace directory {

namespace {

struct Shared {
  std::mutex mutex;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  std::unique_ptr<orgdb::OrgDb> db;
  std::string error;
  std::map<std::int64_t, std::int64_t> faultCalls;  // fault id -> counted calls
  // The fault table as last read, and the connection's data version then.
  std::optional<std::vector<orgdb::Fault>> faults;
  std::uint32_t faultsVersion = 0;
  // The NT accounts by SID as last read, and the data version then.
  std::optional<std::vector<orgdb::NtAccount>> accounts;
  std::uint32_t accountsVersion = 0;
};

bool SidBefore(const orgdb::NtAccount& a, const orgdb::NtAccount& b) {
  return a.sid < b.sid;
}

// The one connection of the process, kept because opening per call would
// make a per-mailbox account lookup cost a file open.
Shared& State() {
  static Shared shared;
  return shared;
}

void Refresh(Shared& s) {
  std::string path = orgdb::DatabasePath(platform::MachineRoot());
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (s.db && exists && path == s.path && st.st_dev == s.device && st.st_ino == s.inode) return;
  s.db.reset();
  s.faultCalls.clear();
  s.faults.reset();
  s.accounts.reset();
  s.path = path;
  s.error.clear();
  s.db = orgdb::OrgDb::Open(path, &s.error);
  s.device = exists ? st.st_dev : 0;
  s.inode = exists ? st.st_ino : 0;
}

// Counts the call against every fault it fits and returns the first that
// applies.
std::optional<orgdb::Fault> Match(Shared& s, std::string_view call, std::string_view match,
                                  std::uint32_t flags) {
  std::optional<orgdb::Fault> hit;
  const orgdb::FaultMatchText text = [match] { return match; };
  for (const auto& f : *s.faults)
    if (orgdb::FaultFits(f, call, &text, flags, s.faultCalls[f.id]) && !hit) hit = f;
  return hit;
}

}  // namespace

OrgSession::OrgSession() : lock_(State().mutex) {
  Refresh(State());
}

OrgSession::~OrgSession() = default;

orgdb::OrgDb* OrgSession::db() const {
  return State().db.get();
}

const std::string& OrgSession::error() const {
  return State().error;
}

std::optional<orgdb::NtAccount> OrgSession::FindNtAccount(const orgdb::Bytes& sid) {
  Shared& s = State();
  const std::uint32_t version = s.db->CurrentDataVersion();
  if (!s.accounts || version != s.accountsVersion) {
    s.accounts.reset();
    auto all = s.db->NtAccounts();
    std::sort(all.begin(), all.end(), SidBefore);
    s.accounts = std::move(all);
    // The version the read saw, which may be newer than the one checked.
    s.accountsVersion = s.db->DataVersion();
  }
  const orgdb::NtAccount key{sid, {}, {}};
  auto it = std::lower_bound(s.accounts->begin(), s.accounts->end(), key, SidBefore);
  if (it == s.accounts->end() || it->sid != sid) return std::nullopt;
  return *it;
}

std::optional<orgdb::Fault> OrgSession::FaultFor(std::string_view call, std::string_view match,
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
                                                          std::string_view match,
                                                          std::uint32_t flags) {
  Shared& s = State();
  if (!s.db) return std::nullopt;
  if (!s.faults || s.db->DataVersion() != s.faultsVersion) return FaultFor(call, match, flags);
  return Match(s, call, match, flags);
}

}  // namespace directory
