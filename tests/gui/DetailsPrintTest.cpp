// The details window's "Print" through the dialog seam: the presets of the
// choice, what each scope and destination hands to its report or export,
// and that the folder statistics are read afresh for every command.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <variant>

#include "DetailsSession.h"
#include "OrgDb.h"
#include "RadioGroup.h"
#include "unAllMailBoxes.h"
#include "unExportingDlg.h"
#include "unFolderPrint.h"
#include "unMailboxReport.h"
#include "unPrintRepDial.h"
#include "unUSDS.h"

namespace {

enum Scope { kFolder, kMailbox, kAll };

// What one print command handed to its report or its export.
struct Outcome {
  QString report;  // the report's title
  std::size_t reportRecords = 0;
  std::vector<std::string> table;  // the all-mailboxes report's mailbox column
  int exportKind = 0;
  std::string exportTitle;
  std::size_t exportRecords = 0;
  bool borrowed = false;  // the export reads the window's own list
};

class DetailsPrint : public guitest::DetailsSession {
 protected:
  template <class T>
  static T* One(const QObject& parent) {
    const auto found = guitest::ChildrenOf<T>(parent);
    return found.empty() ? nullptr : found.front();
  }
  // Runs the print command, answering the choice with `scope` and
  // `destination` (or Cancel) and the export dialog with Cancel.
  Outcome Print(gui::TfmMailboxDetails& w, int scope, int destination, int answer = 1) {
    Outcome out;
    const std::size_t modals = dialogs.dialogTitles.size();
    dialogs.modal.push_front([&](QDialog& d) {
      auto& choice = dynamic_cast<gui::TfrmPrintReport&>(d);
      const bool mailbox = w.NodeImage(w.TreeViewMailboxes->currentItem()) == gui::kMailboxImage;
      EXPECT_EQ(choice.rbCM->isChecked(), mailbox);
      EXPECT_EQ(choice.rbCF->isChecked(), !mailbox);
      std::vector<QRadioButton*>{choice.rbCF, choice.rbCM, choice.rbAM}[scope]->setChecked(true);
      choice.rgToWhere->SetItemIndex(destination);
      return answer;
    });
    dialogs.modal.insert(dialogs.modal.begin() + 1, [&](QDialog& d) {
      auto& progress = dynamic_cast<gui::TfrmProgress&>(d);
      out.exportKind = progress.Kind();
      out.exportTitle = progress.Title();
      std::visit(
          [&](auto* list) {
            const void* own = &w.MessageRows();
            if (w.FolderStatistics()) own = list == own ? own : &*w.FolderStatistics();
            out.exportRecords = list->size();
            out.borrowed = static_cast<const void*>(list) == own;
          },
          *progress.Records());
      return int(QDialog::Rejected);
    });
    dialogs.preview = [&](QWidget&) {
      if (auto* r = One<gui::TfrmFolderPrint>(w)) {
        out.report = r->QuickRepFolder.title;
        out.reportRecords = w.MessageRows().size();
      } else if (auto* r = One<gui::TfrmMailboxReport>(w)) {
        out.report = r->QuickRep.title;
        out.reportRecords = w.FolderStatistics().value().size();
      } else if (auto* r = One<gui::TfrmAllMailBoxes>(w)) {
        out.report = r->QuickRepAllBox.title;
        EXPECT_FALSE(w.FolderStatistics().has_value());  // freed once copied
        for (int i = 0; i < r->MemoryTable.RowCount(); ++i)
          out.table.push_back(std::get<QString>(r->MemoryTable.At(i, 0)).toStdString());
        out.reportRecords = out.table.size();
      }
    };
    w.sbPrintClick();
    if (dialogs.dialogTitles.size() - modals < 2) dialogs.modal.pop_front();  // no export ran
    dialogs.preview = nullptr;
    EXPECT_TRUE(w.findChildren<QDialog*>().isEmpty());
    return out;
  }
};

struct PrintCase {
  const char* node;  // selected before the command
  int scope;
  int destination;  // -1: the choice is cancelled
  const char* report;
  int exportKind;
  const char* exportTitle;
  std::size_t records;  // handed to the report or the export
  bool kept;            // the folder statistics exist after the command
  const char* box;      // the information box shown instead
};

// clang-format off
const PrintCase kPrintCases[] = {
    {"Projects", kFolder, -1, nullptr, 0, "", 0, false, nullptr},
    {"Smith, John", kAll, -1, nullptr, 0, "", 0, false, nullptr},
    {"Projects", kFolder, 0, "Statistis for Smith, John\\Inbox\\Projects", 0, "", 1, false, nullptr},
    {"Projects", kFolder, 1, nullptr, 3, "Smith, John\\Inbox\\Projects", 1, false, nullptr},
    {"Inbox", kFolder, 2, nullptr, 4, "Smith, John\\Inbox", 3, false, nullptr},
    {"Deleted Items", kFolder, 1, nullptr, 0, "", 0, false, "Nothing for print. Folder is empty."},
    // The mailbox report frees its records after the preview; an export
    // keeps them until the next command.
    {"Smith, John", kMailbox, 0, "Statistis for Smith, John", 0, "", 4, false, nullptr},
    {"Projects", kMailbox, 1, nullptr, 5, "Smith, John", 4, true, nullptr},
    {"Smith, John", kMailbox, 2, nullptr, 6, "Smith, John", 4, true, nullptr},
    {"Inbox", kAll, 0, "Mailbox Statistis", 0, "", 4, false, nullptr},
    {"Inbox", kAll, 1, nullptr, 7, "", 4, true, nullptr},
    {"Smith, John", kAll, 2, nullptr, 8, "", 4, true, nullptr},
};
// clang-format on

void PrintTo(const PrintCase& c, std::ostream* os) {
  *os << c.node << ", scope " << c.scope << ", destination " << c.destination;
}

class DetailsPrintFlow : public DetailsPrint, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(DetailsPrintFlow, HandsOverRecordsAndTitle) {
  const PrintCase& c = GetParam();
  LogOn();
  OpenByDoubleClick(1, [&](gui::TfmMailboxDetails& w) {
    Click(w, Find(w, c.node));
    const int cancel = c.destination < 0 ? QDialog::Rejected : QDialog::Accepted;
    const Outcome out = Print(w, c.scope, std::max(c.destination, 0), cancel);
    EXPECT_EQ(out.report, QString::fromLatin1(c.report ? c.report : ""));
    EXPECT_EQ(out.exportKind, c.exportKind);
    EXPECT_EQ(out.exportTitle, c.exportTitle);
    EXPECT_EQ(out.reportRecords + out.exportRecords, c.records);
    EXPECT_EQ(out.borrowed, c.exportKind != 0);
    EXPECT_EQ(w.FolderStatistics().has_value(), c.kept);
  });
  ASSERT_EQ(dialogs.shown.size(), c.box ? 1u : 0u);
  if (c.box) {
    EXPECT_EQ(dialogs.shown[0].text, c.box);
    EXPECT_EQ(dialogs.shown[0].icon, mapi::BoxIcon::Information);
  }
  ExpectReleased(c.node);
}

INSTANTIATE_TEST_SUITE_P(Row, DetailsPrintFlow, ::testing::ValuesIn(kPrintCases));

TEST_F(DetailsPrint, EveryCommandReadsTheMailboxAgain) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    auto inboxItems = [&] {
      EXPECT_EQ(Print(w, kMailbox, 1).exportRecords, 4u);
      for (const core::TMsgBoxReport& r : *w.FolderStatistics())
        if (r.folderPath == "/Inbox") return r.itemCount;
      return -1;
    };
    EXPECT_EQ(inboxItems(), 3);
    orgdb::OrgDb& db = machine.org();
    const auto mailbox = db.FindMailboxByDn("/o=Org/ou=Site/cn=Recipients/cn=admin");
    for (const orgdb::Folder& f : db.ChildFolders(db.TopFolder(mailbox->id)->id))
      if (f.displayName == "Inbox") db.AddMessage({0, f.id, "Late", 100, false, {}, {}});
    db.RecomputeTotals();
    EXPECT_EQ(inboxItems(), 4);
  });
  ExpectReleased();
}

