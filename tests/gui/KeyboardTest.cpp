// The keyboard of the main window over a logged-on session: the mailbox
// list moves by rows, Tab leaves it, Enter opens the details window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "GuiSession.h"
#include "uMBDetails.h"

namespace {

class Keyboard : public guitest::GuiSession {
 protected:
  void SetUp() override {
    GuiSession::SetUp();
    machine.BuildStandard();
    Open();
    ClickLogOn();
    ASSERT_TRUE(window->LoggedOn());
    ASSERT_EQ(window->Mailboxes().size(), 3u);
    dialogs.Clear();
  }
  // Shows the window and gives the list the keyboard focus.
  void FocusList() {
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->ListViewRecipients->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), window->ListViewRecipients);
  }
  int SelectedRow() const {
    const auto rows = window->ListViewRecipients->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }
};

struct RowMove {
  const char* name;
  Qt::Key key;
  int from;
  int to;
};

class ListRowMove : public Keyboard, public ::testing::WithParamInterface<RowMove> {};

TEST_P(ListRowMove, SelectsAWholeRow) {
  const RowMove& move = GetParam();
  FocusList();  // a page is as high as the shown list
  QTableView* list = window->ListViewRecipients;
  list->setCurrentIndex(list->model()->index(move.from, 2));
  QTest::keyClick(list, move.key);
  EXPECT_EQ(list->currentIndex().row(), move.to);
  EXPECT_EQ(SelectedRow(), move.to);
}

const RowMove kRowMoves[] = {
    {"Down", Qt::Key_Down, 0, 1},         {"Up", Qt::Key_Up, 2, 1},
    {"PageDown", Qt::Key_PageDown, 0, 2}, {"PageUp", Qt::Key_PageUp, 2, 0},
    {"Home", Qt::Key_Home, 2, 0},         {"End", Qt::Key_End, 0, 2},
};
INSTANTIATE_TEST_SUITE_P(Key, ListRowMove, ::testing::ValuesIn(kRowMoves),
                         [](const auto& info) { return std::string(info.param.name); });

struct TabKey {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  Qt::Key back;
  Qt::KeyboardModifiers backModifiers;
};

class ListTab : public Keyboard, public ::testing::WithParamInterface<TabKey> {};

TEST_P(ListTab, LeavesTheListAndComesBack) {
  const TabKey& tab = GetParam();
  FocusList();
  QTableView* list = window->ListViewRecipients;
  list->selectRow(1);
  QTest::keyClick(list, tab.key, tab.modifiers);
  QWidget* left = QApplication::focusWidget();
  ASSERT_NE(left, nullptr);
  EXPECT_NE(left, list);
  EXPECT_EQ(list->currentIndex().row(), 1);
  EXPECT_EQ(list->currentIndex().column(), 0);
  QTest::keyClick(left, tab.back, tab.backModifiers);
  EXPECT_EQ(QApplication::focusWidget(), list);
}

const TabKey kTabs[] = {
    {"Tab", Qt::Key_Tab, Qt::NoModifier, Qt::Key_Backtab, Qt::ShiftModifier},
    {"ShiftTab", Qt::Key_Backtab, Qt::ShiftModifier, Qt::Key_Tab, Qt::NoModifier},
    {"CtrlTab", Qt::Key_Tab, Qt::ControlModifier, Qt::Key_Backtab, Qt::ShiftModifier},
    {"CtrlShiftTab", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Tab,
     Qt::NoModifier},
};
INSTANTIATE_TEST_SUITE_P(Key, ListTab, ::testing::ValuesIn(kTabs),
                         [](const auto& info) { return std::string(info.param.name); });

class ListEnter : public Keyboard, public ::testing::WithParamInterface<Qt::Key> {};

TEST_P(ListEnter, OpensTheDetailsOfTheSelectedMailbox) {
  QTableView* list = window->ListViewRecipients;
  list->selectRow(1);
  QString shown;
  dialogs.modal.push_back([&shown](QDialog& d) {
    shown = dynamic_cast<gui::TfmMailboxDetails&>(d).TreeViewMailboxes->topLevelItem(0)->text(0);
    return int(QDialog::Accepted);
  });
  QTest::keyClick(list, GetParam());
  EXPECT_EQ(shown, QStringLiteral("Smith, John"));
  EXPECT_TRUE(dialogs.modal.empty());
}

INSTANTIATE_TEST_SUITE_P(Key, ListEnter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter));

}  // namespace
