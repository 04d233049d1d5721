// The mailbox list: the sort with its direction rules and header marks, and
// the owner-data model's texts.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include "AnsiText.h"
#include "LocaleSettings.h"
#include "MAPIDateUtils.h"
#include "MailboxColumns.h"
#include "MailboxListModel.h"
#include "RecordingDialogs.h"
#include "unMain.h"

namespace {

using core::acTableContent;

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
