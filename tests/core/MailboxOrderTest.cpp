// The order of the mailbox list's columns: each column's key, how two
// records compare on it, and the sort in both directions.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MAPIDateUtils.h"
#include "MailboxCompare.h"

namespace {

using core::acTableContent;

constexpr double kMs = 1.0 / 86400000.0;
constexpr std::int64_t kGiB = 1024ll * 1024 * 1024;

std::unique_ptr<acTableContent> Rec(std::string name, std::int64_t size = 0,
                                    mapi::OptionalDateTime logon = std::nullopt) {
  auto r = std::make_unique<acTableContent>();
  r->displayName = std::move(name);
  r->messageSize = size;
  r->lastLogonTime = logon;
  return r;
}

std::vector<std::string> Names(const core::TMailboxList& list) {
  std::vector<std::string> names;
  for (const auto& r : list) names.push_back(r->displayName);
  return names;
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

TEST(CompareTextKey, FoldsOnlyAsciiLettersAndComparesBytesUnsigned) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
    const char* why;
  } cases[] = {
      {"alpha", "ALPHA", 0, "a to z fold to A to Z"},
      {"abc", "abd", -1, "first difference decides"},
      {"ab", "abc", -1, "a prefix is the smaller"},
      {"", "a", -1, "the empty text is a prefix of every text"},
      {"Zeta", "\xC4rger", -1, "Ä is byte 196, above every ASCII letter"},
      {"a_", "az", 1, "z folds to Z (90), below _ (95)"},
      {"\xE4", "\xC4", 1, "letters outside a to z are not folded"},
      {"Smith, John", "smith, john", 0, "punctuation compares by its code"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sign(core::CompareTextKey(c.a, c.b)), c.sign) << c.why;
    EXPECT_EQ(Sign(core::CompareTextKey(c.b, c.a)), -c.sign) << c.why << " (reversed)";
  }
}

TEST(CompareMailboxes, EachColumnUsesItsKey) {
  acTableContent a, b;
  a.ntUserName = "CORP\\a";
  b.ntUserName = "corp\\B";
  a.messageSize = 5 * kGiB;
  b.messageSize = 1 * kGiB;
  a.contentCount = 9;
  b.contentCount = 10;
  a.assocContentCount = -1;
  b.assocContentCount = 0;
  a.storageLimitInformation = "No Check";
  b.storageLimitInformation = "Below Limit";
  a.emailAddress = "/o=Org/cn=b";
  b.emailAddress = "/O=ORG/CN=A";
  EXPECT_LT(core::CompareMailboxes(a, b, 1), 0);
  EXPECT_GT(core::CompareMailboxes(a, b, 2), 0) << "5 GB above 1 GB: no 32-bit truncation";
  EXPECT_LT(core::CompareMailboxes(a, b, 3), 0) << "numbers, not their texts (9 < 10)";
  EXPECT_LT(core::CompareMailboxes(a, b, 4), 0) << "signed";
  EXPECT_GT(core::CompareMailboxes(a, b, 5), 0) << "the storage text, not its value";
  EXPECT_GT(core::CompareMailboxes(a, b, 8), 0);
  EXPECT_EQ(core::CompareMailboxes(a, b, 9), 0);
}

TEST(CompareMailboxes, TimesTreatAbsentAsEarliestAndAMillisecondAsEqual) {
  const double t = mapi::EncodeDateTime(2006, 3, 1, 12, 0, 0, 0);
  struct Case {
    mapi::OptionalDateTime a;
    mapi::OptionalDateTime b;
    int sign;
    const char* why;
  } cases[] = {
      {std::nullopt, t, -1, "a mailbox that never logged on comes first"},
      {std::nullopt, std::nullopt, 0, "two absent times"},
      {std::nullopt, 0.0, 0, "absent counts as 0"},
      {t, t + 0.4 * kMs, 0, "less than a millisecond apart"},
      {t, t + 1.5 * kMs, -1, "more than a millisecond apart"},
      {t + 1.0, t, 1, "a day later"},
  };
  for (const auto& c : cases) {
    acTableContent a, b;
    a.lastLogonTime = a.lastLogoffTime = c.a;
    b.lastLogonTime = b.lastLogoffTime = c.b;
    EXPECT_EQ(Sign(core::CompareMailboxes(a, b, 6)), c.sign) << c.why;
    EXPECT_EQ(Sign(core::CompareMailboxes(a, b, 7)), c.sign) << c.why;
  }
}

