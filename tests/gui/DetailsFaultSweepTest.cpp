// A failure injected at every MAPI call the details window makes, first and
// later occurrences: opening, the tree build, contents loads and the
// statistics walk. Whatever fails, nothing crashes, any message shown is one
// of the window's own forms, the window ends idle, and once it is gone the
// stand-in holds exactly what the session alone held before it opened.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <regex>

#include "FaultCaseNames.h"
#include "GuiMachine.h"
#include "MapiPtr.h"
#include "RecordingDialogs.h"
#include "TStatusBar.h"
#include "uMBDetails.h"

namespace {

struct SweepCase {
  const char* call;
  std::optional<std::string> match;
  std::optional<int> nth;
  HRESULT hr;
};

void PrintTo(const SweepCase& c, std::ostream* os) {
  testsupport::PrintFailingCall(c, os);
}

// Every call, with the kind of object it fails on where the main window's
// session would otherwise share it.
const char* const kCalls[][2] = {
    {"IMAPISession::GetMsgStoresTable", nullptr},
    {"HrQueryAllRows", nullptr},
    {"IMAPISession::OpenMsgStore", nullptr},
    {"IMsgStore::QueryInterface", nullptr},
    {"IExchangeManageStore::CreateStoreEntryID", nullptr},
    {"IMAPIProp::GetProps", nullptr},
    {"IMsgStore::OpenEntry", nullptr},
    {"IMsgStore::StoreLogoff", nullptr},
    {"IMAPIFolder::GetHierarchyTable", nullptr},
    {"IMAPIFolder::OpenEntry", nullptr},
    {"IMAPIFolder::GetContentsTable", nullptr},
    {"IMAPITable::GetRowCount", "hierarchy"},
    {"IMAPITable::SetColumns", "hierarchy"},
    {"IMAPITable::QueryRows", "hierarchy"},
    {"IMAPITable::SetColumns", "contents"},
    {"IMAPITable::SortTable", "contents"},
    {"IMAPITable::GetRowCount", "contents"},
    {"IMAPITable::QueryRows", "contents"},
    {"IMAPIProp::GetLastError", nullptr},
    {"IMAPITable::GetLastError", nullptr},
};

std::vector<SweepCase> Cases() {
  std::vector<SweepCase> cases;
  for (const auto& call : kCalls) {
    std::optional<std::string> match;
    if (call[1]) match = call[1];
    // The first occurrence with the plain code, a later one with a code
    // that takes the MAPI error text.
    cases.push_back({call[0], match, 1, E_FAIL});
    cases.push_back({call[0], match, 3, MAPI_E_NO_ACCESS});
  }
  return cases;
}

// The forms a details window message takes.
bool IsDetailsMessage(const std::string& text) {
  static const std::regex forms(
      "Error|Can't  open \"Exchange Private Store\"|Mailbox Not Available: Error [0-9A-F]{8}|"
      "OLE error [0-9A-F]{8}|Unspecified error|Access is denied\\.|"
      "[^]*Error Code: \\$[0-9A-F]{8}[^]*");
  return std::regex_match(text, forms);
}

class DetailsFaultSweep : public ::testing::TestWithParam<SweepCase> {
 protected:
  guitest::GuiMachine machine;
  testsupport::RecordingDialogs dialogs;
};

TEST_P(DetailsFaultSweep, EndsCleanly) {
  const SweepCase& c = GetParam();
  machine.BuildStandard();
  machine.AddFault(c.call, c.hr, c.match, c.nth);
  ASSERT_TRUE(machine.Start("admin"));
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  mapi::ComPtr<IMAPISession> session;
  ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session)), S_OK);
  const TabrixSimAccounting before = machine.BoundAccounting();
  {
    gui::TfmMailboxDetails w(dialogs, nullptr);
    const std::vector<gui::TMailboxPair> mailboxes = {
        {"Administrator", "/o=Org/ou=Site/cn=Recipients/cn=admin"},
        {"Smith, John", "/o=Org/ou=Site/cn=Recipients/cn=jsmith"}};
    if (w.OpenMailboxes(session.get(), "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01",
                        mailboxes)) {
      auto click = [&w](QTreeWidgetItem* node) {
        w.TreeViewMailboxes->setCurrentItem(node);
        w.TreeViewMailboxesClick();
        EXPECT_FALSE(w.Busy());
      };
      QTreeWidgetItem* first = w.TreeViewMailboxes->topLevelItem(0);
      click(first);
      for (int i = 0; i < first->childCount(); ++i) {
        click(first->child(i));
        EXPECT_EQ(w.StatusBar1->PanelCount(), 2);
      }
      w.CollectFolderStatistics(first);
      // Still usable: the second mailbox reads and lists after the failure.
      click(w.TreeViewMailboxes->topLevelItem(1));
      if (QTreeWidgetItem* inbox = w.TreeViewMailboxes->topLevelItem(1)->child(0)) click(inbox);
    }
  }
  for (const auto& shown : dialogs.shown) EXPECT_TRUE(IsDetailsMessage(shown.text)) << shown.text;
  const TabrixSimAccounting after = machine.BoundAccounting();
  EXPECT_EQ(after.liveObjects, before.liveObjects);
  EXPECT_EQ(after.outstandingBuffers, before.outstandingBuffers);
  EXPECT_EQ(after.openSessions, before.openSessions);
  session->Logoff(0, 0, 0);
  session.reset();
  mapi::MAPIUninitialize();
  machine.ExpectBalanced();
}

INSTANTIATE_TEST_SUITE_P(Call, DetailsFaultSweep, ::testing::ValuesIn(Cases()),
                         testsupport::RowAndCall<SweepCase>);

}  // namespace
