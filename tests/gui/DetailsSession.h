// A logged-on main window over the standard organisation, from which the
// details window is opened and driven: the fixture of the details tests.
#pragma once

#include <QTableView>
#include <QTreeWidget>
#include <functional>

#include "GuiSession.h"
#include "uMBDetails.h"

namespace guitest {

class DetailsSession : public GuiSession {
 protected:
  void SetUp() override {
    GuiSession::SetUp();
    gui::MessageSortColumn = 0;
    gui::MessageSortAscending = true;
    machine.BuildStandard();
  }
  // Logs the main window on; faults must be in the database before.
  void LogOn() {
    Open();
    ClickLogOn();
    ASSERT_TRUE(window->LoggedOn());
    ASSERT_EQ(window->Mailboxes().size(), 3u);
    dialogs.Clear();
    before = machine.BoundAccounting();
  }
  // Double-clicks row `row` and runs `inside` while the window is shown.
  void OpenByDoubleClick(int row, std::function<void(gui::TfmMailboxDetails&)> inside) {
    window->ListViewRecipients->selectRow(row);
    dialogs.modal.push_back([inside](QDialog& d) {
      inside(dynamic_cast<gui::TfmMailboxDetails&>(d));
      return int(QDialog::Accepted);
    });
    window->ListViewRecipientsDblClick();
  }
  // Selects `node` and clicks it, as a mouse click does.
  static void Click(gui::TfmMailboxDetails& w, QTreeWidgetItem* node) {
    w.TreeViewMailboxes->setCurrentItem(node);
    w.TreeViewMailboxesClick();
  }
  static QTreeWidgetItem* Find(gui::TfmMailboxDetails& w, const char* name) {
    const auto found = w.TreeViewMailboxes->findItems(QString::fromLatin1(name),
                                                      Qt::MatchRecursive | Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }
  // After the window closed: only the main window's session remains.
  void ExpectReleased(const char* why = "") {
    const TabrixSimAccounting now = machine.BoundAccounting();
    EXPECT_EQ(now.liveObjects, before.liveObjects) << why;
    EXPECT_EQ(now.outstandingBuffers, before.outstandingBuffers) << why;
    EXPECT_EQ(now.openSessions, before.openSessions) << why;
    EXPECT_EQ(now.initializeCount, before.initializeCount) << why;
  }

  TabrixSimAccounting before{};
};

}  // namespace guitest
