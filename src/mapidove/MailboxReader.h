// What the mailbox table and the details need of a Dovecot server, read
// through the doveadm HTTP API: the users, each user's totals, quota state
// and last login, the folder list, and a folder's messages in batches.
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
#include "QuotaState.h"

namespace mapidove {

// How this server is set up beyond its address.
struct ServerSettings {
  char separator = '/';          // the inbox namespace's hierarchy separator
  int quotaWarningPercent = 80;  // the quota_warning rule's share of the limit
  std::string lastLoginDict;     // the last_login plugin's dictionary; empty: not enabled
  std::string lastLoginKeyPrefix = "shared/last-login/";
};

struct MailboxTotals {
  std::int64_t messages = 0;
  std::int64_t size = 0;  // virtual size, bytes
};

struct QuotaUsage {
  std::vector<QuotaResource> resources;
  QuotaState state = QuotaState::NoQuota;
};

struct FolderInfo {
  std::string name;  // full UTF-8 name, levels joined by the separator ("INBOX/Travel")
  char separator = '/';
  bool selectable = true;  // false for a level that only holds other folders
  std::int64_t messages = 0;
  std::int64_t size = 0;  // virtual size, bytes
};

struct MessageInfo {
  std::uint32_t uid = 0;
  std::int64_t size = 0;          // virtual size, bytes
  std::int64_t internalDate = 0;  // seconds since 1970, UTC
  std::int64_t sentDate = 0;      // the Date header, seconds since 1970, UTC; 0 without one
  std::string subject;            // the header as sent, encoded words undecoded
  bool hasAttachment = false;
};

// What a mailbox table row needs of a user.
struct UserStatus {
  MailboxTotals totals;
  QuotaUsage quota;
  std::optional<std::int64_t> lastLogin;  // as MailboxReader::LastLogin
};

class MailboxReader;

// A folder's messages, read a batch at a time by message sequence number.
class MessageBatches {
 public:
  // The next batch in mailbox order; empty once every message was read.
  std::vector<MessageInfo> Next();

 private:
  friend class MailboxReader;
  MessageBatches(const DoveadmClient& client, std::string user, std::string folder,
                 std::uint32_t batchSize)
      : client_(client), user_(std::move(user)), folder_(std::move(folder)), batch_(batchSize) {}

  const DoveadmClient& client_;  // borrowed from the reader's owner
  std::string user_;
  std::string folder_;
  std::uint32_t batch_;
  std::uint32_t next_ = 1;  // sequence number of the next message
  bool done_ = false;
};

class MailboxReader {
 public:
  MailboxReader(const DoveadmClient& client, ServerSettings settings)
      : client_(client), settings_(std::move(settings)) {}

  std::vector<std::string> Users() const;
  std::vector<FolderInfo> Folders(const std::string& user) const;
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
  MessageBatches Messages(const std::string& user, const std::string& folder,
                          std::uint32_t batchSize = 500) const;
  // The messages of an IMAP sequence set ("1:50", "3,9,12"), in mailbox order.
  std::vector<MessageInfo> FetchMessages(const std::string& user, const std::string& folder,
                                         const std::string& sequenceSet) const;
  // Every message's sent date (as MessageInfo::sentDate), in mailbox order:
  // what sorting a folder by it needs, without the rest of each message.
  std::vector<std::int64_t> SentDates(const std::string& user, const std::string& folder) const;

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
