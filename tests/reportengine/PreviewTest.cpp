// The preview window offscreen, every modal step answered by a script:
// its tool bar, paging, zoom, search, and printing, saving and loading
// through the dialog seam.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <deque>
#include <functional>

#include "BuildProgress.h"
#include "EngineTestReports.h"
#include "PreviewWindow.h"
#include "Readers.h"
#include "ReportFile.h"
#include "SaveFormats.h"

namespace reportengine {
namespace {

using namespace test;

class ScriptedDialogs final : public PreviewDialogs {
 public:
  int ExecModal(QDialog& dialog) override {
    titles.push_back(dialog.windowTitle());
    if (modal.empty()) return QDialog::Rejected;
    auto answer = std::move(modal.front());
    modal.pop_front();
    return answer(dialog);
  }
  std::optional<SaveChoice> SaveFileName(QWidget*, const SaveRequest& request) override {
    saveRequests.push_back(request);
    return save;
  }
  bool PrintDialog(QWidget*, QPrinter& printer, int fromPage, int toPage) override {
    printRanges.emplace_back(fromPage, toPage);
    return print && print(printer);
  }
  void RunPreview(QWidget& preview) override {
    ++previews;
    if (inPreview) inPreview(static_cast<PreviewWindow&>(preview));
  }
  void ErrorBox(const QString& text) override { errors.push_back(text); }

  std::deque<std::function<int(QDialog&)>> modal;
  std::vector<QString> titles;
  std::optional<SaveChoice> save;
  std::vector<SaveRequest> saveRequests;
  std::function<bool(QPrinter&)> print;
  std::vector<std::pair<int, int>> printRanges;
  std::function<void(PreviewWindow&)> inPreview;
  int previews = 0;
  std::vector<QString> errors;
};

const QStringList kHints{"Zoom to fit",     "Zoom to width", "100%",      "First page",
                         "Previous page",   "Next page",     "Last page", "Go to page",
                         "Search for text", "Printer setup", "Print",     "Save Report",
                         "Load Report",     "Close preview"};

// 100 rows: three pages.
struct PreviewFixture : ::testing::Test {
  ListReport list{100};
  ScriptedDialogs dialogs;
  QTemporaryDir dir;

