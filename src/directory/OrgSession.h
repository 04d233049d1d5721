// Internal to the directory stand-in: the organisation of the current machine root as
// the account and directory stand-ins see it, with its injected faults.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AccountTable.h"
#include "OrgReader.h"

namespace directory {

// One call's use of the organisation. Holds a process-wide lock while it
// lives; the database of <machine root>/organisation.db is opened on first
// use and again whenever the file at that path is a different one. The name
// is looked up again only when the open file has been touched, or at short
// intervals, since a lookup by name per call would dominate a run.
class OrgSession {
 public:
  OrgSession();
  ~OrgSession();
  OrgSession(const OrgSession&) = delete;
  OrgSession& operator=(const OrgSession&) = delete;

  // Null when the database cannot be opened; error() then says why.
  const orgdb::OrgReader* db() const;
  const std::string& error() const;

  // The NT account of a SID, from the accounts as of the database's current
  // version: they are read once and again only after someone else commits,
  // so that a lookup per mailbox costs no read of its own. The texts stay
  // valid while this session lives. Throws orgdb::OrgDbError when they
  // cannot be read; needs db().
  std::optional<AccountView> FindNtAccount(const orgdb::Bytes& sid);

  // The fault that applies to this call, if any. Every fault whose call,
  // match (when set, compared without regard to case) and flags (when set,
  // all of them present in `flags`) fit counts the call; a fault with `nth`
  // applies only to its n-th counted call in this process. The match text
  // is asked for only when a fault compares one.
  std::optional<orgdb::Fault> FaultFor(std::string_view call, const orgdb::FaultMatchText& match,
                                       std::uint32_t flags);
  std::optional<orgdb::Fault> FaultFor(std::string_view call, std::string_view match,
                                       std::uint32_t flags) {
    return FaultFor(call, orgdb::FaultMatchText([match] { return match; }), flags);
  }
  // As FaultFor, for a call that has just read from db() successfully in
  // this session: the faults read before are reused when that read found the
  // database unchanged since, which spares a per-call read of the fault table.
  std::optional<orgdb::Fault> FaultForAfterRead(std::string_view call,
                                                const orgdb::FaultMatchText& match,
                                                std::uint32_t flags);

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace directory
