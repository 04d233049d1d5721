// Batched reads: mailbox tables and folder contents read in batches must give
// exactly the rows and order of one full read, whichever way the positions
// are visited; generated folders derive their messages consistently.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "GeneratedMessages.h"
#include "OrgDb.h"
#include "TempDir.h"

namespace orgdb {
namespace {

class OrgDbBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    db = OrgDb::Create(dir.File("org.db"), &error);
    ASSERT_TRUE(db) << error;
    std::int64_t site = db->AddSite({0, "Site"});
    Server s;
    s.siteId = site;
    s.name = "SRV01";
    s.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
    a = db->AddServer(s);
    s.name = "SRV02";
    b = db->AddServer(s);
    db->Begin();
    // Table order descends against insertion and repeats, so the order by
    // (table order, id) differs from the order of ids.
    for (int i = 0; i < 1000; ++i) {
      Mailbox m;
      m.serverId = (i % 3 == 0) ? b : a;
      m.tableOrder = (1000 - i) / 2;
      m.alias = "user" + std::to_string(i);
      db->AddMailbox(m);
    }
    db->Commit();
  }
  std::vector<std::string> Aliases(const std::vector<Mailbox>& rows) {
    std::vector<std::string> out;
    for (const auto& m : rows) out.push_back(m.alias);
    return out;
  }
  orgdbtest::TempDir dir;
  std::unique_ptr<OrgDb> db;
  std::int64_t a = 0, b = 0;
};

TEST_F(OrgDbBatchTest, SequentialBatchesEqualTheWholeTable) {
  auto whole = db->Mailboxes(a);
  ASSERT_EQ(static_cast<std::int64_t>(whole.size()), db->CountMailboxes(a));
  ASSERT_TRUE(std::is_sorted(whole.begin(), whole.end(), [](const Mailbox& x, const Mailbox& y) {
    return std::pair(x.tableOrder, x.id) < std::pair(y.tableOrder, y.id);
  }));
  for (std::int64_t batch : {1, 7, 50, 666, 5000}) {
    std::vector<Mailbox> read;
    for (std::int64_t pos = 0;; pos += batch) {
      auto rows = db->MailboxBatch(a, pos, batch);
      if (rows.empty()) break;
      read.insert(read.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(Aliases(read), Aliases(whole)) << "batch " << batch;
  }
}

TEST_F(OrgDbBatchTest, InterleavedServersAndRandomPositions) {
  auto wholeA = db->Mailboxes(a);
  auto wholeB = db->Mailboxes(b);
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    bool onA = rng() % 2;
    const auto& whole = onA ? wholeA : wholeB;
    std::int64_t pos = rng() % (whole.size() + 10);
    std::int64_t limit = 1 + rng() % 60;
    auto rows = db->MailboxBatch(onA ? a : b, pos, limit);
    std::vector<Mailbox> expected;
    for (std::int64_t k = pos; k < pos + limit && k < static_cast<std::int64_t>(whole.size()); ++k)
      expected.push_back(whole[k]);
    ASSERT_EQ(Aliases(rows), Aliases(expected)) << "pos " << pos << " limit " << limit;
  }
}

TEST_F(OrgDbBatchTest, WritesBetweenBatchesAreSeen) {
  auto first = db->MailboxBatch(a, 0, 10);
  Mailbox m;
  m.serverId = a;
  m.tableOrder = -1;  // sorts first
  m.alias = "newcomer";
  db->AddMailbox(m);
  auto again = db->MailboxBatch(a, 0, 1);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].alias, "newcomer");
  EXPECT_EQ(db->MailboxBatch(a, 10, 1)[0].alias, first[9].alias);
}

TEST_F(OrgDbBatchTest, EdgesOfTheTable) {
  EXPECT_TRUE(db->MailboxBatch(a, 0, 0).empty());
  EXPECT_TRUE(db->MailboxBatch(a, -1, 5).empty());
  EXPECT_TRUE(db->MailboxBatch(a, db->CountMailboxes(a), 5).empty());
  EXPECT_TRUE(db->MailboxBatch(999, 0, 5).empty());
  EXPECT_EQ(db->MailboxBatch(a, db->CountMailboxes(a) - 2, 5).size(), 2u);
}

