#include "ConfigOrgReader.h"

#include "TextUtil.h"

namespace mapidove {

ConfigOrgReader::ConfigOrgReader(ProviderConfig config)
    : config_(std::move(config)),
      serverDn_("/o=" + config_.organisation + "/ou=" + config_.site +
                "/cn=Configuration/cn=Servers/cn=" + config_.server),
      namingContext_("CN=Configuration,DC=" + config_.organisation + ",DC=local") {}

std::string ConfigOrgReader::MailboxDn(const std::string& user) const {
  return "/o=" + config_.organisation + "/ou=" + config_.site + "/cn=Recipients/cn=" + user;
}

std::string ConfigOrgReader::UserOfDn(std::string_view dn) const {
  const std::string prefix = MailboxDn("");
  if (dn.size() <= prefix.size() || !platform::EqualsNoCase(dn.substr(0, prefix.size()), prefix))
    return {};
  return std::string(dn.substr(prefix.size()));
}

orgdb::OrgInfo ConfigOrgReader::Organisation() const {
  return orgdb::OrgInfo{config_.organisation, namingContext_};
}

std::vector<orgdb::Server> ConfigOrgReader::Servers() const {
  orgdb::Server s;
  s.id = kServerId;
  s.siteId = 1;
  s.name = config_.server;
  s.legacyDn = serverDn_;
  s.version = kVersion;
  return {s};
}

std::optional<orgdb::Server> ConfigOrgReader::ServerById(std::int64_t id) const {
  if (id != kServerId) return std::nullopt;
  return Servers().front();
}

std::optional<orgdb::Server> ConfigOrgReader::FindServerByDn(std::string_view legacyDn) const {
  if (!platform::EqualsNoCase(legacyDn, serverDn_)) return std::nullopt;
  return Servers().front();
}

std::optional<orgdb::Server> ConfigOrgReader::FindServerByName(std::string_view name) const {
  if (!platform::EqualsNoCase(name, config_.server)) return std::nullopt;
  return Servers().front();
}

std::vector<orgdb::DirectoryObject> ConfigOrgReader::DirectoryObjects(
    std::string_view container, std::string_view objectClass) const {
  const std::string servers = "CN=Servers,CN=" + config_.site +
                              ",CN=Administrative Groups,CN=" + config_.organisation +
                              ",CN=Microsoft Exchange,CN=Services," + namingContext_;
  if (!platform::EqualsNoCase(container, servers) ||
      !platform::EqualsNoCase(objectClass, "msExchExchangeServer"))
    return {};
  return {orgdb::DirectoryObject{servers, "msExchExchangeServer", config_.server, serverDn_}};
}

std::int64_t ConfigOrgReader::CountMailboxes(std::int64_t) const {
  return 0;
}
orgdb::MailboxWindow ConfigOrgReader::MailboxTableWindow(std::int64_t, std::int64_t,
                                                         std::int64_t) const {
  return {};
}
std::optional<orgdb::Mailbox> ConfigOrgReader::MailboxById(std::int64_t) const {
  return std::nullopt;
}
std::optional<orgdb::Mailbox> ConfigOrgReader::FindMailboxByDn(std::string_view) const {
  return std::nullopt;
}
std::vector<orgdb::Mailbox> ConfigOrgReader::FindMailboxesByName(std::int64_t,
                                                                 std::string_view) const {
  return {};
}
std::optional<orgdb::Folder> ConfigOrgReader::TopFolder(std::int64_t) const {
  return std::nullopt;
}
std::optional<orgdb::Folder> ConfigOrgReader::FolderById(std::int64_t) const {
  return std::nullopt;
}
std::vector<orgdb::Folder> ConfigOrgReader::ChildFolders(std::int64_t) const {
  return {};
}
std::int64_t ConfigOrgReader::CountMessages(std::int64_t) const {
  return 0;
}
std::vector<orgdb::Message> ConfigOrgReader::MessageBatch(std::int64_t, std::int64_t, std::int64_t,
                                                          bool) const {
  return {};
}
std::vector<orgdb::GalEntry> ConfigOrgReader::GalEntries() const {
  return {};
}
void ConfigOrgReader::ForEachGalEntry(const std::function<void(const orgdb::GalEntry&)>&) const {}
std::optional<orgdb::GalEntry> ConfigOrgReader::GalEntryForMailbox(const orgdb::Mailbox&) const {
  return std::nullopt;
}
void ConfigOrgReader::ForEachNtAccount(const std::function<void(const orgdb::NtAccount&)>&) const {}
std::vector<orgdb::Fault> ConfigOrgReader::Faults() const {
  return {};
}

}  // namespace mapidove
