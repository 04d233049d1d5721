// The two print choice dialogs, and the main window's "Print/Save" through
// the dialog seam: which dialog, report or export each answer leads to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>

#include "GuiSession.h"
#include "RadioGroup.h"
#include "unChoose.h"
#include "unExportingDlg.h"
#include "unPrintRepDial.h"
#include "unReport.h"

namespace {

// --- The choice dialogs ---------------------------------------------------

struct ChoiceLayout {
  const char* why;
  std::function<QDialog*(QWidget*)> make;
  const char* caption;
  QSize client;
  const char* ok;
  const char* cancel;
};

const ChoiceLayout kChoiceLayouts[] = {
    {"main window", [](QWidget* o) { return new gui::TfrmChoose(o); },
     "Tabrix Mailbox Statistics for Microsoft Exchange Server", QSize(332, 99), "&OK", "&Cancel"},
    {"details window", [](QWidget* o) { return new gui::TfrmPrintReport(o); }, "Choose..",
     QSize(325, 135), "OK", "Cancel"},
};

class ChoiceDialog : public ::testing::TestWithParam<ChoiceLayout> {};

TEST_P(ChoiceDialog, LayoutPresetAndKeys) {
  const ChoiceLayout& c = GetParam();
  QWidget owner;
  owner.setGeometry(100, 100, 600, 400);
  std::unique_ptr<QDialog> d(c.make(&owner));
  EXPECT_EQ(d->windowTitle(), QString::fromLatin1(c.caption));
  EXPECT_EQ(d->size(), c.client);
  EXPECT_EQ(d->minimumSize(), d->maximumSize());
  EXPECT_TRUE(d->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(d->geometry().center(), owner.geometry().center());

  const auto groups = guitest::ChildrenOf<gui::TRadioGroup>(*d);
  ASSERT_EQ(groups.size(), 1u);
  gui::TRadioGroup* group = groups.front();
  EXPECT_EQ(group->title(), QStringLiteral(" Print / Export "));
  ASSERT_EQ(group->Count(), 3);
  const char* items[] = {"Print/Preview", "Open with Excel", "Open with Word"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(group->Item(i)->text(), QString::fromLatin1(items[i]));
    // Three columns: one row, left to right.
    EXPECT_EQ(group->Item(i)->y(), group->Item(0)->y());
    if (i > 0) {
      EXPECT_GE(group->Item(i)->x(), group->Item(i - 1)->geometry().right());
    }
    EXPECT_LE(group->Item(i)->geometry().right(), group->width());
  }
  EXPECT_EQ(group->ItemIndex(), 0);

  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  for (QPushButton* b : d->findChildren<QPushButton*>()) {
    if (b->text() == QString::fromLatin1(c.ok)) ok = b;
    if (b->text() == QString::fromLatin1(c.cancel)) cancel = b;
  }
  ASSERT_TRUE(ok && cancel);

  d->show();
  QApplication::setActiveWindow(d.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
  EXPECT_EQ(QApplication::focusWidget(), ok);
  // The arrow keys move the choice inside the group.
  group->Item(0)->setFocus();
  QTest::keyClick(group->Item(0), Qt::Key_Right);
  EXPECT_EQ(group->ItemIndex(), 1);
  // Enter presses the focused button, not the default one.
  cancel->setFocus();
  QTest::keyClick(cancel, Qt::Key_Return);
  EXPECT_EQ(d->result(), QDialog::Rejected);
  EXPECT_FALSE(d->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Row, ChoiceDialog, ::testing::ValuesIn(kChoiceLayouts),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(DetailsChoiceDialog, ScopeButtons) {
  gui::TfrmPrintReport d(nullptr);
  EXPECT_EQ(d.GroupBox1->title(), QStringLiteral(" Print/Save "));
  EXPECT_EQ(d.rbCF->text(), QStringLiteral("Current Folder"));
  EXPECT_EQ(d.rbCM->text(), QStringLiteral("Current Mailbox"));
  EXPECT_EQ(d.rbAM->text(), QStringLiteral("All Maiboxes"));
  EXPECT_TRUE(d.rbCF->isChecked());
  // Unchecking the checked button leaves none checked, as the presets need.
  gui::SetRadioChecked(d.rbCF, false);
  EXPECT_FALSE(d.rbCF->isChecked() || d.rbCM->isChecked() || d.rbAM->isChecked());
  d.rbCM->setChecked(true);
  d.rbAM->setChecked(true);
  EXPECT_FALSE(d.rbCM->isChecked());
}

// --- The main window's flow -----------------------------------------------

TEST(MainPrint, AnEmptyListDoesNothing) {
  testsupport::RecordingDialogs dialogs;
  gui::TfrmMainExecute window(dialogs);
  window.sbPrintClick();
  EXPECT_TRUE(dialogs.dialogTitles.empty());
  EXPECT_TRUE(dialogs.previewTitles.empty());
}

struct MainPrintCase {
  const char* why;
  const char* server;  // chosen in the server box first, or null
  int answer;          // how the choice dialog closes
  int destination;     // the item chosen in it
  int exportKind;      // of the export dialog run, 0: none
  bool preview;
};

const MainPrintCase kMainPrintCases[] = {
    {"cancel does nothing", nullptr, QDialog::Rejected, 1, 0, false},
    {"the report preview", nullptr, QDialog::Accepted, 0, 0, true},
    {"into the spreadsheet", nullptr, QDialog::Accepted, 1, 1, false},
    {"into the document", nullptr, QDialog::Accepted, 2, 2, false},
    {"another server's list keeps the home server's title", "SRV02", QDialog::Accepted, 0, 0, true},
    {"and so does its export", "SRV02", QDialog::Accepted, 2, 2, false},
};

class MainPrint : public guitest::GuiSession,
                  public ::testing::WithParamInterface<MainPrintCase> {};

TEST_P(MainPrint, ChoiceLeadsToReportOrExport) {
  const MainPrintCase& c = GetParam();
  machine.BuildStandard({3, true});
  Open();
  ClickLogOn();
  ASSERT_TRUE(window->LoggedOn());
  if (c.server) {
    const int index = window->ComboBoxServers->findText(QString::fromLatin1(c.server));
    ASSERT_GE(index, 0);
    window->ComboBoxServers->setCurrentIndex(index);
    emit window->ComboBoxServers->activated(index);
    ASSERT_EQ(window->Mailboxes().size(), 2u);
  }
  dialogs.Clear();
  dialogs.modal.push_back([&c](QDialog& d) {
    dynamic_cast<gui::TfrmChoose&>(d).RadioGroup1->SetItemIndex(c.destination);
    return c.answer;
  });
  int kind = 0;
  std::string exportTitle;
  const void* records = nullptr;
  dialogs.modal.push_back([&](QDialog& d) {
    auto& progress = dynamic_cast<gui::TfrmProgress&>(d);
    kind = progress.Kind();
    exportTitle = progress.Title();
    records = std::get<const core::TMailboxList*>(progress.Records().value());
    return int(QDialog::Rejected);
  });
  QString reportTitle;
  dialogs.preview = [&](QWidget&) {
    const auto reports = guitest::ChildrenOf<gui::TQRReport>(*window);
    ASSERT_EQ(reports.size(), 1u);
    reportTitle = reports.front()->QuickRep1.title;
  };
  window->sbPrintClick();

  EXPECT_EQ(dialogs.dialogTitles.size(), 1u + (c.exportKind ? 1u : 0u));
  EXPECT_EQ(kind, c.exportKind);
  if (c.exportKind) {
    EXPECT_EQ(exportTitle, "SRV01");
    EXPECT_EQ(records, &window->Mailboxes());
  }
  EXPECT_EQ(dialogs.previewTitles.size(), c.preview ? 1u : 0u);
  if (c.preview) {
    EXPECT_EQ(reportTitle, QStringLiteral("Mailbox Statistis for SRV01"));
  }
  EXPECT_TRUE(dialogs.shown.empty());
  // Every window of the command is gone.
  EXPECT_TRUE(guitest::ChildrenOf<gui::TQRReport>(*window).empty());
  EXPECT_TRUE(window->findChildren<QDialog*>().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Row, MainPrint, ::testing::ValuesIn(kMainPrintCases),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
