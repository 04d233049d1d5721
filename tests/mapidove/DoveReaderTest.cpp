// The organisation the Dovecot library serves, read from the private
// Dovecot: a folder's messages read in small batches, forwards and
// backwards, in mailbox order and by sent date, with read-ahead windows
// wider than a batch and ones that end inside one, must equal the mail the
// fill script wrote (the folder tree is checked through MAPI in
// DetailsWalkTest), and a server that does not answer must fail as the
// organisation's data failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "AnsiText.h"
#include "DoveOrgReader.h"
#include "DovecotFixture.h"

namespace mapidove {
namespace {

using nlohmann::json;

// A configuration for the fixture's server in a folder of its own.
class ConfigFile {
 public:
  explicit ConfigFile(const DovecotServer& server, std::optional<std::uint16_t> httpPort = {}) {
    char pattern[] = "/tmp/tabrix-doveconf-XXXXXX";
    dir_ = mkdtemp(pattern);
    ProviderConfig c;
    c.endpointFile = server.dir() + "/endpoint.json";
    c.httpPort = httpPort;
    WriteProviderConfig(path(), c);
  }
  ~ConfigFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string path() const { return dir_ + "/dovecot.json"; }

 private:
  std::string dir_;
};

// A folder's messages read in batches of 7, from the first or from the
// last (as a table sorted descending reads), in both orders.
std::vector<orgdb::Message> ReadInBatches(const DoveOrgReader& reader, const orgdb::Folder& folder,
                                          bool bySent, bool fromTheEnd) {
  constexpr std::int64_t kBatch = 7;
  std::vector<orgdb::Message> messages;
  const std::int64_t count = reader.CountMessages(folder.id);
  for (std::int64_t done = 0; done < count; done += kBatch) {
    const std::int64_t at = fromTheEnd ? std::max<std::int64_t>(0, count - done - kBatch) : done;
    auto batch = reader.MessageBatch(folder.id, at, std::min(kBatch, count - done), bySent);
    messages.insert(fromTheEnd ? messages.begin() : messages.end(), batch.begin(), batch.end());
  }
  return messages;
}

TEST(DoveReader, MessagesInBatchesEqualTheMailWritten) {
  TABRIX_NEED_DOVECOT(server);
  ConfigFile config(*server);
  struct Case {
    std::int64_t readAhead;  // 10: windows that end inside a batch
    bool fromTheEnd;
    std::size_t sideBySideFrom = DoveOrgReader::kSideBySideFrom;  // 4: each window in two halves
  };
  for (const Case& c : {Case{DoveOrgReader::kReadAhead, false}, Case{10, false}, Case{10, true},
                        Case{DoveOrgReader::kReadAhead, false, 4}}) {
    SCOPED_TRACE(testing::Message() << "read-ahead " << c.readAhead << " from the end "
                                    << c.fromTheEnd << " two sessions from " << c.sideBySideFrom);
    const DoveOrgReader reader(config.path(), c.readAhead, c.sideBySideFrom);
    ASSERT_EQ(reader.CountMailboxes(ConfigOrgReader::kServerId),
              static_cast<std::int64_t>(server->truth()["users"].size()));
    for (const auto& u : server->truth()["users"]) {
      const std::string name = u["name"];
      SCOPED_TRACE(name);
      auto mailbox = reader.FindMailboxByDn(reader.MailboxDn(name));
      ASSERT_TRUE(mailbox.has_value());
      auto top = reader.TopFolder(mailbox->id);
      ASSERT_TRUE(top.has_value());
      const auto folders = reader.ChildFolders(top->id);
      auto inbox = std::find_if(folders.begin(), folders.end(),
                                [](const orgdb::Folder& f) { return f.urlName == "/INBOX"; });
      ASSERT_NE(inbox, folders.end());
      const json& list = std::find_if(u["folders"].begin(), u["folders"].end(), [](const json& f) {
                           return f["name"] == "INBOX";
                         }).value()["list"];
      for (bool bySent : {false, true}) {
        const std::vector<orgdb::Message> messages =
            ReadInBatches(reader, *inbox, bySent, c.fromTheEnd);
        ASSERT_EQ(messages.size(), list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
          const json& m = list[i];
          EXPECT_EQ(messages[i].size, m["size"].get<std::uint32_t>()) << i;
          EXPECT_EQ(messages[i].deliveryTime, FileTimeOf(m["internalDate"].get<std::int64_t>()))
              << i;
          EXPECT_EQ(messages[i].submitTime, FileTimeOf(m["internalDate"].get<std::int64_t>() - 60))
              << i;
          EXPECT_EQ(messages[i].hasAttachment, m["hasAttachment"].get<bool>()) << i;
          EXPECT_EQ(messages[i].subject, DecodeHeaderText(m["subject"].get<std::string>())) << i;
        }
      }
    }
  }
}

TEST(DoveReader, StoreSessionEndedByTheServerIsOpenedAgain) {
  TABRIX_NEED_DOVECOT(server);
  ConfigFile config(*server);
  const DoveOrgReader reader(config.path());
  const std::string name = server->truth()["users"][0]["name"];
  const auto mailbox = reader.FindMailboxByDn(reader.MailboxDn(name));
  ASSERT_TRUE(mailbox.has_value());
  const auto folders = reader.ChildFolders(reader.TopFolder(mailbox->id)->id);
  const auto inbox = std::find_if(folders.begin(), folders.end(),
                                  [](const orgdb::Folder& f) { return f.urlName == "/INBOX"; });
  ASSERT_NE(inbox, folders.end());
  const auto before = reader.MessageBatch(inbox->id, 0, 5, false);
  ASSERT_FALSE(before.empty());
  const std::string kick = "doveadm -c " + server->dir() + "/dovecot.conf kick " + name;
  ASSERT_EQ(std::system((kick + " >/dev/null").c_str()), 0);
  EXPECT_EQ(reader.MessageBatch(inbox->id, 0, 5, false).size(), before.size());
}

TEST(DoveReader, ServerThatDoesNotAnswerIsDataFailing) {
  TABRIX_NEED_DOVECOT(server);
  ConfigFile config(*server, std::uint16_t{1});  // nothing listens on port 1
  const DoveOrgReader reader(config.path());
  // The names need no server; the mailboxes do.
  EXPECT_TRUE(reader.FindServerByName("MAIL01").has_value());
  EXPECT_THROW(reader.CountMailboxes(ConfigOrgReader::kServerId), orgdb::OrgDbError);
}

}  // namespace
}  // namespace mapidove
