// The mailbox list: the comparison of each column's key, the sort with its
// direction rules and header marks, and the owner-data model's texts.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <set>

#include "AnsiText.h"
#include "LocaleSettings.h"
#include "MAPIDateUtils.h"
#include "MailboxColumns.h"
#include "MailboxCompare.h"
#include "MailboxListModel.h"
#include "RecordingDialogs.h"
#include "unMain.h"

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

class ListModel : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"}); }
  void TearDown() override { platform::ResetLocaleForTesting(); }
};

TEST_F(ListModel, FormatsEachColumnOnDemand) {
  acTableContent r;
  r.displayName = "Smith, John";
  r.ntUserName = "CORP\\jsmith";
  r.messageSize = 1288490189;
  r.contentCount = 12345;
  r.assocContentCount = 2;
  r.storageLimitInformation = "Issue Warning";
  r.lastLogonTime = mapi::EncodeDateTime(2006, 3, 1, 13, 5, 9, 0);
  r.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  const char* expected[9] = {"Smith, John",
                             "CORP\\jsmith",
                             "1,258,291.2",
                             "12,345",
                             "2",
                             "Issue Warning",
                             "03/01/2006 13:05:09",
                             "",
                             "/o=Org/ou=Site/cn=Recipients/cn=jsmith"};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(core::MailboxCellText(r, c), expected[c]) << "column " << c;
  r.lastLogoffTime = mapi::EncodeDate(2006, 3, 2);
  EXPECT_EQ(core::MailboxCellText(r, 7), "03/02/2006") << "midnight shows the date alone";
}

TEST_F(ListModel, RowsPastTheRecordsStayBlankAndTextsAreWesternCodePage) {
  core::TMailboxList list;
  list.push_back(Rec("\xC4rger\r\nline two", 1536));
  gui::TMailboxListModel model(&list, nullptr);
  model.SetItemCount(3);
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnCount(), 9);
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(),
            QString::fromUtf8("\xC3\x84rger\r\nline two"));
  EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("1.5"));
  EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), QString());
  list.clear();
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QString())
      << "records freed before the count is reset leave blank rows";
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
            QStringLiteral("Total Message Size (Kb)"));
  EXPECT_TRUE(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() &
              Qt::AlignRight);
  EXPECT_TRUE(model.data(model.index(0, 8), Qt::TextAlignmentRole).value<Qt::Alignment>() &
              Qt::AlignLeft);
}

TEST(AnsiText, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(gui::ToAnsi(gui::FromAnsi(all)), all);
  EXPECT_EQ(gui::FromAnsi("\x80"), QString(QChar(0x20AC)));
  EXPECT_EQ(gui::ToAnsi(QString(QChar(0x4E00))), "?") << "a character the code page lacks";
}

// Header clicks on the window, without a session.
class ColumnClick : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::SortColumn = 0;
    gui::SortAscending = true;
  }
  void Fill(std::initializer_list<std::pair<const char*, std::int64_t>> rows) {
    for (const auto& [name, size] : rows) window.Mailboxes().push_back(Rec(name, size));
    window.ListModel()->SetItemCount(static_cast<int>(window.Mailboxes().size()));
  }
  void ClickHeader(int column) {
    emit window.ListViewRecipients->horizontalHeader()->sectionClicked(column);
  }
  std::vector<int> Images() const {
    std::vector<int> images;
    for (int c = 0; c < 9; ++c) images.push_back(window.ListModel()->HeaderImage(c));
    return images;
  }

  testsupport::RecordingDialogs dialogs;
  gui::TfrmMainExecute window{dialogs};
};

TEST_F(ColumnClick, FirstClickOnMailboxSortsDescendingThenAscending) {
  Fill({{"beta", 1}, {"alpha", 2}, {"Zeta", 3}});
  ClickHeader(0);
  EXPECT_EQ(Names(window.Mailboxes()), (std::vector<std::string>{"Zeta", "beta", "alpha"}));
  EXPECT_FALSE(gui::SortAscending);
  EXPECT_EQ(Images(), (std::vector<int>{1, -1, -1, -1, -1, -1, -1, -1, -1}));
  ClickHeader(0);
  EXPECT_EQ(Names(window.Mailboxes()), (std::vector<std::string>{"alpha", "beta", "Zeta"}));
  EXPECT_TRUE(gui::SortAscending);
  EXPECT_EQ(Images()[0], 0);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ColumnClick, AnotherColumnStartsDescendingAndMovesTheMark) {
  Fill({{"one", kGiB}, {"five", 5 * kGiB}, {"half", kGiB / 2}});
  ClickHeader(0);
  ClickHeader(0);  // column 0 now ascending
  ClickHeader(2);
  EXPECT_EQ(gui::SortColumn, 2);
  EXPECT_FALSE(gui::SortAscending);
  EXPECT_EQ(Names(window.Mailboxes()), (std::vector<std::string>{"five", "one", "half"}))
      << "largest first";
  EXPECT_EQ(Images(), (std::vector<int>{-1, -1, 1, -1, -1, -1, -1, -1, -1}));
}

TEST_F(ColumnClick, EmptyListChangesTheStateButSetsNoImage) {
  ClickHeader(3);
  EXPECT_EQ(gui::SortColumn, 3);
  EXPECT_FALSE(gui::SortAscending);
  EXPECT_EQ(Images(), std::vector<int>(9, -1));
  ClickHeader(3);
  EXPECT_TRUE(gui::SortAscending);
}

TEST_F(ColumnClick, SelectionStaysOnTheRowPosition) {
  Fill({{"a", 1}, {"b", 2}, {"c", 3}});
  window.ListViewRecipients->selectRow(0);
  ClickHeader(0);  // descending: c, b, a
  const auto rows = window.ListViewRecipients->selectionModel()->selectedRows();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].row(), 0);
  EXPECT_EQ(window.ListModel()->data(rows[0], Qt::DisplayRole).toString(), QStringLiteral("c"));
}

TEST_F(ColumnClick, SortStateOutlivesTheWindow) {
  ClickHeader(5);
  testsupport::RecordingDialogs other;
  gui::TfrmMainExecute second(other);
  EXPECT_EQ(gui::SortColumn, 5) << "process-wide, not per window";
}

}  // namespace
