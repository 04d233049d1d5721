// What a session copies at logon and shares with the objects opened from it,
// so that they keep working after the profile is deleted: the organisation
// database, the logged-on mailbox and its directory entry.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OrgReader.h"
#include "PropValues.h"
#include "SimState.h"

namespace mapisim {

// A directory entry as a mail user.
struct MailUserData {
  std::string entryId;
  std::string displayName;
  std::string alias;
  std::string address;  // Exchange address (legacy DN)
  std::string homeMdb;  // empty: not set
  std::string homeMta;  // empty: not set
  std::optional<orgdb::Bytes> ntAccountSid;
  bool richInfo = true;
};

MailUserData MailUserFromGal(const orgdb::GalEntry& entry);
// A mailbox that has no directory entry still has an identity: its own
// names, and home store and MTA on its server.
MailUserData MailUserFromMailbox(const orgdb::Mailbox& mailbox, const orgdb::Server& server);

// PR_DISPLAY_TYPE of a mail user (DT_MAILUSER).
inline constexpr std::int32_t kDisplayTypeMailUser = 0;

// The mail user's properties; texts view `user`.
std::vector<PropCell> MailUserProps(const MailUserData& user);

struct SessionContext {
  Db db;
  std::string profileName;
  orgdb::Mailbox mailbox;
  MailUserData identity;
  std::atomic<bool> loggedOff{false};
};
using SessionPtr = std::shared_ptr<SessionContext>;

// The display name a mailbox goes by: its display name, else its alias.
std::string MailboxDisplayName(const orgdb::Mailbox& mailbox);

// The network error text of a server that does not exist (nullopt) or does
// not answer; empty when it answers.
std::string ServerProblem(const std::optional<orgdb::Server>& server);
// The same for the server's current state: reachability may change while
// objects live.
std::string ServerProblem(const Db& db, std::int64_t serverId);

inline constexpr const char* kPrivateMdbSuffix = "/cn=Microsoft Private MDB";
inline constexpr const char* kPublicMdbSuffix = "/cn=Microsoft Public MDB";
inline constexpr const char* kMtaSuffix = "/cn=Microsoft MTA";

}  // namespace mapisim
