// The main window without a session: its fixed layout and captions, the
// logged-off state, the menus and the about box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include "ElidingHeader.h"
#include "GuiLook.h"
#include "MailboxListModel.h"
#include "RecordingDialogs.h"
#include "ServerComboBox.h"
#include "TProgressBar.h"
#include "TStatusBar.h"
#include "uAbout.h"
#include "uMBDetails.h"
#include "unMain.h"
#include "unUSDS.h"

namespace {

class MainWindow : public ::testing::Test {
 protected:
  testsupport::RecordingDialogs dialogs;
  gui::TfrmMainExecute window{dialogs};
};

TEST_F(MainWindow, ControlsSitWhereTheLayoutPutsThem) {
  struct Place {
    QWidget* widget;
    QWidget* parent;
    QRect geometry;
  } places[] = {
      {window.plLogOn, window.plTOP, QRect(5, 5, 288, 52)},
      {window.sbLogOn, window.plLogOn, QRect(7, 17, 66, 22)},
      {window.rbDP, window.plLogOn, QRect(84, 8, 91, 17)},
      {window.rbCP, window.plLogOn, QRect(84, 28, 91, 17)},
      {window.rbWO, window.plLogOn, QRect(187, 8, 93, 17)},
      {window.sbUSD, window.plTOP, QRect(304, 4, 82, 22)},
      {window.sbPrint, window.plTOP, QRect(304, 32, 82, 22)},
  };
  for (const auto& p : places) {
    EXPECT_EQ(p.widget->parentWidget(), p.parent) << p.widget->metaObject()->className();
    EXPECT_EQ(p.widget->geometry(), p.geometry) << p.widget->metaObject()->className();
  }
  EXPECT_EQ(window.lbWOProf->pos(), QPoint(188, 28));
  EXPECT_EQ(window.Label1->pos(), QPoint(400, 12));
  EXPECT_EQ(window.ComboBoxServers->pos(), QPoint(400, 32));
  EXPECT_EQ(window.ComboBoxServers->width(), 165);
  EXPECT_EQ(window.plTOP->height(), 61);
  EXPECT_EQ(window.StatusBar->height(), 19);
  EXPECT_TRUE(window.pcMain->tabBar()->isHidden());
  EXPECT_EQ(window.pcMain->count(), 1);
  // Every caption fits its control in the chosen font.
  for (QAbstractButton* b :
       {static_cast<QAbstractButton*>(window.rbDP), static_cast<QAbstractButton*>(window.rbCP),
        static_cast<QAbstractButton*>(window.rbWO)})
    EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
}

TEST_F(MainWindow, CaptionsAndTheLoggedOffState) {
  EXPECT_EQ(window.sbLogOn->text(), QStringLiteral("Log On"));
  EXPECT_EQ(window.sbLogOn->toolTip(), QStringLiteral("Logon to your mailbox."));
  EXPECT_EQ(window.rbDP->text(), QStringLiteral("Default Profile"));
  EXPECT_EQ(window.rbCP->text(), QStringLiteral("Choose Profile"));
  EXPECT_EQ(window.rbWO->text(), QStringLiteral("Without Profile"));
  EXPECT_EQ(window.lbWOProf->text(), QStringLiteral("(Temporary Profile)"));
  EXPECT_EQ(window.sbUSD->text(), QStringLiteral("Details"));
  EXPECT_EQ(window.sbPrint->text(), QStringLiteral("Print/Save"));
  EXPECT_EQ(window.Label1->text(), QStringLiteral("Server:"));
  EXPECT_TRUE(window.rbDP->isChecked());
  EXPECT_FALSE(window.rbCP->isChecked() || window.rbWO->isChecked());
  EXPECT_FALSE(window.sbUSD->isEnabled());
  EXPECT_FALSE(window.sbPrint->isEnabled());
  EXPECT_FALSE(window.sbUSD->icon().isNull());
  EXPECT_FALSE(window.sbPrint->icon().isNull());
  EXPECT_FALSE(window.ComboBoxServers->isEnabled());
  EXPECT_EQ(window.ComboBoxServers->count(), 0);
  EXPECT_FALSE(window.ComboBoxServers->isEditable());
  EXPECT_EQ(window.ListModel()->rowCount(), 0);
  EXPECT_FALSE(window.ListHintShown());
  EXPECT_TRUE(window.ListViewRecipients->toolTip().isEmpty());
  EXPECT_EQ(window.StatusBar->PanelCount(), 0);
  EXPECT_FALSE(window.LoggedOn());
  EXPECT_FALSE(window.MapiInitialized());
  EXPECT_EQ(window.LastResult(), S_OK);
  EXPECT_TRUE(window.Mailboxes().empty());
}

TEST_F(MainWindow, ListColumnsHaveTheirCaptionsAndWidths) {
  const char* captions[9] = {"Mailbox",
                             "Last Logged on By",
                             "Total Message Size (Kb)",
                             "Total Items",
                             "Total no. Associated Messages",
                             "Storage Limits",
                             "Last Logon Time",
                             "Last Logoff Time",
                             "Full Mailbox Directory Name"};
  const int widths[9] = {100, 150, 100, 100, 100, 100, 100, 100, 150};
  QHeaderView* header = window.ListViewRecipients->horizontalHeader();
  for (int c = 0; c < 9; ++c) {
    EXPECT_EQ(window.ListModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
              QString::fromLatin1(captions[c]));
    EXPECT_EQ(header->sectionSize(c), widths[c]);
  }
  EXPECT_EQ(window.ListViewRecipients->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(window.ListViewRecipients->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(window.ListViewRecipients->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindow, ShowSetsTheCaptionAndTheWindowIsCentredAtItsSize) {
  window.show();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Tabrix Mailbox Statistics"));
  EXPECT_EQ(window.width(), 740);
  EXPECT_EQ(window.height(), 534);
  window.close();
}

TEST_F(MainWindow, RadioButtonsFormOneGroupAndStayEnabled) {
  window.rbCP->click();
  EXPECT_TRUE(window.rbCP->isChecked());
  EXPECT_FALSE(window.rbDP->isChecked());
  window.rbWO->click();
  EXPECT_FALSE(window.rbCP->isChecked());
  for (auto* rb : {window.rbDP, window.rbCP, window.rbWO}) EXPECT_TRUE(rb->isEnabled());
}

TEST_F(MainWindow, MenusHoldTheirItems) {
  const auto menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("File"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("Help"));
  EXPECT_EQ(window.Exit1->text(), QStringLiteral("Exit"));
  EXPECT_EQ(window.About1->text(), QStringLiteral("About"));
  // The doubled ampersand shows as one.
  EXPECT_EQ(window.QuestionsAnswers1->text(), QStringLiteral("Questions && Answers"));
  EXPECT_EQ(window.QuestionsAnswers1->iconText(), QStringLiteral("Questions & Answers"));
}

TEST_F(MainWindow, AboutRunsTheAboutBoxThroughTheSeam) {
  bool checked = false;
  dialogs.modal.push_back([&checked](QDialog& d) {
    auto* box = dynamic_cast<gui::TAboutBox*>(&d);
    EXPECT_NE(box, nullptr);
    if (!box) return int(QDialog::Rejected);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box->size(), QSize(298, 213));
    EXPECT_EQ(box->ProductName->text(), QStringLiteral("Mailbox Statistics"));
    EXPECT_EQ(box->Version->text(), QStringLiteral("Version : 2.8"));
    EXPECT_EQ(box->Comments->text(),
              QStringLiteral("Microsoft Exchange Server 5.x/2000/2003 Edition"));
    EXPECT_EQ(box->Label1->text(), QStringLiteral("For any question e-mail to:"));
    EXPECT_TRUE(box->lbMail->font().underline());
    EXPECT_EQ(box->lbMail->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(box->OKButton->isDefault());
    EXPECT_EQ(box->OKButton->text(), QStringLiteral("OK"));
    // Every label fits the box.
    for (QLabel* l : {box->ProductName, box->Version, box->Comments, box->Label1, box->lbMail})
      EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
          << l->text().toStdString();
    checked = true;
    return int(QDialog::Accepted);
  });
  window.About1->trigger();
  EXPECT_TRUE(checked);
  EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"About"});
}

TEST_F(MainWindow, EnterInTheAboutBoxPressesOk) {
  for (bool onButton : {true, false}) {
    gui::TAboutBox box(&window);
    box.show();
    box.setResult(-1);
    QTest::keyClick(onButton ? static_cast<QWidget*>(box.OKButton) : &box, Qt::Key_Return);
    EXPECT_EQ(box.result(), QDialog::Accepted) << onButton;
  }
}

TEST_F(MainWindow, EnterInTheSelectionDialogPressesTheFocusedOrDefaultButton) {
  struct Case {
    const char* name;
    QWidget* (*target)(gui::TfrmDetails&);
    int result;
  } const cases[] = {
      {"OK", [](gui::TfrmDetails& d) -> QWidget* { return d.BitBtn2; }, QDialog::Accepted},
      {"Cancel", [](gui::TfrmDetails& d) -> QWidget* { return d.BitBtn1; }, QDialog::Rejected},
      {"no button", [](gui::TfrmDetails& d) -> QWidget* { return d.cbSelAll; }, QDialog::Accepted},
  };
  for (const Case& c : cases) {
    gui::TfrmDetails d(&window);
    d.show();
    d.setResult(-1);
    QTest::keyClick(c.target(d), Qt::Key_Return);
    EXPECT_EQ(d.result(), c.result) << c.name;
  }
}

class MenuBarKey : public MainWindow, public ::testing::WithParamInterface<Qt::Key> {};

TEST_P(MenuBarKey, ActivatesTheMenuBarAndTheArrowsWalkIt) {
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.ListViewRecipients->setFocus();
  QMenuBar* bar = window.menuBar();
  const QList<QAction*> menus = bar->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(bar->activeAction(), nullptr);
  QTest::keyClick(QApplication::focusWidget(), GetParam());
  EXPECT_EQ(bar->activeAction(), menus[0]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  EXPECT_EQ(bar->activeAction(), menus[1]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(bar->activeAction(), menus[0]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(bar->activeAction(), nullptr);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("File"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("Help"));
}

INSTANTIATE_TEST_SUITE_P(Key, MenuBarKey, ::testing::Values(Qt::Key_Alt, Qt::Key_F10));

TEST_F(MainWindow, AClippedHeaderCaptionShowsWhollyAsTooltip) {
  struct Case {
    int width;
    bool clipped;
  } const cases[] = {{400, false}, {24, true}};
  window.show();
  auto* header = dynamic_cast<gui::TElidingHeader*>(window.ListViewRecipients->horizontalHeader());
  ASSERT_NE(header, nullptr);
  const QString caption = header->model()->headerData(0, Qt::Horizontal).toString();
  ASSERT_FALSE(caption.isEmpty());
  for (const Case& c : cases) {
    QToolTip::hideText();
    header->resizeSection(0, c.width);
    EXPECT_EQ(header->ClippedCaption(0), c.clipped ? caption : QString()) << c.width;
    const QPoint inside(header->sectionViewportPosition(0) + c.width / 2, header->height() / 2);
    QHelpEvent help(QEvent::ToolTip, inside, header->viewport()->mapToGlobal(inside));
    QCoreApplication::sendEvent(header->viewport(), &help);
    EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), c.clipped ? caption : QString())
        << c.width;
  }
  QToolTip::hideText();
}

// Shrunk as far as it goes, a window still shows each of `controls` whole.
void ExpectShrunkWindowShows(QWidget& window, std::initializer_list<QWidget*> controls) {
  window.show();
  window.resize(1, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.size(), window.minimumSize());
  EXPECT_GT(window.minimumWidth(), 1);
  for (QWidget* c : controls) {
    const QRect inWindow(c->mapTo(&window, QPoint(0, 0)), c->size());
    EXPECT_TRUE(c->isVisible()) << c->metaObject()->className();
    EXPECT_FALSE(c->size().isEmpty()) << c->metaObject()->className();
    EXPECT_TRUE(window.rect().contains(inWindow))
        << c->metaObject()->className() << " " << inWindow.x() << "," << inWindow.y() << " "
        << inWindow.width() << "x" << inWindow.height();
  }
}

TEST_F(MainWindow, ShrunkAsFarAsItGoesShowsEveryControl) {
  ExpectShrunkWindowShows(
      window, {window.plLogOn, window.sbUSD, window.sbPrint, window.Label1, window.ComboBoxServers,
               window.ListViewRecipients, window.StatusBar, window.menuBar()});
}

TEST_F(MainWindow, ShrunkDetailsWindowShowsEveryControl) {
  gui::TfmMailboxDetails details(dialogs, &window);
  ExpectShrunkWindowShows(
      details, {details.SpeedButton1, details.sbPrint, details.TreeViewMailboxes, details.lvMailbox,
                details.StatusBar1});
}

TEST_F(MainWindow, DetailsWithoutMailboxesOpensNoDetailsWindow) {
  window.sbUSDClick();
  window.ListViewRecipientsDblClick();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Users - Detail"});
}

TEST_F(MainWindow, LogOffWithoutSessionIsHarmless) {
  window.LogOff();
  window.LogOff();
  EXPECT_FALSE(window.LoggedOn());
  EXPECT_FALSE(window.MapiInitialized());
  EXPECT_EQ(window.sbLogOn->toolTip(), QStringLiteral("Logon to your mailbox."));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST(StatusBar, LastPanelReachesTheEdgeAndPanelsKeepTheirTexts) {
  gui::TStatusBar bar(nullptr);
  bar.resize(600, 19);
  EXPECT_EQ(bar.AddPanel(100, QStringLiteral("a")), 0);
  EXPECT_EQ(bar.AddPanel(306, QString(), true), 1);
  EXPECT_EQ(bar.PanelCount(), 2);
  EXPECT_EQ(bar.PanelText(0), QStringLiteral("a"));
  EXPECT_TRUE(bar.PanelOwnerDraw(1));
  bar.SetPanelText(0, QStringLiteral("b"));
  bar.SetPanelText(7, QStringLiteral("ignored"));
  EXPECT_EQ(bar.PanelText(0), QStringLiteral("b"));
  EXPECT_EQ(bar.PanelText(7), QString());
  EXPECT_EQ(bar.PanelRect(0), QRect(0, 0, 100, 19));
  EXPECT_EQ(bar.PanelRect(1), QRect(100, 0, 500, 19)) << "the last panel reaches the edge";
  bar.ClearPanels();
  EXPECT_EQ(bar.PanelCount(), 0);
}

TEST(ProgressBar, StepsThroughItsRangeAndWraps) {
  gui::TProgressBar bar(nullptr);
  bar.resize(300, 15);
  bar.SetRange(0, 2);
  EXPECT_EQ(bar.Position(), 0);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 2);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 0) << "past the maximum it starts over";
  // An empty table gives the range 0 to -1; stepping it must do no harm.
  bar.SetRange(0, -1);
  bar.StepIt();
  EXPECT_FALSE(bar.grab().isNull());
}

TEST_F(MainWindow, ExitClosesTheWindow) {
  window.show();
  ASSERT_TRUE(window.isVisible());
  window.Exit1->trigger();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
