// The Dovecot provider's own rules, one table each: header texts into the
// ANSI code page, quota states into storage-limit values, sequence sets, the
// folder tree built from Dovecot's names, and the names of the configuration.
#include <gtest/gtest.h>

#include "AnsiText.h"
#include "ConfigOrgReader.h"
#include "DoveOrgReader.h"
#include "FolderIndex.h"

namespace mapidove {
namespace {

struct TextRow {
  const char* in;
  const char* out;
  const char* why;
};

TEST(AnsiText, HeadersDecodeIntoTheCodePage) {
  const TextRow rows[] = {
      {"Plain subject", "Plain subject", "nothing to decode"},
      {"=?UTF-8?B?R3LDvMOfZQ==?=",
       "Gr\xFC\xDF"
       "e",
       "base64 UTF-8"},
      {"=?iso-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=",
       "Gr\xFC\xDF"
       "e aus K\xF6ln",
       "Q, underscore is space"},
      {"=?utf-8?q?A?= =?utf-8?q?B?=", "AB", "space between encoded words dropped"},
      {"=?utf-8?q?A?= and =?utf-8?q?B?=", "A and B", "text between words kept"},
      {"Re: =?UTF-8?B?4oKsIDEw?=", "Re: \x80 10", "euro sign is 0x80 in Windows-1252"},
      {"=?x-unknown?Q?abc?=", "=?x-unknown?Q?abc?=", "unknown charset stays as written"},
      {"=?utf-8?X?abc?=", "=?utf-8?X?abc?=", "unknown encoding stays as written"},
      {"=?utf-8?Q?broken=Z?=", "=?utf-8?Q?broken=Z?=", "malformed Q stays as written"},
      {"Long\r\n subject", "Long subject", "folded line joined"},
      {"Caf\xC3\xA9 raw", "Caf\xE9 raw", "raw UTF-8 converted"},
      {"Caf\xE9 latin", "Caf\xE9 latin", "bytes that are no UTF-8 kept"},
      {"=?UTF-8?B?5pel5pys?=", "??", "characters outside the code page"},
  };
  for (const auto& r : rows) EXPECT_EQ(DecodeHeaderText(r.in), r.out) << r.why;
}

TEST(DoveOrgReader, QuotaStatesAreTheSimulatedStorageLimits) {
  const std::pair<QuotaState, std::uint32_t> rows[] = {{QuotaState::BelowLimit, 1},
                                                       {QuotaState::Warning, 2},
                                                       {QuotaState::AtLimit, 4},
                                                       {QuotaState::NoQuota, 8}};
  for (const auto& [state, value] : rows) EXPECT_EQ(StorageLimitOf(state), value);
}

TEST(DoveOrgReader, MailboxIdsAreStableAndPositive) {
  EXPECT_EQ(MailboxIdOf("jsmith"), MailboxIdOf("jsmith"));
  EXPECT_NE(MailboxIdOf("jsmith"), MailboxIdOf("jsmiti"));
  EXPECT_GT(MailboxIdOf(""), 0);
  EXPECT_EQ(FileTimeOf(0), 116444736000000000ull);  // 1970-01-01 as a FILETIME
}

TEST(FolderIndex, SequenceSetsCompressRuns) {
  const std::pair<std::vector<std::uint32_t>, const char*> rows[] = {
      {{}, ""}, {{5}, "5"}, {{3, 1, 2}, "1:3"}, {{1, 2, 4, 6, 7, 9}, "1:2,4,6:7,9"}, {{2, 2}, "2"}};
  for (const auto& [numbers, set] : rows) EXPECT_EQ(SequenceSet(numbers), set);
}

TEST(FolderIndex, TreeFromFullNames) {
  FolderIndex index;
  // "Projects" is listed only through its subfolder; "Entwürfe" is UTF-8.
  const std::vector<FolderInfo> folders = {{"INBOX", '/', true, 3, 300},
                                           {"INBOX/Travel", '/', true, 1, 50},
                                           {"Projects/2006", '/', true, 2, 20},
                                           {"Entw\xC3\xBC"
                                            "rfe",
                                            '/', true, 0, 0}};
  const std::int64_t top = index.Add(7, "jsmith", folders, '/');
  EXPECT_EQ(index.TopOf(7), top);
  EXPECT_EQ(index.TopOf(8), std::nullopt);
  const FolderNode* t = index.Find(top);
  ASSERT_NE(t, nullptr);
  EXPECT_FALSE(t->folder.parentId.has_value());
  struct Row {
    std::vector<std::size_t> path;  // child positions from the top
    const char* name;
    const char* url;
    std::int32_t count;
    bool subfolders;
  };
  const Row rows[] = {
      {{0}, "INBOX", "/INBOX", 3, true},
      {{0, 0}, "Travel", "/INBOX/Travel", 1, false},
      {{1}, "Projects", "/Projects", 0, true},
      {{1, 0}, "2006", "/Projects/2006", 2, false},
      {{2}, "Entw\xFCrfe", "/Entw\xFCrfe", 0, false},
  };
  EXPECT_EQ(t->children.size(), 3u);
  for (const auto& r : rows) {
    const FolderNode* n = t;
    for (std::size_t at : r.path) n = index.Find(n->children.at(at));
    EXPECT_EQ(n->folder.displayName, r.name);
    EXPECT_EQ(n->folder.urlName, r.url);
    EXPECT_EQ(n->folder.contentCount, r.count) << r.name;
    EXPECT_EQ(n->folder.subfolders, r.subfolders) << r.name;
    EXPECT_EQ(n->folder.mailboxId, 7);
  }
}

TEST(ConfigOrgReader, NamesComeFromTheConfiguration) {
  ProviderConfig c;
  c.organisation = "Org";
  c.site = "First Site";
  c.server = "MAIL01";
  const ConfigOrgReader reader(c);
  EXPECT_EQ(reader.serverDn(), "/o=Org/ou=First Site/cn=Configuration/cn=Servers/cn=MAIL01");
  EXPECT_EQ(reader.MailboxDn("jsmith"), "/o=Org/ou=First Site/cn=Recipients/cn=jsmith");
  EXPECT_EQ(reader.UserOfDn("/O=Org/OU=First Site/cn=recipients/cn=jsmith"), "jsmith");
  EXPECT_EQ(reader.UserOfDn("/o=Other/ou=First Site/cn=Recipients/cn=jsmith"), "");
  EXPECT_TRUE(reader.FindServerByName("mail01").has_value());
  EXPECT_FALSE(reader.FindServerByName("MAIL02").has_value());
  EXPECT_TRUE(reader.FindServerByDn("/o=org/ou=first site/cn=configuration/cn=servers/cn=mail01"));
  const auto objects = reader.DirectoryObjects(
      "CN=Servers,CN=First Site,CN=Administrative Groups,CN=Org,CN=Microsoft Exchange,"
      "CN=Services," +
          reader.Organisation().configurationNamingContext,
      "msExchExchangeServer");
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].legacyExchangeDN, reader.serverDn());
  EXPECT_EQ(reader.CountMailboxes(ConfigOrgReader::kServerId), 0);
}

}  // namespace
}  // namespace mapidove
