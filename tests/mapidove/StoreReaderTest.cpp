// A mailbox store opened over IMAP through the master user: its folders and
// messages must equal the mail the fill script wrote, and a refusal or a
// server that cannot answer must fail within the timeouts in its own words.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "DovecotFixture.h"
#include "ImapParse.h"
#include "StoreReader.h"

namespace mapidove {
namespace {

using nlohmann::json;

TEST(StoreReader, FoldersAndMessagesEqualTheMailWritten) {
  TABRIX_NEED_DOVECOT(server);
  for (const auto& u : server->truth()["users"]) {
    const std::string user = u["name"];
    SCOPED_TRACE(user);
    StoreReader store(ImapLoginOf(server->config()), user);
    // Every folder with its count and size; a level's name in modified
    // UTF-7 reads back as the UTF-8 it was made from.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> expected, read;
    std::map<std::string, std::string> imapName;
    for (const auto& f : u["folders"]) expected[f["name"]] = {f["messages"], f["vsize"]};
    for (const FolderInfo& f : store.Folders()) {
      EXPECT_EQ(f.separator, '/');
      EXPECT_TRUE(f.selectable) << f.name;
      read[DecodeModifiedUtf7(f.name)] = {f.messages, f.size};
      imapName[DecodeModifiedUtf7(f.name)] = f.name;
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.count("Entwürfe & Ärger/Grüße"), 1u);

    // Each folder's messages, a batch of 7 at a time.
    for (const auto& f : u["folders"]) {
      SCOPED_TRACE(f["name"].get<std::string>());
      const json& list = f["list"];
      std::vector<MessageInfo> messages;
      for (std::size_t first = 1; first <= list.size(); first += 7) {
        auto batch = store.FetchMessages(imapName[f["name"]],
                                         std::to_string(first) + ":" + std::to_string(first + 6));
        EXPECT_EQ(batch.size(), std::min<std::size_t>(7, list.size() - first + 1));
        messages.insert(messages.end(), batch.begin(), batch.end());
      }
      ASSERT_EQ(messages.size(), list.size());
      for (std::size_t i = 0; i < list.size(); ++i) {
        const json& m = list[i];
        EXPECT_EQ(messages[i].sequence, i + 1);
        EXPECT_EQ(messages[i].size, m["size"].get<std::int64_t>());
        EXPECT_EQ(messages[i].internalDate, m["internalDate"].get<std::int64_t>());
        EXPECT_EQ(messages[i].sentDate, m["internalDate"].get<std::int64_t>() - 60);  // as written
        EXPECT_EQ(messages[i].subject, m["subject"].get<std::string>());
        EXPECT_EQ(messages[i].hasAttachment, m["hasAttachment"].get<bool>());
      }
      if (!list.empty()) {
        EXPECT_EQ(store.FetchSentDates(imapName[f["name"]], "1:*").back().sentDate,
                  list.back()["internalDate"].get<std::int64_t>() - 60);
      }
    }
  }
}

TEST(StoreReader, FailuresAreClearAndBounded) {
  TABRIX_NEED_DOVECOT(server);
  SilentServer silent;
  const std::uint16_t closed = ClosedPort();
  const std::string user = server->truth()["users"][0]["name"];
  const struct {
    const char* why;
    std::uint16_t port;  // 0: the server's
    const char* masterPassword;
    const char* user;
    const char* text;
    int readMs;  // Dovecot answers a refused login only after its failure delay
  } rows[] = {
      {"stopped server", closed, nullptr, nullptr, "Cannot connect to IMAP at", 300},
      {"server that never answers", silent.port(), nullptr, nullptr, "did not answer within", 300},
      {"wrong master password", 0, "wrong", nullptr, "IMAP: [AUTHENTICATIONFAILED]", 15000},
      {"no such user", 0, nullptr, "nobody", "IMAP: [AUTHORIZATIONFAILED]", 15000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    ImapLogin login = ImapLoginOf(server->config());
    login.timeouts = {std::chrono::milliseconds(300), std::chrono::milliseconds(row.readMs)};
    if (row.port) login.port = row.port;
    if (row.masterPassword) login.masterPassword = row.masterPassword;
    const auto start = std::chrono::steady_clock::now();
    try {
      StoreReader store(login, row.user ? row.user : user);
      ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(row.text), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(row.readMs) + std::chrono::seconds(2));
  }
}

}  // namespace
}  // namespace mapidove