// Every mailbox node in tree order, into one report; a mailbox whose store
// does not open is reported and left out.
struct AllCase {
  const char* failing;  // the DN of the mailbox whose logon fails
  std::vector<std::string> mailboxes;
};

class DetailsPrintAll : public DetailsPrint, public ::testing::WithParamInterface<AllCase> {};

TEST_P(DetailsPrintAll, OneReportInTreeOrder) {
  const AllCase& c = GetParam();
  if (c.failing)
    machine.AddFault("IExchangeManageStore::CreateStoreEntryID", MAPI_E_NOT_FOUND, c.failing);
  LogOn();
  dialogs.modal.push_back([](QDialog& d) {
    dynamic_cast<gui::TfrmDetails&>(d).cbSelAll->setChecked(true);
    return int(QDialog::Accepted);
  });
  Outcome out;
  dialogs.modal.push_back([&](QDialog& d) {
    out = Print(dynamic_cast<gui::TfmMailboxDetails&>(d), kAll, 0);
    return int(QDialog::Accepted);
  });
  window->sbUSDClick();
  std::vector<std::string> expected;
  for (const std::string& m : c.mailboxes) expected.insert(expected.end(), 4, m);
  EXPECT_EQ(out.table, expected);
  EXPECT_EQ(dialogs.shown.size(), c.failing ? 2u : 1u);  // the question, and the failure
  ExpectReleased();
}

const AllCase kAllCases[] = {
    {nullptr, {"Administrator", "Smith, John", "O'Brien, Mary"}},
    {"/o=Org/ou=Site/cn=Recipients/cn=jsmith", {"Administrator", "O'Brien, Mary"}},
};
INSTANTIATE_TEST_SUITE_P(Row, DetailsPrintAll, ::testing::ValuesIn(kAllCases));

}  // namespace
