// The organisation of a machine root with a Dovecot configuration, as far
// as the configuration alone tells it: the organisation, its one site and
// server with their legacy DNs and the directory's server object. It holds
// no mailboxes; DoveOrgReader adds those from the server. The directory
// stand-in answers from this, so the programs never talk to the server
// except through the MAPI library.
#pragma once

#include <string>

#include "OrgReader.h"
#include "ProviderConfig.h"

namespace mapidove {

class ConfigOrgReader : public orgdb::OrgReader {
 public:
  explicit ConfigOrgReader(ProviderConfig config);

  // The one server's id.
  static constexpr std::int64_t kServerId = 1;
  // PR_REPLICA_VERSION reported for it: 6.5.7638.1, so that the programs
  // treat it as a server with a directory to query.
  static constexpr std::uint64_t kVersion = (6ull << 48) | (5ull << 32) | (7638ull << 16) | 1ull;

  const ProviderConfig& config() const { return config_; }
  // /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=NAME
  const std::string& serverDn() const { return serverDn_; }
  // The legacy DN of a user's mailbox: /o=Org/ou=Site/cn=Recipients/cn=user
  std::string MailboxDn(const std::string& user) const;
  // The user a mailbox DN names, or empty when it names none of this site.
  std::string UserOfDn(std::string_view dn) const;

  orgdb::OrgInfo Organisation() const override;
  std::vector<orgdb::Server> Servers() const override;
  std::optional<orgdb::Server> ServerById(std::int64_t id) const override;
  std::optional<orgdb::Server> FindServerByDn(std::string_view legacyDn) const override;
  std::optional<orgdb::Server> FindServerByName(std::string_view name) const override;
  std::vector<orgdb::DirectoryObject> DirectoryObjects(std::string_view container,
                                                       std::string_view objectClass) const override;

  // No mailboxes, folders, directory entries, accounts or faults.
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
  std::vector<orgdb::Message> MessageBatch(std::int64_t folderId, std::int64_t position,
                                           std::int64_t limit, bool bySubmitTime) const override;
  std::vector<orgdb::GalEntry> GalEntries() const override;
  void ForEachGalEntry(const std::function<void(const orgdb::GalEntry&)>& visit) const override;
  std::optional<orgdb::GalEntry> GalEntryForMailbox(const orgdb::Mailbox& mailbox) const override;
  void ForEachNtAccount(const std::function<void(const orgdb::NtAccount&)>& visit) const override;
  std::vector<orgdb::Fault> Faults() const override;

  // The configuration does not change under a reader: one version.
  std::uint32_t DataVersion() const override { return 1; }
  std::uint32_t CurrentDataVersion() const override { return 1; }
  bool FileQuiet() const override { return true; }

 private:
  ProviderConfig config_;
  std::string serverDn_;
  std::string namingContext_;
};

}  // namespace mapidove
