// The two print choice dialogs, and the main window's "Print/Save" through
// the dialog seam: which report or export each answer leads to.
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

struct ChoiceLayout {
  std::function<QDialog*(QWidget*)> make;
  const char* caption;
  QSize client;
  QStringList captions;  // group boxes, then radio buttons, then push buttons
};

const ChoiceLayout kChoiceLayouts[] = {
    {[](QWidget* o) { return new gui::TfrmChoose(o); },
     "Tabrix Mailbox Statistics for Microsoft Exchange Server",
     QSize(332, 99),
     {" Print / Export ", "Print/Preview", "Open with Excel", "Open with Word", "&OK", "&Cancel"}},
    {[](QWidget* o) { return new gui::TfrmPrintReport(o); },
     "Choose..",
     QSize(325, 135),
     {" Print/Save ", " Print / Export ", "Current Folder", "Current Mailbox", "All Maiboxes",
      "Print/Preview", "Open with Excel", "Open with Word", "OK", "Cancel"}},
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
  QStringList captions;
  for (auto* g : d->findChildren<QGroupBox*>()) captions << g->title();
  for (auto* b : d->findChildren<QRadioButton*>()) {
    captions << b->text();
    EXPECT_EQ(b->isChecked(), b == d->findChildren<QRadioButton*>().first() ||
                                  b->text() == QStringLiteral("Print/Preview"));
  }
  const auto buttons = d->findChildren<QPushButton*>();
  for (auto* b : buttons) captions << b->text();
  EXPECT_EQ(captions, c.captions);

  gui::TRadioGroup* group = guitest::ChildrenOf<gui::TRadioGroup>(*d).front();
  for (int i = 1; i < group->Count(); ++i)  // three columns: one row
    EXPECT_GT(group->Item(i)->x(), group->Item(i - 1)->geometry().right());
  d->show();
  QApplication::setActiveWindow(d.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
  EXPECT_EQ(QApplication::focusWidget(), buttons[0]);  // OK
  group->Item(0)->setFocus();
  QTest::keyClick(group->Item(0), Qt::Key_Right);
  EXPECT_EQ(group->ItemIndex(), 1);
  // Enter presses the focused button, not the default one.
  buttons[1]->setFocus();
  QTest::keyClick(buttons[1], Qt::Key_Return);
  EXPECT_EQ(d->result(), QDialog::Rejected);
}

INSTANTIATE_TEST_SUITE_P(Row, ChoiceDialog, ::testing::ValuesIn(kChoiceLayouts));

TEST(MainPrint, AnEmptyListDoesNothing) {
  testsupport::RecordingDialogs dialogs;
  gui::TfrmMainExecute window(dialogs);
  window.sbPrintClick();
  EXPECT_TRUE(dialogs.dialogTitles.empty());
}

struct MainPrintCase {
  const char* server;  // chosen in the server box first, or null
  int answer;          // how the choice dialog closes
  int destination;     // the item chosen in it
  int exportKind;      // of the export dialog run, 0: none; no preview either
  bool preview;
};

const MainPrintCase kMainPrintCases[] = {
    {nullptr, QDialog::Rejected, 1, 0, false},  // Cancel does nothing
    {nullptr, QDialog::Accepted, 0, 0, true},
    {nullptr, QDialog::Accepted, 1, 1, false},
    {nullptr, QDialog::Accepted, 2, 2, false},
    // Another server's list keeps the home server's name in both titles.
    {"SRV02", QDialog::Accepted, 0, 0, true},
    {"SRV02", QDialog::Accepted, 2, 2, false},
};

class MainPrint : public guitest::GuiSession,
                  public ::testing::WithParamInterface<MainPrintCase> {};

TEST_P(MainPrint, ChoiceLeadsToReportOrExport) {
  const MainPrintCase& c = GetParam();
  machine.BuildStandard({3, true});
  Open();
  ClickLogOn();
  if (c.server) {
    const int index = window->ComboBoxServers->findText(QString::fromLatin1(c.server));
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
  dialogs.modal.push_back([&](QDialog& d) {
    auto& progress = dynamic_cast<gui::TfrmProgress&>(d);
    kind = progress.Kind();
    EXPECT_EQ(progress.Title(), "SRV01");
    EXPECT_EQ(std::get<const core::TMailboxList*>(*progress.Records()), &window->Mailboxes());
    return int(QDialog::Rejected);
  });
  QString title;
  dialogs.preview = [&](QWidget&) {
    title = guitest::ChildrenOf<gui::TQRReport>(*window).at(0)->QuickRep1.title;
  };
  window->sbPrintClick();
  EXPECT_EQ(kind, c.exportKind);
  EXPECT_EQ(title, c.preview ? QStringLiteral("Mailbox Statistis for SRV01") : QString());
  EXPECT_EQ(dialogs.dialogTitles.size(), 1u + (c.exportKind ? 1u : 0u));
  EXPECT_TRUE(dialogs.shown.empty());
  // Every window of the command is gone.
  EXPECT_TRUE(guitest::ChildrenOf<gui::TQRReport>(*window).empty());
  EXPECT_TRUE(window->findChildren<QDialog*>().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Row, MainPrint, ::testing::ValuesIn(kMainPrintCases));

}  // namespace
