// The read model against a private Dovecot filled from a generated
// organisation: what the client reads must equal the ground truth the fill
// script computed from the mail it wrote, and a server that cannot answer
// must fail within the timeouts with Dovecot's or the system's own words.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>

#include "DovecotFixture.h"
#include "MailboxReader.h"

namespace mapidove {
namespace {

using nlohmann::json;

struct Reader {
  explicit Reader(const ServerConfig& config)
      : client(config.endpoint), reader(client, config.settings) {}
  DoveadmClient client;
  MailboxReader reader;
};

TEST(ReadModel, UsersAndTotalsEqualTheMailWritten) {
  TABRIX_NEED_DOVECOT(server);
  Reader r(server->config());
  std::vector<std::string> expectedUsers;
  for (const auto& u : server->truth()["users"]) expectedUsers.push_back(u["name"]);
  std::vector<std::string> users = r.reader.Users();
  std::sort(users.begin(), users.end());
  std::sort(expectedUsers.begin(), expectedUsers.end());
  EXPECT_EQ(users, expectedUsers);

  for (const auto& u : server->truth()["users"]) {
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    MailboxTotals totals = r.reader.Totals(name);
    EXPECT_EQ(totals.messages, u["messages"].get<std::int64_t>());
    EXPECT_EQ(totals.size, u["vsize"].get<std::int64_t>());
  }
}

TEST(ReadModel, QuotaStatesEqualTheRulesGiven) {
  TABRIX_NEED_DOVECOT(server);
  Reader r(server->config());
  std::vector<std::string> states;
  for (const auto& u : server->truth()["users"]) {
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    QuotaUsage usage = r.reader.Quota(name);
    EXPECT_STREQ(QuotaStateName(usage.state), u["quota"]["state"].get<std::string>().c_str());
    auto storage = std::find_if(usage.resources.begin(), usage.resources.end(),
                                [](const QuotaResource& q) { return q.type == "STORAGE"; });
    ASSERT_NE(storage, usage.resources.end());
    EXPECT_EQ(storage->value, u["quota"]["usageKB"].get<std::int64_t>());
    const json& limit = u["quota"]["limitKB"];
    EXPECT_EQ(storage->limit,
              limit.is_null() ? std::nullopt : std::optional(limit.get<std::int64_t>()));
    states.push_back(QuotaStateName(usage.state));
  }
  // The fill gives every state to at least one user.
  std::sort(states.begin(), states.end());
  states.erase(std::unique(states.begin(), states.end()), states.end());
  EXPECT_EQ(states, (std::vector<std::string>{"at-limit", "below", "none", "warning"}));
}

TEST(ReadModel, LastLoginFollowsLogins) {
  TABRIX_NEED_DOVECOT(server);
  Reader r(server->config());
  std::string never;
  for (const auto& u : server->truth()["users"]) {
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    std::optional<std::int64_t> last = r.reader.LastLogin(name);
    if (u["lastLogin"].is_null()) {
      EXPECT_EQ(last, std::nullopt);
      never = name;
      continue;
    }
    ASSERT_TRUE(last.has_value());
    EXPECT_GE(*last, u["lastLogin"]["notBefore"].get<std::int64_t>());
    EXPECT_LE(*last, u["lastLogin"]["notAfter"].get<std::int64_t>());
  }
  // An administrator opening the mailbox through the master user is no
  // login of its user; the user's own login is.
  ASSERT_FALSE(never.empty());
  ASSERT_TRUE(server->ImapLogin(never, true));
  EXPECT_EQ(r.reader.LastLogin(never), std::nullopt);
  std::int64_t before = std::time(nullptr);
  ASSERT_TRUE(server->ImapLogin(never, false));
  std::optional<std::int64_t> last = r.reader.LastLogin(never);
  ASSERT_TRUE(last.has_value());
  EXPECT_GE(*last, before);
  EXPECT_LE(*last, std::time(nullptr));
}

TEST(ReadModel, FailuresAreClearAndBounded) {
  TABRIX_NEED_DOVECOT(server);
  SilentServer silent;
  const std::uint16_t closed = ClosedPort();
  const struct {
    const char* why;
    void (*change)(Endpoint&, std::uint16_t closed, std::uint16_t silent);
    const char* text;  // what the error says
    int readMs;        // Dovecot answers a refused login only after its failure delay
  } rows[] = {
      {"stopped server", [](Endpoint& e, std::uint16_t c, std::uint16_t) { e.port = c; },
       "Connection refused", 300},
      {"server that never answers", [](Endpoint& e, std::uint16_t, std::uint16_t s) { e.port = s; },
       "did not answer within 300 ms", 300},
      {"wrong password",
       [](Endpoint& e, std::uint16_t, std::uint16_t) {
         e.apiKey.clear();
         e.password = "wrong";
       },
       ": 401 Authentication required", 5000},
      {"wrong API key", [](Endpoint& e, std::uint16_t, std::uint16_t) { e.apiKey = "wrong"; },
       ": 401 Authentication required", 5000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    Endpoint endpoint = server->config().endpoint;
    endpoint.timeouts = {std::chrono::milliseconds(300), std::chrono::milliseconds(row.readMs)};
    row.change(endpoint, closed, silent.port());
    DoveadmClient client(endpoint);
    MailboxReader reader(client, server->config().settings);
    auto start = std::chrono::steady_clock::now();
    try {
      reader.Users();
      ADD_FAILURE() << "no failure";
    } catch (const DoveadmError& e) {
      EXPECT_NE(std::string(e.what()).find(row.text), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(row.readMs) + std::chrono::seconds(2));
  }
}

TEST(ReadModel, UnknownUserIsDoveadmsNoUser) {
  TABRIX_NEED_DOVECOT(server);
  Reader r(server->config());
  try {
    r.reader.Totals("nobody-here");
    ADD_FAILURE() << "no failure";
  } catch (const DoveadmError& e) {
    EXPECT_STREQ(e.what(), "doveadm mailboxStatus failed: exit code 67 (NOUSER)");
    EXPECT_EQ(e.exitCode(), kDoveadmNoUser);
  }
}

TEST(ReadModel, StatusesInOneRequestEqualTheSingleReads) {
  TABRIX_NEED_DOVECOT(server);
  Reader r(server->config());
  std::vector<std::string> users;
  for (const auto& u : server->truth()["users"]) users.push_back(u["name"]);
  const std::vector<UserStatus> statuses = r.reader.Statuses(users);
  ASSERT_EQ(statuses.size(), users.size());
  for (std::size_t i = 0; i < users.size(); ++i) {
    SCOPED_TRACE(users[i]);
    const MailboxTotals totals = r.reader.Totals(users[i]);
    EXPECT_EQ(statuses[i].totals.messages, totals.messages);
    EXPECT_EQ(statuses[i].totals.size, totals.size);
    EXPECT_EQ(statuses[i].quota.state, r.reader.Quota(users[i]).state);
    EXPECT_EQ(statuses[i].lastLogin, r.reader.LastLogin(users[i]));
  }
  EXPECT_TRUE(r.reader.Statuses({}).empty());
  // One unknown user fails the whole run, with Dovecot's words for it.
  users.push_back("nobody-here");
  try {
    r.reader.Statuses(users);
    ADD_FAILURE() << "no failure";
  } catch (const DoveadmError& e) {
    EXPECT_STREQ(e.what(), "doveadm mailboxStatus failed: exit code 67 (NOUSER)");
  }
}

}  // namespace
}  // namespace mapidove
