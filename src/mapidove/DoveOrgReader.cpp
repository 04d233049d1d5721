#include "DoveOrgReader.h"

#include <algorithm>

#include "AnsiText.h"
#include "ServerRead.h"
#include "TextUtil.h"

namespace mapidove {

ServerConfig ServerConfigOf(const ProviderConfig& config) {
  ServerConfig server = LoadServerConfig(config.endpointFile);
  if (config.host) server.endpoint.host = *config.host;
  if (config.httpPort) server.endpoint.port = *config.httpPort;
  if (config.imapPort) server.imapPort = *config.imapPort;
  return server;
}

std::uint32_t StorageLimitOf(QuotaState state) {
  switch (state) {
    case QuotaState::BelowLimit:
      return 1;
    case QuotaState::Warning:
      return 2;
    case QuotaState::AtLimit:
      return 4;
    case QuotaState::NoQuota:
      break;
  }
  return 8;
}

std::int64_t MailboxIdOf(std::string_view user) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : user) h = (h ^ c) * 1099511628211ull;
  // 47 bits keep the id positive and exact in every form it travels in.
  return static_cast<std::int64_t>(h % ((1ull << 47) - 1)) + 1;
}

std::uint64_t FileTimeOf(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11644473600ll) * 10000000ull;
}

DoveOrgReader::DoveOrgReader(const std::string& configPath, std::int64_t readAhead,
                             std::size_t sideBySideFrom)
    : ConfigOrgReader(LoadProviderConfig(configPath)),
      displayNames_(LoadNameMap(config().displayNamesFile)),
      ntAccounts_(LoadNameMap(config().ntAccountsFile)),
      server_(ServerConfigOf(config())),
      client_(server_.endpoint),
      reader_(client_, server_.settings),
      readAhead_(std::max<std::int64_t>(readAhead, 1)),
      sideBySideFrom_(std::max<std::size_t>(sideBySideFrom, 2)) {}

const std::vector<DoveOrgReader::User>& DoveOrgReader::Users() const {
  if (users_) return *users_;
  std::vector<User> users;
  for (std::string& name : FromServer([&] { return reader_.Users(); })) {
    User u;
    u.id = MailboxIdOf(name);
    auto display = displayNames_.find(name);
    u.displayName = display != displayNames_.end() ? Utf8ToAnsi(display->second) : name;
    if (auto nt = ntAccounts_.find(name); nt != ntAccounts_.end()) u.ntUserName = nt->second;
    u.name = std::move(name);
    users.push_back(std::move(u));
  }
  for (std::size_t i = 0; i < users.size(); ++i) byId_[users[i].id] = i;
  users_ = std::move(users);
  return *users_;
}

const DoveOrgReader::User* DoveOrgReader::UserById(std::int64_t id) const {
  const auto& users = Users();
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : &users[it->second];
}

orgdb::Mailbox DoveOrgReader::MailboxOf(const User& u) const {
  orgdb::Mailbox m;
  m.id = u.id;
  m.serverId = kServerId;
  m.alias = u.name;
  m.emailAddress = MailboxDn(u.name);
  m.displayName = u.displayName;
  m.ntUserName = u.ntUserName;
  return m;
}

orgdb::GalEntry DoveOrgReader::GalEntryOf(const User& u) const {
  orgdb::GalEntry e;
  e.id = u.id;
  e.displayName = u.displayName;
  e.alias = u.name;
  e.address = MailboxDn(u.name);
  e.homeMdb = serverDn() + "/cn=Microsoft Private MDB";
  e.homeMta = serverDn() + "/cn=Microsoft MTA";
  return e;
}

std::int64_t DoveOrgReader::CountMailboxes(std::int64_t serverId) const {
  if (serverId != kServerId) return 0;
  std::lock_guard lock(mutex_);
  return static_cast<std::int64_t>(Users().size());
}

