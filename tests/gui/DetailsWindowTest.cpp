// The details window and the selection dialog, opened from a logged-on
// main window over the MAPI stand-in: what only the window shows (tree,
// status bar, list, header marks, boxes through the dialog seam) and that
// closing it leaves the stand-in as the main window alone holds it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "DetailsSession.h"
#include "FaultCaseNames.h"
#include "MessageListModel.h"
#include "uMBDetails.h"
#include "unUSDS.h"

namespace {

using testsupport::Kind;

const std::string kServerDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";

class DetailsWindow : public guitest::DetailsSession {
 protected:
  static std::vector<std::string> Panels(gui::TfmMailboxDetails& w) {
    std::vector<std::string> texts;
    for (int i = 0; i < w.StatusBar1->PanelCount(); ++i)
      texts.push_back(w.StatusBar1->PanelText(i).toStdString());
    return texts;
  }
  static std::string Cells(gui::TfmMailboxDetails& w, int column) {
    std::string cells;
    auto* model = w.lvMailbox->model();
    for (int r = 0; r < model->rowCount(); ++r)
      cells += (r ? "|" : "") + model->index(r, column).data().toString().toStdString();
    return cells;
  }
};

TEST_F(DetailsWindow, DoubleClickBuildsTheTreeOfTheSelectedMailbox) {
  LogOn();
  bool shown = false;
  OpenByDoubleClick(1, [&](gui::TfmMailboxDetails& w) {
    shown = true;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Mailbox - Details"));
    ASSERT_EQ(w.TreeViewMailboxes->topLevelItemCount(), 1);
    QTreeWidgetItem* mailbox = w.TreeViewMailboxes->topLevelItem(0);
    EXPECT_EQ(mailbox->text(0), QStringLiteral("Smith, John"));
    ASSERT_EQ(mailbox->childCount(), 3);
    EXPECT_EQ(mailbox->child(0)->child(0)->text(0), QStringLiteral("Projects"));
    EXPECT_TRUE(mailbox->isExpanded());
    EXPECT_TRUE(mailbox->child(0)->isExpanded());
    EXPECT_EQ(gui::TfmMailboxDetails::NodeImage(mailbox), gui::kMailboxImage);
    EXPECT_EQ(gui::TfmMailboxDetails::NodeImage(mailbox->child(0)), gui::kFolderImage);
    // Until the first folder load the status bar has no panels.
    EXPECT_EQ(w.StatusBar1->PanelCount(), 0);
    EXPECT_TRUE(w.sbPrint->isEnabled());
    // Clicking the same node again reads nothing.
    Click(w, mailbox);
    EXPECT_EQ(mailbox->childCount(), 3);
  });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectReleased();
}

TEST_F(DetailsWindow, FolderContentsAndStatusBar) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    Click(w, Find(w, "Inbox"));
    EXPECT_EQ(Panels(w), (std::vector<std::string>{"3 Messages", "Total Message Size: 3.5 K"}));
    EXPECT_EQ(w.StatusBar1->PanelWidth(0), 130);
    EXPECT_EQ(Cells(w, 2), "1.0K|2.0K|0.5K");
    EXPECT_FALSE(w.Busy());
    Click(w, Find(w, "Deleted Items"));
    EXPECT_EQ(Panels(w), (std::vector<std::string>{"0 Messages", "Total Message Size: 0.0 K"}));
    EXPECT_EQ(w.lvMailbox->model()->rowCount(), 0);
    Click(w, Find(w, "Sent Items"));
    EXPECT_EQ(Cells(w, 1), "");
    EXPECT_EQ(Cells(w, 3), "02/01/2006 13:01:00");  // the fifth message, an hour apart
  });
  ExpectReleased();
}