// The table window serves the mailbox table's columns from one text buffer;
// it must give every value of the full read, absent ones absent and texts
// byte for byte, in any mix with the other batched read.
TEST_F(OrgDbBatchTest, TableWindowsCarryEveryColumnOfTheFullRead) {
  Server s;
  s.siteId = db->Sites()[0].id;
  s.name = "SRV03";
  s.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV03";
  const std::int64_t c = db->AddServer(s);
  db->Begin();
  for (int i = 0; i < 300; ++i) {
    Mailbox m;
    m.serverId = c;
    m.tableOrder = i % 7;
    m.alias = "box" + std::to_string(i);
    if (i % 5 != 0) m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=box" + std::to_string(i);
    if (i % 4 != 1)
      m.displayName = i % 9 == 0 ? std::string() : "Box \xff\xfe " + std::to_string(i);
    if (i == 17) m.displayName = std::string(10000, 'n');
    if (i % 3 != 2) m.ntUserName = "BOX" + std::to_string(i);
    if (i % 6 != 3) m.messageSize = (std::int64_t{5} << 32) + i;
    if (i % 8 != 4) m.contentCount = -i;
    if (i % 10 != 5) m.assocContentCount = i;
    if (i % 11 != 6) m.lastLogonTime = 0xFFFFFFFFFFFFFFF0ull - i;
    if (i % 12 != 7) m.lastLogoffTime = 1000u + i;
    if (i % 13 != 8) m.storageLimit = 0x80000000u | i;
    db->AddMailbox(m);
  }
  db->Commit();
  const auto whole = db->Mailboxes(c);
  ASSERT_EQ(whole.size(), 300u);
  auto text = [](const MailboxWindow& w, const std::optional<MailboxWindow::Text>& t) {
    return t ? std::optional<std::string>(std::string(w[*t])) : std::nullopt;
  };
  std::size_t seen = 0;
  for (std::int64_t pos = 0;; pos += 64) {
    // Another read in between must not disturb where the window continues.
    if (pos == 128) {
      ASSERT_EQ(db->MailboxBatch(c, 0, 3).size(), 3u);
    }
    const auto w = db->MailboxTableWindow(c, pos, 64);
    if (w.rows.empty()) break;
    for (const auto& r : w.rows) {
      const Mailbox& m = whole[seen++];
      SCOPED_TRACE(m.alias);
      EXPECT_EQ(r.id, m.id);
      EXPECT_EQ(r.tableOrder, m.tableOrder);
      EXPECT_EQ(text(w, r.emailAddress), m.emailAddress);
      EXPECT_EQ(text(w, r.displayName), m.displayName);
      EXPECT_EQ(text(w, r.ntUserName), m.ntUserName);
      EXPECT_EQ(r.messageSize, m.messageSize);
      EXPECT_EQ(r.contentCount, m.contentCount);
      EXPECT_EQ(r.assocContentCount, m.assocContentCount);
      EXPECT_EQ(r.lastLogonTime, m.lastLogonTime);
      EXPECT_EQ(r.lastLogoffTime, m.lastLogoffTime);
      EXPECT_EQ(r.storageLimit, m.storageLimit);
    }
  }
  EXPECT_EQ(seen, whole.size());
  EXPECT_TRUE(db->MailboxTableWindow(c, 300, 10).rows.empty());
  EXPECT_TRUE(db->MailboxTableWindow(c, 0, 0).rows.empty());
  EXPECT_EQ(db->MailboxTableWindow(c, 295, 10).rows.size(), 5u);
}

class MessageBatchTest : public OrgDbBatchTest {
 protected:
  void SetUp() override {
    OrgDbBatchTest::SetUp();
    mailbox = db->Mailboxes(a)[0].id;
    top = db->AddFolder({0, mailbox, std::nullopt, 0, "Top", "", true, 0, 0});
    stored = db->AddFolder({0, mailbox, top, 0, "Inbox", "/Inbox", false, 0, 0});
    generated = db->AddFolder({0, mailbox, top, 1, "Archive", "/Archive", false, 0, 0});
  }
  std::int64_t mailbox = 0, top = 0, stored = 0, generated = 0;
};

TEST_F(MessageBatchTest, StoredMessagesBySubmitTimeAndNaturalOrder) {
  // Submit times in scrambled order, some absent, some beyond 2^63.
  std::vector<std::optional<std::uint64_t>> times = {500,
                                                     std::nullopt,
                                                     0x8000'0000'0000'0005ull,
                                                     3,
                                                     0xFFFF'FFFF'FFFF'FFFFull,
                                                     std::nullopt,
                                                     0,
                                                     500,
                                                     7};
  db->Begin();
  for (std::size_t i = 0; i < times.size(); ++i)
    db->AddMessage({0, stored, "m" + std::to_string(i), static_cast<std::uint32_t>(i), false,
                    std::nullopt, times[i]});
  db->Commit();
  auto natural = db->MessageBatch(stored, 0, 100, false);
  ASSERT_EQ(natural.size(), times.size());
  for (std::size_t i = 0; i < times.size(); ++i)
    EXPECT_EQ(natural[i].subject, "m" + std::to_string(i));

  std::vector<std::string> expected = {"m1", "m5", "m6", "m3", "m8", "m0", "m7", "m2", "m4"};
  for (std::int64_t batch : {1, 2, 4, 100}) {
    std::vector<std::string> got;
    for (std::int64_t pos = 0;; pos += batch) {
      auto rows = db->MessageBatch(stored, pos, batch, true);
      if (rows.empty()) break;
      for (const auto& m : rows) got.push_back(*m.subject);
    }
    EXPECT_EQ(got, expected) << "batch " << batch;
  }
  // A seek into the middle, then continuing from there.
  EXPECT_EQ(*db->MessageBatch(stored, 4, 1, true)[0].subject, "m8");
  EXPECT_EQ(*db->MessageBatch(stored, 5, 1, true)[0].subject, "m0");
  EXPECT_EQ(*db->MessageBatch(stored, 2, 1, false)[0].subject, "m2");
}