orgdb::MailboxWindow DoveOrgReader::MailboxTableWindow(std::int64_t serverId, std::int64_t position,
                                                       std::int64_t limit) const {
  orgdb::MailboxWindow window;
  if (serverId != kServerId || position < 0 || limit <= 0) return window;
  std::lock_guard lock(mutex_);
  const auto& users = Users();
  const auto end =
      std::min<std::int64_t>(position + limit, static_cast<std::int64_t>(users.size()));
  auto text = [&window](const std::string& s) {
    orgdb::MailboxWindow::Text t{window.texts.size(), s.size()};
    window.texts += s;
    return t;
  };
  // The figures of the whole server come in one go when a table starts.
  if (position == 0 || statuses_.empty())
    statuses_ = FromServer([&] {
      try {
        return reader_.AllStatuses();
      } catch (const DoveadmError& e) {
        if (e.exitCode() == 0) throw;  // not reached or not let in: so would the batches be
        return std::unordered_map<std::string, UserStatus>{};  // a user failed: ask each alone
      }
    });
  // The rest a request per run of users: one request per mailbox would cost
  // a server of thousands as many round trips.
  std::vector<std::string> missing;
  for (std::int64_t i = position; i < end; ++i)
    if (const std::string& name = users[static_cast<std::size_t>(i)].name; !statuses_.count(name))
      missing.push_back(name);
  constexpr std::size_t kUsersPerRequest = 64;
  for (std::size_t first = 0; first < missing.size(); first += kUsersPerRequest) {
    const std::vector<std::string> names(
        missing.begin() + static_cast<std::ptrdiff_t>(first),
        missing.begin() +
            static_cast<std::ptrdiff_t>(std::min(first + kUsersPerRequest, missing.size())));
    std::vector<UserStatus> statuses = FromServer([&] { return reader_.Statuses(names); });
    for (std::size_t i = 0; i < names.size(); ++i) statuses_[names[i]] = std::move(statuses[i]);
  }
  for (std::int64_t i = position; i < end; ++i) {
    const User& u = users[static_cast<std::size_t>(i)];
    const UserStatus& status = statuses_.at(u.name);
    orgdb::MailboxWindow::Row row;
    row.id = u.id;
    row.tableOrder = i;
    row.emailAddress = text(MailboxDn(u.name));
    row.displayName = text(u.displayName);
    if (u.ntUserName) row.ntUserName = text(*u.ntUserName);
    row.messageSize = status.totals.size;
    row.contentCount = static_cast<std::int32_t>(status.totals.messages);
    row.assocContentCount = 0;  // Dovecot keeps no hidden items
    row.storageLimit = StorageLimitOf(status.quota.state);
    if (status.lastLogin) row.lastLogonTime = FileTimeOf(*status.lastLogin);
    window.rows.push_back(std::move(row));
  }
  return window;
}

std::optional<orgdb::Mailbox> DoveOrgReader::MailboxById(std::int64_t id) const {
  std::lock_guard lock(mutex_);
  const User* u = UserById(id);
  if (!u) return std::nullopt;
  return MailboxOf(*u);
}

std::optional<orgdb::Mailbox> DoveOrgReader::FindMailboxByDn(std::string_view dn) const {
  const std::string user = UserOfDn(dn);
  if (user.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  for (const User& u : Users())
    if (platform::EqualsNoCase(u.name, user)) return MailboxOf(u);
  return std::nullopt;
}

std::vector<orgdb::Mailbox> DoveOrgReader::FindMailboxesByName(std::int64_t serverId,
                                                               std::string_view name) const {
  std::vector<orgdb::Mailbox> found;
  if (serverId != kServerId) return found;
  std::lock_guard lock(mutex_);
  for (const User& u : Users())
    if (platform::EqualsNoCase(u.name, name) || platform::EqualsNoCase(u.displayName, name))
      found.push_back(MailboxOf(u));
  return found;
}

std::vector<orgdb::GalEntry> DoveOrgReader::GalEntries() const {
  std::vector<orgdb::GalEntry> entries;
  ForEachGalEntry([&](const orgdb::GalEntry& e) { entries.push_back(e); });
  return entries;
}

void DoveOrgReader::ForEachGalEntry(
    const std::function<void(const orgdb::GalEntry&)>& visit) const {
  std::lock_guard lock(mutex_);
  // By id, as the directory's readers expect.
  std::vector<const User*> byId;
  for (const User& u : Users()) byId.push_back(&u);
  std::sort(byId.begin(), byId.end(), [](const User* a, const User* b) { return a->id < b->id; });
  for (const User* u : byId) visit(GalEntryOf(*u));
}

std::optional<orgdb::GalEntry> DoveOrgReader::GalEntryForMailbox(
    const orgdb::Mailbox& mailbox) const {
  std::lock_guard lock(mutex_);
  const User* u = UserById(mailbox.id);
  if (!u) return std::nullopt;
  return GalEntryOf(*u);
}

}  // namespace mapidove
