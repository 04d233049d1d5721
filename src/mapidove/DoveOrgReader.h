// The organisation of a machine root with a Dovecot configuration, read from
// the running server: the server's users, read through its admin API, are
// the mailboxes (mailbox table, logon, directory entries); their folders and
// messages, read over IMAP through the master user, the stores' contents. Nothing is read before it
// is asked for; the user list and each opened mailbox's folders are kept for the reader's life, so
// that ids stay the same for it. A server that cannot be reached or refuses throws
// orgdb::OrgDbError with Dovecot's or the system's words.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "ConfigOrgReader.h"
#include "DoveadmClient.h"
#include "FolderIndex.h"
#include "MailboxReader.h"
#include "ServerConfig.h"
#include "StoreReader.h"

namespace mapidove {

// The admin API's settings for a configuration: its endpoint file with the
// configuration's host and ports put in.
ServerConfig ServerConfigOf(const ProviderConfig& config);

// PR_STORAGE_LIMIT_INFORMATION of a quota state, as the simulated
// organisation stores it: below limit 1, issue warning 2, prohibit send 4,
// no checking 8.
std::uint32_t StorageLimitOf(QuotaState state);

// A mailbox's id: the same for a user name in every process, so that a
// profile made by one process logs on in another.
std::int64_t MailboxIdOf(std::string_view user);

// Seconds since 1970 as a FILETIME.
std::uint64_t FileTimeOf(std::int64_t unixSeconds);

class DoveOrgReader final : public ConfigOrgReader {
 public:
  // How many messages one request reads for a folder's batches by default:
  // the tables ask for a few rows at a time, and each request costs a round
  // trip and a pause of the server. 50,000 (some 10 MB) keep a large
  // folder's load near the server's own speed and the memory bounded.
  static constexpr std::int64_t kReadAhead = 50000;
  // From how many messages a read takes two IMAP sessions side by side.
  static constexpr std::size_t kSideBySideFrom = 4096;
  // Reads the configuration and its mapping files; throws std::runtime_error
  // naming the file that cannot be read.
  explicit DoveOrgReader(const std::string& configPath, std::int64_t readAhead = kReadAhead,
                         std::size_t sideBySideFrom = kSideBySideFrom);

  std::int64_t CountMailboxes(std::int64_t serverId) const override;
  orgdb::MailboxWindow MailboxTableWindow(std::int64_t serverId, std::int64_t position,
                                          std::int64_t limit) const override;
  std::optional<orgdb::Mailbox> MailboxById(std::int64_t id) const override;
  std::optional<orgdb::Mailbox> FindMailboxByDn(std::string_view dn) const override;
  std::vector<orgdb::Mailbox> FindMailboxesByName(std::int64_t serverId,
                                                  std::string_view name) const override;
  std::optional<orgdb::Folder> TopFolder(std::int64_t mailboxId) const override;
  std::optional<orgdb::Folder> FolderById(std::int64_t id) const override;
  std::vector<orgdb::Folder> ChildFolders(std::int64_t folderId) const override;
  std::int64_t CountMessages(std::int64_t folderId) const override;
  // Served from a window of read-ahead messages read in one request.
  std::vector<orgdb::Message> MessageBatch(std::int64_t folderId, std::int64_t position,
                                           std::int64_t limit, bool bySubmitTime) const override;
  std::vector<orgdb::GalEntry> GalEntries() const override;
  void ForEachGalEntry(const std::function<void(const orgdb::GalEntry&)>& visit) const override;
  std::optional<orgdb::GalEntry> GalEntryForMailbox(const orgdb::Mailbox& mailbox) const override;

 private:
  struct User {
    std::string name;
    std::int64_t id = 0;
    std::string displayName;                // ANSI code page
    std::optional<std::string> ntUserName;  // from the mapping file only
  };

  // The server's users in its own order, read once. Needs mutex_.
  const std::vector<User>& Users() const;
  const User* UserById(std::int64_t id) const;  // needs mutex_
  orgdb::Mailbox MailboxOf(const User& user) const;
  orgdb::GalEntry GalEntryOf(const User& user) const;
  std::vector<orgdb::Message> Messages(const FolderNode& node,
                                       const std::vector<MessageInfo>& infos) const;
  // Positions [position, end) of a folder from the server; needs mutex_.
  std::vector<orgdb::Message> ReadMessages(FolderNode& node, std::int64_t position,
                                           std::int64_t end, bool bySubmitTime) const;
  // Runs a read of `user`'s store in `slot`, opening it first when another
  // one (or none) is open there; a failed read closes it. Needs mutex_.
  template <class F>
  auto FromStore(std::unique_ptr<StoreReader>& slot, const std::string& user, F&& read) const;
  // Reads the messages of ascending sequence numbers with `read` (a
  // StoreReader's fetch), a large set over two sessions side by side.
  template <class F>
  std::vector<MessageInfo> ReadSequences(const FolderNode& node,
                                         std::vector<std::uint32_t> ascending, F read) const;

  std::map<std::string, std::string> displayNames_;
  std::map<std::string, std::string> ntAccounts_;
  ServerConfig server_;
  DoveadmClient client_;
  MailboxReader reader_;
  std::int64_t readAhead_;
  std::size_t sideBySideFrom_;

  mutable std::recursive_mutex mutex_;
  mutable std::optional<std::vector<User>> users_;
  mutable std::unordered_map<std::int64_t, std::size_t> byId_;
  mutable FolderIndex folders_;
  mutable std::unique_ptr<StoreReader> store_;      // the store opened last
  mutable std::unique_ptr<StoreReader> sideStore_;  // the same, for a large set's second half
  // Every user's figures, read whole when a mailbox table starts at its
  // first row; users missing from it are asked for alone.
  mutable std::unordered_map<std::string, UserStatus> statuses_;
};

}  // namespace mapidove