TEST_F(DetailsWindow, KeyboardMovesReadNothingUntilTheNextMouseClick) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    w.TreeViewMailboxes->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(w.TreeViewMailboxes, &down);
    EXPECT_EQ(w.TreeViewMailboxes->currentItem(), Find(w, "Inbox"));
    EXPECT_EQ(w.StatusBar1->PanelCount(), 0);  // nothing was read
    const QPoint below(5, w.TreeViewMailboxes->viewport()->height() - 2);
    QMouseEvent release(QEvent::MouseButtonRelease, below,
                        w.TreeViewMailboxes->viewport()->mapToGlobal(below), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.TreeViewMailboxes->viewport(), &release);
    EXPECT_EQ(Panels(w), (std::vector<std::string>{"3 Messages", "Total Message Size: 3.5 K"}));
  });
  ExpectReleased();
}

TEST_F(DetailsWindow, MessageListMovesByWholeRows) {
  struct Move {
    Qt::Key key;
    int from;
    int to;
  } const moves[] = {
      {Qt::Key_Down, 0, 1}, {Qt::Key_Up, 2, 1},   {Qt::Key_PageDown, 0, 2}, {Qt::Key_PageUp, 2, 0},
      {Qt::Key_End, 0, 2},  {Qt::Key_Home, 2, 0}, {Qt::Key_Down, 2, 2},     {Qt::Key_Return, 1, 1},
  };
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    w.show();  // a page is as high as the shown list
    Click(w, Find(w, "Inbox"));
    ASSERT_EQ(w.lvMailbox->model()->rowCount(), 3);
    EXPECT_FALSE(w.lvMailbox->tabKeyNavigation());
    for (const Move& m : moves) {
      w.lvMailbox->setCurrentIndex(w.lvMailbox->model()->index(m.from, 1));
      QTest::keyClick(w.lvMailbox, m.key);
      EXPECT_EQ(w.lvMailbox->currentIndex().row(), m.to) << m.key;
      const auto selected = w.lvMailbox->selectionModel()->selectedRows();
      ASSERT_EQ(selected.size(), 1) << m.key;
      EXPECT_EQ(selected.first().row(), m.to) << m.key;
    }
  });
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectReleased();
}

TEST_F(DetailsWindow, HeaderClicksSortAndMark) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    auto* model = w.ListModel();
    // With an empty list a click changes the state but sets no mark.
    w.lvMailboxColumnClick(1);
    EXPECT_EQ(gui::MessageSortColumn, 1);
    EXPECT_FALSE(gui::MessageSortAscending);
    EXPECT_EQ(model->HeaderImage(1), -1);
    gui::MessageSortColumn = 0;
    gui::MessageSortAscending = true;

    Click(w, Find(w, "Inbox"));
    // The first click of the program on the attachment column flips the
    // initial ascending state: rows without attachments first.
    w.lvMailboxColumnClick(0);
    EXPECT_EQ(Cells(w, 2), "2.0K|0.5K|1.0K");
    EXPECT_EQ(model->HeaderImage(0), 8);  // the paper clip, never an arrow
    w.lvMailboxColumnClick(2);
    EXPECT_EQ(Cells(w, 2), "2.0K|1.0K|0.5K");
    EXPECT_EQ(model->HeaderImage(2), 10);
    w.lvMailboxColumnClick(2);
    EXPECT_EQ(Cells(w, 2), "0.5K|1.0K|2.0K");
    EXPECT_EQ(model->HeaderImage(2), 9);
    w.lvMailboxColumnClick(3);
    EXPECT_EQ(model->HeaderImage(2), -1);
    EXPECT_EQ(model->HeaderImage(3), 10);
    // Another folder's rows come in the server's order; the mark stays.
    Click(w, Find(w, "Projects"));
    Click(w, Find(w, "Inbox"));
    EXPECT_EQ(Cells(w, 2), "1.0K|2.0K|0.5K");
    EXPECT_EQ(model->HeaderImage(3), 10);
  });
  // The state is shared by every details window for the life of the program.
  EXPECT_EQ(gui::MessageSortColumn, 3);
  ExpectReleased();
}

