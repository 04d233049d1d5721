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

using testsupport::Kind;

enum class Scope { Folder, Mailbox, All };

// What one print command showed: its report or its export.
struct Outcome {
  int previews = 0;
  QString reportTitle;
  std::size_t reportRecords = 0;
  std::vector<std::string> tableMailboxes;  // the all-mailboxes report's table
  int exportKind = 0;
  std::string exportTitle;
  const void* exportRecords = nullptr;
  std::size_t exportCount = 0;
};

class DetailsPrint : public guitest::DetailsSession {
 protected:
  template <class T>
  static T* One(const QObject& parent) {
    const auto found = guitest::ChildrenOf<T>(parent);
    return found.empty() ? nullptr : found.front();
  }
  // Runs the print command of `w`, answering its choice with `scope` and
  // `destination` (or cancelling it) and the export dialog with Cancel.
  Outcome Print(gui::TfmMailboxDetails& w, Scope scope, int destination, bool ok = true) {
    Outcome out;
    dialogs.modal.push_front([&](QDialog& d) {
      auto& choice = dynamic_cast<gui::TfrmPrintReport&>(d);
      QRadioButton* buttons[] = {choice.rbCF, choice.rbCM, choice.rbAM};
      buttons[static_cast<int>(scope)]->setChecked(true);
      choice.rgToWhere->SetItemIndex(destination);
      return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    dialogs.modal.insert(dialogs.modal.begin() + 1, [&](QDialog& d) {
      auto& progress = dynamic_cast<gui::TfrmProgress&>(d);
      out.exportKind = progress.Kind();
      out.exportTitle = progress.Title();
      std::visit(
          [&](auto* list) {
            out.exportRecords = list;
            out.exportCount = list->size();
          },
          progress.Records().value());
      return int(QDialog::Rejected);
    });
    dialogs.preview = [&](QWidget&) {
      ++out.previews;
      if (auto* r = One<gui::TfrmFolderPrint>(w)) {
        out.reportTitle = r->QuickRepFolder.title;
        out.reportRecords = w.MessageRows().size();
      } else if (auto* r = One<gui::TfrmMailboxReport>(w)) {
        out.reportTitle = r->QuickRep.title;
        out.reportRecords = w.FolderStatistics().value().size();
      } else if (auto* r = One<gui::TfrmAllMailBoxes>(w)) {
        out.reportTitle = r->QuickRepAllBox.title;
        // The records went once the table held them.
        EXPECT_FALSE(w.FolderStatistics().has_value());
        out.reportRecords = static_cast<std::size_t>(r->MemoryTable.RowCount());
        for (int i = 0; i < r->MemoryTable.RowCount(); ++i)
          out.tableMailboxes.push_back(std::get<QString>(r->MemoryTable.At(i, 0)).toStdString());
      }
    };
    const std::size_t before = dialogs.dialogTitles.size();
    w.sbPrintClick();
    // The export dialog's answer stays unused when no export ran.
    if (dialogs.dialogTitles.size() - before < 2) dialogs.modal.erase(dialogs.modal.begin());
    dialogs.preview = nullptr;
    EXPECT_TRUE(w.findChildren<QDialog*>().isEmpty());
    return out;
  }
};

// --- Presets and Cancel ---------------------------------------------------

struct Preset {
  const char* node;
  bool folder, mailbox;
};

class DetailsPreset : public DetailsPrint, public ::testing::WithParamInterface<Preset> {};

TEST_P(DetailsPreset, FollowsTheSelectedNodeAndCancelDoesNothing) {
  const Preset& c = GetParam();
  LogOn();
  OpenByDoubleClick(1, [&](gui::TfmMailboxDetails& w) {
    Click(w, Find(w, c.node));
    dialogs.Clear();
    dialogs.modal.push_back([&](QDialog& d) {
      auto& choice = dynamic_cast<gui::TfrmPrintReport&>(d);
      EXPECT_EQ(choice.rbCF->isChecked(), c.folder);
      EXPECT_EQ(choice.rbCM->isChecked(), c.mailbox);
      EXPECT_FALSE(choice.rbAM->isChecked());
      return int(QDialog::Rejected);
    });
    w.sbPrintClick();
    EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Choose.."});
    EXPECT_TRUE(dialogs.previewTitles.empty());
    EXPECT_FALSE(w.FolderStatistics().has_value());
  });
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectReleased();
}

const Preset kPresets[] = {{"Smith, John", false, true}, {"Projects", true, false}};
INSTANTIATE_TEST_SUITE_P(Row, DetailsPreset, ::testing::ValuesIn(kPresets),
                         [](const auto& info) { return std::to_string(info.index); });

// --- Scopes and destinations ----------------------------------------------

struct PrintCase {
  const char* why;
  const char* node;  // selected before the command
  Scope scope;
  int destination;
  const char* reportTitle;  // null: no report
  int exportKind;
  const char* exportTitle;
  std::size_t records;  // handed to the report or the export
  bool statisticsKept;  // the folder statistics exist after the command
};

// clang-format off
const PrintCase kPrintCases[] = {
    {"folder report", "Projects", Scope::Folder, 0,
     "Statistis for Smith, John\\Inbox\\Projects", 0, "", 1, false},
    {"folder to the spreadsheet", "Projects", Scope::Folder, 1,
     nullptr, 3, "Smith, John\\Inbox\\Projects", 1, false},
    {"folder to the document", "Inbox", Scope::Folder, 2,
     nullptr, 4, "Smith, John\\Inbox", 3, false},
    {"mailbox report, its records freed after the preview", "Smith, John", Scope::Mailbox, 0,
     "Statistis for Smith, John", 0, "", 4, false},
    {"a folder's mailbox to the spreadsheet, records kept", "Projects", Scope::Mailbox, 1,
     nullptr, 5, "Smith, John", 4, true},
    {"mailbox to the document", "Smith, John", Scope::Mailbox, 2,
     nullptr, 6, "Smith, John", 4, true},
    {"all mailboxes report, records freed once copied", "Inbox", Scope::All, 0,
     "Mailbox Statistis", 0, "", 4, false},
    {"all mailboxes to the spreadsheet, empty title", "Inbox", Scope::All, 1,
     nullptr, 7, "", 4, true},
    {"all mailboxes to the document", "Smith, John", Scope::All, 2,
     nullptr, 8, "", 4, true},
};
// clang-format on

class DetailsPrintFlow : public DetailsPrint, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(DetailsPrintFlow, HandsOverRecordsAndTitle) {
  const PrintCase& c = GetParam();
  LogOn();
  OpenByDoubleClick(1, [&](gui::TfmMailboxDetails& w) {
    Click(w, Find(w, c.node));
    dialogs.Clear();
    const Outcome out = Print(w, c.scope, c.destination);
    EXPECT_EQ(out.previews, c.reportTitle ? 1 : 0);
    if (c.reportTitle) {
      EXPECT_EQ(out.reportTitle, QString::fromLatin1(c.reportTitle));
      EXPECT_EQ(out.reportRecords, c.records);
    }
    EXPECT_EQ(out.exportKind, c.exportKind);
    if (c.exportKind) {
      EXPECT_EQ(out.exportTitle, c.exportTitle);
      EXPECT_EQ(out.exportCount, c.records);
      // Borrowed: the window's own list.
      const void* own = c.scope == Scope::Folder ? static_cast<const void*>(&w.MessageRows())
                                                 : &*w.FolderStatistics();
      EXPECT_EQ(out.exportRecords, own);
    }
    EXPECT_EQ(w.FolderStatistics().has_value(), c.statisticsKept);
  });
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectReleased(c.why);
}

INSTANTIATE_TEST_SUITE_P(Row, DetailsPrintFlow, ::testing::ValuesIn(kPrintCases),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(DetailsPrint, AnEmptyFolderShowsOnlyTheInformationBox) {
  LogOn();
  OpenByDoubleClick(1, [&](gui::TfmMailboxDetails& w) {
    Click(w, Find(w, "Deleted Items"));
    dialogs.Clear();
    const Outcome out = Print(w, Scope::Folder, 1);
    EXPECT_EQ(out.previews + out.exportKind, 0);
    EXPECT_EQ(dialogs.dialogTitles.size(), 1u);
  });
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, Kind::System);
  EXPECT_EQ(dialogs.shown[0].icon, mapi::BoxIcon::Information);
  EXPECT_EQ(dialogs.shown[0].text, "Nothing for print. Folder is empty.");
  ExpectReleased();
}

TEST_F(DetailsPrint, EveryCommandReadsTheMailboxAgain) {
  LogOn();
  OpenByDoubleClick(0, [&](gui::TfmMailboxDetails& w) {
    auto inboxItems = [&] {
      int items = -1;
      const Outcome out = Print(w, Scope::Mailbox, 1);
      for (const core::TMsgBoxReport& r : *w.FolderStatistics())
        if (r.folderPath == "/Inbox") items = r.itemCount;
      EXPECT_EQ(out.exportCount, 4u);
      return items;
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

// "All Maiboxes" walks every mailbox node in tree order into one report; a
// mailbox whose store does not open is reported and left out.
struct AllCase {
  const char* why;
  const char* failing;  // mailbox whose logon fails, or null
  std::vector<std::string> mailboxes;
  std::size_t boxes;
};

class DetailsPrintAll : public DetailsPrint, public ::testing::WithParamInterface<AllCase> {};

TEST_P(DetailsPrintAll, OneReportInTreeOrder) {
  const AllCase& c = GetParam();
  if (c.failing)
    machine.AddFault("IExchangeManageStore::CreateStoreEntryID", MAPI_E_NOT_FOUND,
                     std::string(c.failing));
  LogOn();
  dialogs.modal.push_back([](QDialog& d) {
    dynamic_cast<gui::TfrmDetails&>(d).cbSelAll->setChecked(true);
    return int(QDialog::Accepted);
  });
  Outcome out;
  dialogs.modal.push_back([&](QDialog& d) {
    out = Print(dynamic_cast<gui::TfmMailboxDetails&>(d), Scope::All, 0);
    return int(QDialog::Accepted);
  });
  window->sbUSDClick();
  EXPECT_EQ(out.previews, 1);
  std::vector<std::string> groups;
  for (const std::string& m : out.tableMailboxes)
    if (groups.empty() || groups.back() != m) groups.push_back(m);
  EXPECT_EQ(groups, c.mailboxes);
  EXPECT_EQ(out.tableMailboxes.size(), 4 * c.mailboxes.size());
  EXPECT_EQ(dialogs.shown.size(), c.boxes);  // the question, and the failure
  ExpectReleased(c.why);
}

const AllCase kAllCases[] = {
    {"three mailboxes", nullptr, {"Administrator", "Smith, John", "O'Brien, Mary"}, 1},
    {"the second store fails",
     "/o=Org/ou=Site/cn=Recipients/cn=jsmith",
     {"Administrator", "O'Brien, Mary"},
     2},
};
INSTANTIATE_TEST_SUITE_P(Row, DetailsPrintAll, ::testing::ValuesIn(kAllCases),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