  void Trigger(PreviewWindow& w, const char* hint) {
    QAction* action = w.Action(hint);
    ASSERT_NE(action, nullptr) << hint;
    action->trigger();
  }
  QString StatusTexts(PreviewWindow& w) {
    QStringList texts;
    for (auto* label : w.statusBar()->findChildren<QLabel*>()) texts.append(label->text());
    return texts.join('|');
  }
};

TEST_F(PreviewFixture, OpensMaximizedZoomedToWidthWithItsToolBar) {
  dialogs.inPreview = [&](PreviewWindow& w) {
    EXPECT_EQ(w.windowTitle(), "Print Preview");
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    QStringList hints;
    for (QAction* action : w.ToolBar()->actions())
      if (!action->isSeparator()) hints.append(action->toolTip());
    EXPECT_EQ(hints, kHints);
    EXPECT_EQ(w.Action("Close preview")->text(), "&Close");
    EXPECT_TRUE(w.ThumbnailsVisible());
    EXPECT_FALSE(w.SearchVisible());

    w.show();
    QApplication::processEvents();
    // The page fills the view's width to within one percent step.
    auto* scroll = w.findChild<QScrollArea*>();
    const int room = scroll->viewport()->width();
    const int page = w.PageArea()->width();
    EXPECT_LE(page, room);
    EXPECT_GT(page, room * 0.97 - 24);
    EXPECT_TRUE(StatusTexts(w).contains(QStringLiteral("%1%").arg(w.Zoom())));
    // Zoomed to the width, the page follows the view: hiding the
    // thumbnails widens it. Zoom to fit then shows the whole page.
    const int toWidth = w.Zoom();
    w.SetThumbnailsVisible(false);
    QApplication::processEvents();
    const int widened = w.Zoom();
    EXPECT_GT(widened, toWidth);
    Trigger(w, "Zoom to fit");
    EXPECT_LE(w.PageArea()->height(), scroll->viewport()->height());
    EXPECT_LE(w.PageArea()->width(), scroll->viewport()->width());
    EXPECT_LE(w.Zoom(), widened);
    w.close();
  };
  EXPECT_TRUE(ShowPreview(list.report, dialogs));
  EXPECT_EQ(dialogs.previews, 1);
  EXPECT_TRUE(dialogs.errors.empty());

  // A report may open the preview without its thumbnails.
  dialogs.inPreview = [](PreviewWindow& w) { EXPECT_FALSE(w.ThumbnailsVisible()); };
  EXPECT_TRUE(ShowPreview(list.report, dialogs, nullptr, PreviewOptions{false}));
  EXPECT_EQ(dialogs.previews, 2);
}

TEST_F(PreviewFixture, ToolButtonsPageAndZoom) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  ASSERT_EQ(w.PageCount(), 3);
  const struct {
    const char* hint;
    int page;
  } steps[] = {
      {"Next page", 2},     {"Next page", 3},  {"Next page", 3},  // stays on the last
      {"Previous page", 2}, {"First page", 1}, {"Previous page", 1},
      {"Last page", 3},     {"Go to page", 2},  // the script answers 2
      {"Go to page", 2},                        // cancelled
  };
  dialogs.modal.push_back([](QDialog& d) {
    d.findChild<QSpinBox*>()->setValue(2);
    return int(QDialog::Accepted);
  });
  for (const auto& step : steps) {
    Trigger(w, step.hint);
    EXPECT_EQ(w.CurrentPage(), step.page) << step.hint;
  }
  EXPECT_TRUE(StatusTexts(w).contains("Page 2 of 3"));
  Trigger(w, "100%");
  EXPECT_EQ(w.Zoom(), 100);
  EXPECT_TRUE(StatusTexts(w).contains("100%"));
  Trigger(w, "Search for text");
  EXPECT_TRUE(w.SearchVisible());
  Trigger(w, "Printer setup");
  ASSERT_EQ(dialogs.titles.size(), 3u);  // twice the page choice, then the page setup
  EXPECT_EQ(dialogs.titles[0], "Go to page");
  EXPECT_NE(dialogs.titles[2], "Go to page");
}

// Tool buttons take no focus: every paging command has its key.
TEST_F(PreviewFixture, KeysPageSearchAndClose) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int page;
  } keys[] = {
      {Qt::Key_PageDown, Qt::NoModifier, 2},
      {Qt::Key_End, Qt::ControlModifier, 3},
      {Qt::Key_PageUp, Qt::NoModifier, 2},
      {Qt::Key_Home, Qt::ControlModifier, 1},
  };
  for (const auto& k : keys) {
    QTest::keyClick(&w, k.key, k.modifiers);
    EXPECT_EQ(w.CurrentPage(), k.page) << k.key;
  }
  QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(w.SearchVisible());
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(PreviewFixture, SearchFindsEachHitInTurnAcrossPages) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  const struct {
    const char* text;
    bool found;
    int page;
  } steps[] = {
      {"row 47", true, 2},  // first row of page 2, case-blind
      {"Row 100", true, 3},   {"Summary", true, 3},
      {"Summary", true, 3},    // only one: found again after going round
      {"The Title", true, 1},  // round from page 3 to page 1
      {"nowhere", false, 1},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(w.FindNext(step.text), step.found) << step.text;
    EXPECT_EQ(w.CurrentPage(), step.page) << step.text;
  }
}

TEST_F(PreviewFixture, SaveWritesTheChosenFormatFromFreshPages) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  const auto formats = SaveFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    // No suffix given: the format's is added.
    dialogs.save = SaveChoice{dir.filePath(QStringLiteral("saved%1").arg(i)), static_cast<int>(i)};
    Trigger(w, "Save Report");
    QFile file(dir.filePath(QStringLiteral("saved%1.%2").arg(i).arg(formats[i].suffix)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << formats[i].filter;
    const QByteArray saved = file.readAll();
    // PDF and workbooks carry the time they were made; the rest is exact.
    if (formats[i].format == SaveFormat::Pdf) {
      EXPECT_TRUE(saved.startsWith("%PDF-"));
    } else if (formats[i].format == SaveFormat::Xlsx) {
      EXPECT_TRUE(saved.startsWith("PK\x03\x04"));
    } else {
      EXPECT_EQ(saved, Render(w.Pages(), formats[i].format)) << formats[i].filter;
    }
  }
  QStringList filters;
  for (const auto& info : formats) filters.append(info.filter);
  EXPECT_EQ(dialogs.saveRequests.back().filters, filters);
  // Every save ran the report again from its start.
  EXPECT_EQ(list.beforePrintCalls, 1 + static_cast<int>(formats.size()));
  EXPECT_TRUE(dialogs.errors.empty());

  // A folder that cannot be written: an error box, no file.
  dialogs.save = SaveChoice{dir.filePath("saved0.trp/inside.csv"), 2};
  Trigger(w, "Save Report");
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_TRUE(dialogs.errors[0].startsWith("The report could not be saved as "));
}

