// What the mailbox table needs of a Dovecot server, read through the doveadm
// HTTP API: the users, each user's totals, quota state and last login. (The
// stores' folders and messages come over IMAP: StoreReader.)
//
// Sizes are virtual sizes (each line end counted as CR LF): the size IMAP
// clients see as RFC822.SIZE and the size the count quota backend charges,
// so that a mailbox's size and its quota usage agree. Dovecot keeps them in
// its index, so totals come without reading the mail.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "DoveadmClient.h"
#include "MailItems.h"
#include "QuotaState.h"

namespace mapidove {

// How this server is set up beyond its address.
struct ServerSettings {
  char separator = '/';          // the inbox namespace's hierarchy separator
  int quotaWarningPercent = 80;  // the quota_warning rule's share of the limit
  std::string lastLoginDict;     // the last_login plugin's dictionary; empty: not enabled
  std::string lastLoginKeyPrefix = "shared/last-login/";
};

struct QuotaUsage {
  std::vector<QuotaResource> resources;
  QuotaState state = QuotaState::NoQuota;
};

// What a mailbox table row needs of a user.
struct UserStatus {
  MailboxTotals totals;
  QuotaUsage quota;
  std::optional<std::int64_t> lastLogin;  // as MailboxReader::LastLogin
};

class MailboxReader {
 public:
  MailboxReader(const DoveadmClient& client, ServerSettings settings)
      : client_(client), settings_(std::move(settings)) {}

  std::vector<std::string> Users() const;
  MailboxTotals Totals(const std::string& user) const;
  QuotaUsage Quota(const std::string& user) const;
  // Seconds since 1970 of the user's last login; nothing when the user never
  // logged in or the plugin is not enabled.
  std::optional<std::int64_t> LastLogin(const std::string& user) const;
  // Totals, quota and last login of several users in one request, in the
  // users' order: a table of many mailboxes costs one request per batch
  // rather than three per mailbox.
  std::vector<UserStatus> Statuses(const std::vector<std::string>& users) const;
  // The same figures of every user, by name, from three requests run side
  // by side in which Dovecot walks its users itself: far cheaper than a
  // command per user. A user the answers miss is missing here too.
  std::unordered_map<std::string, UserStatus> AllStatuses() const;

 private:
  // Each question as a command, and its answer read.
  static DoveadmCommand TotalsCommand(const std::string& user);
  static MailboxTotals TotalsOf(const nlohmann::json& status);
  static DoveadmCommand QuotaCommand(const std::string& user);
  QuotaUsage QuotaOf(const nlohmann::json& rows) const;
  static QuotaResource ResourceOf(const nlohmann::json& row);
  DoveadmCommand LastLoginCommand(const std::string& user) const;
  static std::optional<std::int64_t> LastLoginOf(const DoveadmAnswer& answer);

  const DoveadmClient& client_;  // borrowed; outlives the reader
  ServerSettings settings_;
};

}  // namespace mapidove