TEST_F(MessageBatchTest, GeneratedMessagesAreDerivedConsistently) {
  GeneratedMessages g;
  g.seed = 99;
  g.count = 5000;
  g.medianSize = 8000;
  g.firstSubmitTime = 133'000'000'000'000'000ull;
  g.span = 365ull * 864000000000ull;
  db->SetGeneratedMessages(generated, g);
  EXPECT_EQ(db->GeneratedMessagesOf(generated)->count, 5000);
  EXPECT_FALSE(db->GeneratedMessagesOf(stored));
  EXPECT_EQ(db->CountMessages(generated), 5000);
  auto folder = db->FolderById(generated);
  EXPECT_EQ(folder->contentCount, 5000);

  std::vector<Message> all;
  for (std::int64_t pos = 0;; pos += 50) {
    auto rows = db->MessageBatch(generated, pos, 50, true);
    if (rows.empty()) break;
    all.insert(all.end(), rows.begin(), rows.end());
  }
  ASSERT_EQ(all.size(), 5000u);
  std::uint64_t total = 0;
  int withAttachment = 0, withoutSubject = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    total += all[i].size;
    withAttachment += all[i].hasAttachment;
    withoutSubject += !all[i].subject;
    ASSERT_TRUE(all[i].submitTime);
    if (i > 0) {
      ASSERT_LT(*all[i - 1].submitTime, *all[i].submitTime);
    }
    ASSERT_GE(*all[i].submitTime, g.firstSubmitTime);
    ASSERT_LT(*all[i].submitTime, g.firstSubmitTime + g.span);
    EXPECT_LT(all[i].id, 0);
  }
  EXPECT_EQ(total, folder->messageSize);
  EXPECT_GT(withAttachment, 500);
  EXPECT_LT(withAttachment, 1500);
  EXPECT_LT(withoutSubject, 100);
  // Random access gives the same message as sequential reading.
  auto one = db->MessageBatch(generated, 3210, 1, false);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].subject, all[3210].subject);
  EXPECT_EQ(one[0].size, all[3210].size);
  EXPECT_EQ(one[0].id, all[3210].id);

  // Another seed gives other messages.
  GeneratedMessages other = g;
  other.seed = 100;
  EXPECT_NE(GeneratedTotalSize(other), GeneratedTotalSize(g));
}

TEST_F(MessageBatchTest, StoredAndGeneratedDoNotMix) {
  GeneratedMessages g;
  g.count = 3;
  db->SetGeneratedMessages(generated, g);
  EXPECT_THROW(db->AddMessage({0, generated, "x", 1, false, std::nullopt, std::nullopt}),
               OrgDbError);
  db->AddMessage({0, stored, "x", 1, false, std::nullopt, std::nullopt});
  EXPECT_THROW(db->SetGeneratedMessages(stored, g), OrgDbError);
  EXPECT_THROW(db->SetGeneratedMessages(999, g), OrgDbError);
}

TEST_F(MessageBatchTest, RecomputeKeepsGeneratedTotals) {
  GeneratedMessages g;
  g.count = 40;
  g.seed = 5;
  db->SetGeneratedMessages(generated, g);
  db->AddMessage({0, stored, "x", 1000, false, std::nullopt, std::nullopt});
  db->RecomputeTotals();
  EXPECT_EQ(db->FolderById(generated)->contentCount, 40);
  EXPECT_EQ(db->FolderById(generated)->messageSize, GeneratedTotalSize(g));
  EXPECT_EQ(db->FolderById(stored)->messageSize, 1000u);
}

TEST(GeneratedMessagesTest, LargeFoldersStayAscendingAndCheap) {
  GeneratedMessages g;
  g.seed = 1;
  g.count = 200000;
  g.span = 100000;  // fewer 100-ns units than messages: still strictly ascending
  std::uint64_t previous = 0;
  for (std::int32_t i = 0; i < g.count; i += 997) {
    auto m = DeriveGeneratedMessage(1, g, i);
    ASSERT_TRUE(m.submitTime);
    if (i > 0) {
      ASSERT_GT(*m.submitTime, previous);
    }
    previous = *m.submitTime;
  }
  auto last = DeriveGeneratedMessage(1, g, g.count - 1);
  auto before = DeriveGeneratedMessage(1, g, g.count - 2);
  EXPECT_GT(*last.submitTime, *before.submitTime);
}

}  // namespace
}  // namespace orgdb
