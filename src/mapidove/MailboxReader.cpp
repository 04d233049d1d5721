#include "MailboxReader.h"

#include <charconv>
#include <future>

namespace mapidove {
namespace {

using nlohmann::json;

// doveadm gives every number as text; "-" stands for none.
std::optional<std::int64_t> Number(const json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  const std::string& text = it->get_ref<const std::string&>();
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::int64_t Required(const json& object, const char* key, std::string_view command) {
  if (auto value = Number(object, key)) return *value;
  throw DoveadmError("doveadm " + std::string(command) + " gave no number for " + key, 0);
}

const json& Rows(const json& payload, std::string_view command) {
  if (!payload.is_array())
    throw DoveadmError("doveadm " + std::string(command) + " gave no list of rows", 0);
  return payload;
}

}  // namespace

std::vector<std::string> MailboxReader::Users() const {
  json payload = client_.Call("user", {{"userMask", json::array({"*"})}});
  std::vector<std::string> users;
  if (auto list = payload.find("userList"); list != payload.end() && list->is_array())
    for (const auto& name : *list)
      if (name.is_string()) users.push_back(name.get<std::string>());
  return users;
}

DoveadmCommand MailboxReader::TotalsCommand(const std::string& user) {
  return {"mailboxStatus",
          {{"user", user},
           {"mailboxMask", json::array({"*"})},
           {"field", json::array({"messages", "vsize"})}}};
}

MailboxTotals MailboxReader::TotalsOf(const json& status) {
  MailboxTotals totals;
  for (const auto& row : Rows(status, "mailboxStatus")) {
    totals.messages += Required(row, "messages", "mailboxStatus");
    totals.size += Required(row, "vsize", "mailboxStatus");
  }
  return totals;
}

DoveadmCommand MailboxReader::QuotaCommand(const std::string& user) {
  return {"quotaGet", {{"user", user}}};
}

QuotaUsage MailboxReader::QuotaOf(const json& rows) const {
  QuotaUsage usage;
  for (const auto& row : Rows(rows, "quotaGet")) usage.resources.push_back(ResourceOf(row));
  usage.state = StateOf(usage.resources, settings_.quotaWarningPercent);
  return usage;
}

QuotaResource MailboxReader::ResourceOf(const json& row) {
  QuotaResource r;
  r.root = row.value("root", "");
  r.type = row.value("type", "");
  r.value = Required(row, "value", "quotaGet");
  r.limit = Number(row, "limit");
  return r;
}

DoveadmCommand MailboxReader::LastLoginCommand(const std::string& user) const {
  return {"dictGet",
          {{"dictUri", settings_.lastLoginDict}, {"key", settings_.lastLoginKeyPrefix + user}}};
}

std::optional<std::int64_t> MailboxReader::LastLoginOf(const DoveadmAnswer& answer) {
  if (answer.error) {
    if (answer.error->exitCode() == kDoveadmNotFound) return std::nullopt;  // never logged in
    throw *answer.error;
  }
  for (const auto& row : Rows(answer.payload, "dictGet"))
    if (auto value = Number(row, "value")) return value;
  return std::nullopt;
}

MailboxTotals MailboxReader::Totals(const std::string& user) const {
  const DoveadmCommand c = TotalsCommand(user);
  return TotalsOf(client_.Call(c.name, c.parameters));
}

QuotaUsage MailboxReader::Quota(const std::string& user) const {
  const DoveadmCommand c = QuotaCommand(user);
  return QuotaOf(client_.Call(c.name, c.parameters));
}

std::optional<std::int64_t> MailboxReader::LastLogin(const std::string& user) const {
  if (settings_.lastLoginDict.empty()) return std::nullopt;
  return LastLoginOf(client_.CallEach({LastLoginCommand(user)}).front());
}

std::vector<UserStatus> MailboxReader::Statuses(const std::vector<std::string>& users) const {
  const bool lastLogin = !settings_.lastLoginDict.empty();
  std::vector<DoveadmCommand> commands;
  for (const std::string& user : users) {
    commands.push_back(TotalsCommand(user));
    commands.push_back(QuotaCommand(user));
    if (lastLogin) commands.push_back(LastLoginCommand(user));
  }
  std::vector<DoveadmAnswer> answers;
  if (!commands.empty()) answers = client_.CallEach(commands);
  auto payload = [](DoveadmAnswer& answer) -> json& {
    if (answer.error) throw *answer.error;
    return answer.payload;
  };
  std::vector<UserStatus> statuses;
  std::size_t at = 0;
  for (std::size_t i = 0; i < users.size(); ++i) {
    UserStatus status;
    status.totals = TotalsOf(payload(answers[at++]));
    status.quota = QuotaOf(payload(answers[at++]));
    if (lastLogin) status.lastLogin = LastLoginOf(answers[at++]);
    statuses.push_back(std::move(status));
  }
  return statuses;
}

std::unordered_map<std::string, UserStatus> MailboxReader::AllStatuses() const {
  auto call = [this](const char* command, json parameters) {
    return std::async(std::launch::async, [this, command, parameters = std::move(parameters)] {
      return client_.Call(command, parameters);
    });
  };
  auto totals = call("mailboxStatus", {{"allUsers", true},
                                       {"totalSum", true},
                                       {"mailboxMask", json::array({"*"})},
                                       {"field", json::array({"messages", "vsize"})}});
  auto quotas = call("quotaGet", {{"allUsers", true}});
  std::future<json> logins;
  if (!settings_.lastLoginDict.empty())
    logins = call("dictIter",
                  {{"dictUri", settings_.lastLoginDict}, {"prefix", settings_.lastLoginKeyPrefix}});

  std::unordered_map<std::string, UserStatus> statuses;
  const json totalRows = totals.get();
  for (const auto& row : Rows(totalRows, "mailboxStatus")) {
    UserStatus& status = statuses[row.value("username", "")];
    status.totals.messages = Required(row, "messages", "mailboxStatus");
    status.totals.size = Required(row, "vsize", "mailboxStatus");
  }
  std::unordered_map<std::string, QuotaUsage> usages;
  const json quotaRows = quotas.get();
  for (const auto& row : Rows(quotaRows, "quotaGet"))
    usages[row.value("username", "")].resources.push_back(ResourceOf(row));
  // A user without a quota has no rows: no checking.
  for (auto& [name, status] : statuses)
    if (auto it = usages.find(name); it != usages.end()) {
      status.quota.resources = std::move(it->second.resources);
      status.quota.state = StateOf(status.quota.resources, settings_.quotaWarningPercent);
    }
  if (logins.valid()) {
    const std::string& prefix = settings_.lastLoginKeyPrefix;
    const json loginRows = logins.get();
    for (const auto& row : Rows(loginRows, "dictIter")) {
      const std::string key = row.value("key", "");
      if (key.rfind(prefix, 0) != 0) continue;
      if (auto it = statuses.find(key.substr(prefix.size())); it != statuses.end())
        it->second.lastLogin = Number(row, "value");
    }
  }
  return statuses;
}

}  // namespace mapidove