TEST_F(PreviewFixture, LoadReportShowsTheSavedPagesOrSaysWhyNot) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  const QString good = dir.filePath("good.trp");
  SaveDocument(w.Pages(), SaveFormat::Report, good);
  QFile bad(dir.filePath("bad.trp"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(Render(w.Pages(), SaveFormat::Report).left(100));
  bad.close();

  ListReport other(3);
  PreviewWindow shown(other.report, dialogs);
  ASSERT_TRUE(shown.Build());
  const auto load = [&](const QString& path) {
    dialogs.modal.push_back([path](QDialog& d) {
      static_cast<QFileDialog&>(d).selectFile(path);
      return int(QDialog::Accepted);
    });
    Trigger(shown, "Load Report");
  };
  load(bad.fileName());
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], bad.fileName() + "\nThe report file is truncated.");
  EXPECT_EQ(shown.PageCount(), 1);  // still the report shown before

  load(good);
  EXPECT_EQ(shown.Pages(), w.Pages());
  // Saving the loaded report writes its pages; the report is not run.
  dialogs.save = SaveChoice{dir.filePath("again.trp"), 0};
  Trigger(shown, "Save Report");
  EXPECT_EQ(other.beforePrintCalls, 1);
  QFile again(dir.filePath("again.trp"));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(ReadReportFile(again.readAll()), w.Pages());
}

TEST_F(PreviewFixture, PrintOffersAllPagesAndPrintsTheChosenRange) {
  PreviewWindow w(list.report, dialogs);
  ASSERT_TRUE(w.Build());
  const QString path = dir.filePath("printed.pdf");
  dialogs.print = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    return true;
  };
  Trigger(w, "Print");
  EXPECT_EQ(dialogs.printRanges, (std::vector<std::pair<int, int>>{{1, 3}}));
  const ToolRun info = RunTool("pdfinfo", {path});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_TRUE(info.out.contains(QRegularExpression("Title: +List\n"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression("Pages: +2\n"))) << info.out.toStdString();
  const ToolRun text = RunTool("pdftotext", {path, "-"});
  EXPECT_TRUE(text.out.contains("Row 47"));
  EXPECT_FALSE(text.out.contains("Row 46"));
  EXPECT_EQ(list.beforePrintCalls, 2);

  // Cancelled: nothing printed, the report not run again.
  dialogs.print = nullptr;
  Trigger(w, "Print");
  EXPECT_EQ(list.beforePrintCalls, 2);
}

TEST_F(PreviewFixture, BuildFailuresAndSubstitutedPreviews) {
  list.report.detail.items[0].kind = ItemKind::Expression;
  list.report.detail.items[0].text = "1 +";
  EXPECT_FALSE(ShowPreview(list.report, dialogs));
  EXPECT_EQ(dialogs.previews, 0);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_TRUE(dialogs.errors[0].startsWith("\"QRRow\": Expression \"1 +\""));

  int own = 0;
  list.report.preview = [&] { ++own; };
  EXPECT_TRUE(ShowPreview(list.report, dialogs));
  EXPECT_EQ(own, 1);
  EXPECT_EQ(dialogs.previews, 0);
}

}  // namespace
TEST(BuildProgress, FollowsThePercentAndCancelStopsTheBuild) {
  ListReport list(20000);
  const auto next = list.report.needData;
  int shownPercent = -1;
  bool cancelled = false;
  list.report.needData = [&] {
    if (list.needDataCalls == 5000) {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowTitle() != QLatin1String(kBuildProgressCaption)) continue;
        shownPercent = w->findChild<QProgressBar*>()->value();
        for (auto* button : w->findChildren<QPushButton*>())
          if (button->text() == QLatin1String(kBuildProgressCancel)) {
            button->click();
            cancelled = true;
          }
      }
    }
    return next();
  };
  EXPECT_FALSE(BuildWithProgress(list.report, nullptr, 0).has_value());
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(shownPercent, 24);  // 4,999 of 20,000 records done
  EXPECT_LT(list.needDataCalls, 5010) << "the build stops at the next record";
}

}  // namespace reportengine