TEST_F(DetailsWindow, StatisticsAreCollectedPerFolder) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    EXPECT_FALSE(w.FolderStatistics().has_value());
    w.CollectFolderStatistics(w.TreeViewMailboxes->topLevelItem(0));
    ASSERT_TRUE(w.FolderStatistics().has_value());
    ASSERT_EQ(w.FolderStatistics()->size(), 4u);
    EXPECT_EQ(w.FolderStatistics()->front().mailbox, "Administrator");
  });
  ExpectReleased();
}

// One row per line of the failure tables, through the window: the box and
// its exact text, and whether the window was shown.
struct WindowFailure {
  const char* why;
  const char* call;
  HRESULT hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  std::optional<std::uint32_t> flags;
  const char* folder;  // clicked after the window opened, or null
  Kind box;
  const char* text;
  bool shown;
};

// One row per case; kept one line each for reading across.
// clang-format off
const WindowFailure kWindowFailures[] = {
    // The details window opens the private store with MDB_NO_DIALOG, the
    // main window without.
    {"private store, 0x800B0001", "IMAPISession::OpenMsgStore", EDK_E_NOT_FOUND, {}, {},
     MDB_NO_DIALOG, nullptr, Kind::Error, "Can't  open \"Exchange Private Store\"", false},
    {"private store, E_FAIL", "IMAPISession::OpenMsgStore", E_FAIL, {}, {},
     MDB_NO_DIALOG, nullptr, Kind::Error, "Can't  open \"Exchange Private Store\"", false},
    {"private store, another code: the session's text", "IMAPISession::OpenMsgStore",
     MAPI_E_NO_ACCESS, {}, {}, MDB_NO_DIALOG, nullptr, Kind::Error,
     "MAPI_E_NO_ACCESS\r\nError Code: $80070005", false},
    {"mailbox logon", "IExchangeManageStore::CreateStoreEntryID", MAPI_E_NOT_FOUND, {}, {}, {},
     nullptr, Kind::Plain, "Mailbox Not Available: Error 8004010F", true},
    {"a level's hierarchy table", "IMAPIFolder::GetHierarchyTable", E_FAIL, "Inbox", {}, {},
     nullptr, Kind::Error, "Error", true},
    {"a folder's open in the tree build", "IMAPIFolder::OpenEntry", EDK_E_NOT_FOUND, "folder", 3,
     {}, nullptr, Kind::Error, "Error", true},
    {"contents: folder open", "IMsgStore::OpenEntry", E_FAIL, "folder", 2, {},
     "Inbox", Kind::Error, "Can't  open \"Exchange Private Store\"", true},
    {"contents: the table raises", "IMAPIFolder::GetContentsTable", MAPI_E_NOT_FOUND, {}, {}, {},
     "Inbox", Kind::Error, "OLE error 8004010F", true},
    {"contents: the rows raise", "IMAPITable::QueryRows", E_FAIL, "contents", {}, {},
     "Inbox", Kind::Error, "Unspecified error", true},
};
// clang-format on

class DetailsWindowFailure : public DetailsWindow,
                             public ::testing::WithParamInterface<WindowFailure> {};

TEST_P(DetailsWindowFailure, ShowsTheMessageAndStaysUsable) {
  const WindowFailure& c = GetParam();
  machine.AddFault(c.call, c.hr, c.match, c.nth, c.flags);
  LogOn();
  bool shown = false;
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    shown = true;
    if (c.folder) {
      QTreeWidgetItem* node = Find(w, c.folder);
      ASSERT_NE(node, nullptr);
      Click(w, node);
      EXPECT_FALSE(w.Busy());
      // The status bar is rebuilt whatever happened.
      EXPECT_EQ(w.StatusBar1->PanelCount(), 2);
    }
  });
  EXPECT_EQ(shown, c.shown);
  ASSERT_EQ(dialogs.shown.size(), 1u) << c.why;
  EXPECT_EQ(dialogs.shown[0].kind, c.box);
  EXPECT_EQ(dialogs.shown[0].text, c.text);
  ExpectReleased(c.why);
}