TEST(SortMailboxes, AscendingAndDescending) {
  core::TMailboxList list;
  for (const char* n : {"beta", "Zeta", "ALPHA", "\xC4rger", "gamma"}) list.push_back(Rec(n));
  core::SortMailboxes(list, 0, true);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"ALPHA", "beta", "gamma", "Zeta", "\xC4rger"}));
  core::SortMailboxes(list, 0, false);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"\xC4rger", "Zeta", "gamma", "beta", "ALPHA"}));
}

TEST(SortMailboxes, StaysInsideTheListWhateverTheTimesAre) {
  // Times a fraction of a millisecond apart chain into an intransitive
  // order; the sort must still finish with every record present.
  core::TMailboxList list;
  const double t = mapi::EncodeDateTime(2006, 3, 1, 12, 0, 0, 0);
  for (int i = 0; i < 2000; ++i)
    list.push_back(Rec("m" + std::to_string(i), 0,
                       i % 7 == 0 ? mapi::OptionalDateTime() : t + ((i * 37) % 101) * 0.6 * kMs));
  core::SortMailboxes(list, 6, true);
  ASSERT_EQ(list.size(), 2000u);
  std::set<std::string> names;
  for (const auto& r : list) names.insert(r->displayName);
  EXPECT_EQ(names.size(), 2000u);
  // The absent times (0) still come before every real time.
  for (std::size_t i = 0; i < 286; ++i) EXPECT_FALSE(list[i]->lastLogonTime) << i;
}

TEST(SortMailboxes, AgreesWithTheComparisonOnEveryKeyColumn) {
  // Texts that share long prefixes (one is the shared prefix itself), mixed
  // case, bytes above 127, empty texts; numbers of both signs.
  const char* texts[] = {"/o=Org/cn=",     "/o=Org/cn=b",  "/O=ORG/CN=A",
                         "/o=Org/cn=\xC4", "/o=Org/cn=_",  "/o=Org/cn=z",
                         "/o=Org/cn=Zz",   "/o=org/cn=zZ", "/o=Org/cn=a1"};
  core::TMailboxList list;
  std::uint64_t seed = 12345;
  const auto next = [&seed] {
    return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 33;
  };
  for (int i = 0; i < 500; ++i) {
    auto r = std::make_unique<acTableContent>();
    r->displayName = texts[next() % 9];
    r->ntUserName = i % 7 == 0 ? "" : std::string(texts[next() % 9]).substr(next() % 5);
    r->emailAddress = texts[next() % 9];
    r->storageLimitInformation = texts[next() % 9] + std::to_string(next() % 3);
    r->messageSize = static_cast<std::int64_t>(next() % 20) * kGiB - 3 * kGiB;
    r->contentCount = static_cast<std::int64_t>(next() % 50) - 25;
    r->assocContentCount = static_cast<std::int64_t>(next() % 5);
    list.push_back(std::move(r));
  }
  for (int column : {0, 1, 2, 3, 4, 5, 8}) {
    for (bool ascending : {true, false}) {
      core::SortMailboxes(list, column, ascending);
      ASSERT_EQ(list.size(), 500u);
      for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        const int c = core::CompareMailboxes(*list[i], *list[i + 1], column);
        EXPECT_TRUE(ascending ? c <= 0 : c >= 0) << "column " << column << " row " << i;
      }
    }
  }
}

}  // namespace
