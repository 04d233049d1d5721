// The shared organisation connection of the account and directory stand-ins.
#include "OrgSession.h"

#include <sys/stat.h>

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
};

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