void PrintTo(const WindowFailure& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

INSTANTIATE_TEST_SUITE_P(Row, DetailsWindowFailure, ::testing::ValuesIn(kWindowFailures),
                         testsupport::RowAndCall<WindowFailure>);

// --- The selection dialog and the "Details" button ------------------------

TEST(SelectionDialog, SelectAllRules) {
  gui::TfrmDetails d(nullptr);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Users - Detail"));
  d.Clear();  // unchecking while empty changes nothing
  for (const char* name : {"A", "B", "C"}) d.AddItem(QString::fromLatin1(name));
  d.SetChecked(1, true);
  d.cbSelAll->setChecked(true);
  EXPECT_TRUE(d.Checked(0) && d.Checked(1) && d.Checked(2));
  d.SetChecked(0, false);  // a single untick leaves the box checked
  EXPECT_TRUE(d.cbSelAll->isChecked());
  d.cbSelAll->setChecked(false);  // and the box then clears every tick
  EXPECT_FALSE(d.Checked(0) || d.Checked(1) || d.Checked(2));
  d.SetChecked(2, true);
  d.Clear();
  EXPECT_EQ(d.Count(), 0);
}

TEST(SelectionDialog, ConfirmationText) {
  EXPECT_EQ(gui::DetailsConfirmationText(3),
            "You have selected 3 Mailboxes for detail report.\r\nDo you like to continue?");
}

TEST_F(DetailsWindow, DetailsButtonOpensTheTickedMailboxesInListOrder) {
  LogOn();
  dialogs.modal.push_back([](QDialog& d) {
    auto& s = dynamic_cast<gui::TfrmDetails&>(d);
    EXPECT_EQ(s.Count(), 3);
    s.SetChecked(0, true);
    s.SetChecked(2, true);
    return int(QDialog::Accepted);
  });
  int topLevel = 0;
  QString last;
  dialogs.modal.push_back([&](QDialog& d) {
    auto& w = dynamic_cast<gui::TfmMailboxDetails&>(d);
    topLevel = w.TreeViewMailboxes->topLevelItemCount();
    last = w.TreeViewMailboxes->topLevelItem(1)->text(0);
    // Only the first mailbox is read before the window shows.
    EXPECT_EQ(w.TreeViewMailboxes->topLevelItem(1)->childCount(), 0);
    return int(QDialog::Accepted);
  });
  window->sbUSDClick();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::Question);
  EXPECT_EQ(topLevel, 2);
  EXPECT_EQ(last, QStringLiteral("O'Brien, Mary"));
  ExpectReleased();
}

TEST_F(DetailsWindow, DetailsButtonNoneTickedOrNoOpensNothing) {
  LogOn();
  dialogs.modal.push_back([](QDialog&) { return int(QDialog::Accepted); });
  window->sbUSDClick();
  EXPECT_TRUE(dialogs.shown.empty());  // no question without a tick
  dialogs.modal.push_back([](QDialog& d) {
    dynamic_cast<gui::TfrmDetails&>(d).cbSelAll->setChecked(true);
    return int(QDialog::Accepted);
  });
  dialogs.questionAnswers.push_back(false);
  window->sbUSDClick();
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{gui::DetailsConfirmationText(3)});
  EXPECT_EQ(dialogs.dialogTitles.size(), 2u);  // the two selection dialogs only
  for (const auto& record : window->Mailboxes()) EXPECT_TRUE(record->selected);
  // Cancel leaves every mailbox unselected.
  dialogs.modal.push_back([](QDialog& d) {
    dynamic_cast<gui::TfrmDetails&>(d).cbSelAll->setChecked(true);
    return int(QDialog::Rejected);
  });
  window->sbUSDClick();
  for (const auto& record : window->Mailboxes()) EXPECT_FALSE(record->selected);
  ExpectReleased();
}

}  // namespace
