// The list report's own preview run through the dialog seam, and the zoom
// arithmetic of its two extra buttons.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <cmath>

#include "LocaleSettings.h"
#include "Readers.h"
#include "RecordingDialogs.h"
#include "SaveFormats.h"
#include "unAllMailBoxes.h"
#include "unFolderPrint.h"
#include "unMailboxReport.h"
#include "unReport.h"

namespace {

enum class Step { In, Out };

struct ZoomRow {
  const char* why;
  Step step;
  int from;
  std::optional<int> to;
};

const ZoomRow kZoomSteps[] = {
    {"100 x 1.2", Step::In, 100, 120},
    {"120 x 1.2", Step::In, 120, 144},
    {"100 / 1.2 = 83.3", Step::Out, 100, 83},
    {"12 / 1.2 = 10 is not above 10", Step::Out, 12, std::nullopt},
    {"13 / 1.2 = 10.8 rounds up to 11", Step::Out, 13, 11},
    {"3500 x 1.2 = 4200 is not below 4000", Step::In, 3500, std::nullopt},
    {"3333 x 1.2 = 3999.6 rounds to 4000", Step::In, 3333, std::nullopt},
    {"3332 x 1.2 = 3998.4", Step::In, 3332, 3998},
};

TEST(ZoomArithmetic, StepsRoundAndStayWithinTheRange) {
  for (const ZoomRow& row : kZoomSteps) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(row.step == Step::In ? gui::ZoomInStep(row.from) : gui::ZoomOutStep(row.from),
              row.to);
  }
}

// Whole percents never land on a half (6p/5 and 5p/6 have no .5), so the
// ties rule is shown on the rounding itself.
TEST(ZoomArithmetic, HalvesRoundToTheEvenNeighbour) {
  const std::pair<double, int> rows[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {83.5, 84}, {82.5, 82}};
  for (const auto& [value, rounded] : rows) EXPECT_EQ(gui::RoundHalfEven(value), rounded) << value;
}

TEST(ListPreview, ZoomButtonsActOnTheShownWindowAndSaveOffersEveryFormat) {
  platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
  core::TMailboxList mailboxes;
  for (const auto& [size, items] : {std::pair{1536, 10}, std::pair{2048000, 12345}}) {
    mailboxes.push_back(std::make_unique<core::acTableContent>());
    mailboxes.back()->messageSize = size;
    mailboxes.back()->contentCount = items;
  }
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
  const auto formats = reportengine::SaveFormats();
  const auto pdfIndex =
      std::find_if(formats.begin(), formats.end(),
                   [](const auto& f) { return f.format == reportengine::SaveFormat::Pdf; }) -
      formats.begin();

  testsupport::RecordingDialogs dialogs;
  dialogs.saveAnswers.push_back(gui::SaveFileChoice{pdf, static_cast<int>(pdfIndex)});
  std::vector<int> zooms;
  QStringList lastHints;
  bool maximized = false, thumbnails = true;
  dialogs.preview = [&](QWidget& window) {
    auto& preview = dynamic_cast<gui::TMyQrPreview&>(window);
    maximized = preview.windowState().testFlag(Qt::WindowMaximized);
    thumbnails = preview.ThumbnailsVisible();
    const QList<QAction*> actions = preview.ToolBar()->actions();
    for (QAction* action : actions.mid(actions.size() - 2)) lastHints << action->toolTip();
    preview.SetZoom(100);
    for (const char* hint : {"Zoom in", "Zoom in", "Zoom out"}) {
      preview.Action(QString::fromLatin1(hint))->trigger();
      zooms.push_back(preview.Zoom());
    }
    // And by keyboard, as the tool buttons take no focus.
    preview.show();
    QApplication::setActiveWindow(&preview);
    if (QTest::qWaitForWindowActive(&preview)) {
      QTest::keyClick(&preview, Qt::Key_Plus, Qt::ControlModifier);
      zooms.push_back(preview.Zoom());
      QTest::keyClick(&preview, Qt::Key_Minus, Qt::ControlModifier);
      zooms.push_back(preview.Zoom());
    }
    preview.Action(QStringLiteral("Save Report"))->trigger();
  };
  gui::TQRReport form(dialogs, nullptr);
  form.SetMailboxes(mailboxes);
  form.SetTitle(QStringLiteral("Mailbox Statistis for SRV01"));
  EXPECT_TRUE(form.Preview());
  platform::ResetLocaleForTesting();

  EXPECT_EQ(dialogs.previewTitles, std::vector<std::string>{"Print Preview"});
  EXPECT_TRUE(maximized);
  EXPECT_FALSE(thumbnails);
  EXPECT_EQ(lastHints, (QStringList{"Zoom out", "Zoom in"}));
  EXPECT_EQ(zooms, (std::vector<int>{120, 144, 120, 144, 120}));
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  QStringList filters;
  for (const auto& f : formats) filters << QString::fromLatin1(f.filter);
  EXPECT_EQ(dialogs.saveRequests[0].filters, filters);
  EXPECT_EQ(filters.size(), 8);  // the engine's own and seven exports
  const auto text = reportengine::test::RunTool(QStringLiteral("pdftotext"),
                                                {"-layout", "-enc", "UTF-8", pdf, "-"});
  EXPECT_TRUE(text.out.contains(
      QRegularExpression(QStringLiteral("Summary:\\s+2,001\\.5 K\\s+12,355 Item\\(s\\)"))))
      << text.out.toStdString();
}

// The details window's reports open the standard preview; only the
// all-mailboxes report keeps its thumbnails.
TEST(StandardPreview, ThumbnailsOnlyForAllMailboxes) {
  testsupport::RecordingDialogs dialogs;
  std::vector<bool> thumbnails;
  dialogs.preview = [&](QWidget& window) {
    thumbnails.push_back(dynamic_cast<reportengine::PreviewWindow&>(window).ThumbnailsVisible());
  };
  const core::TFolderMessageList messages;
  const core::TMsgBoxReportList folders;
  gui::TfrmFolderPrint folder(dialogs, nullptr);
  folder.SetMessages(messages);
  gui::TfrmMailboxReport mailbox(dialogs, nullptr);
  mailbox.SetFolders(folders);
  gui::TfrmAllMailBoxes all(dialogs, nullptr);
  EXPECT_TRUE(folder.Preview() && mailbox.Preview() && all.Preview());
  EXPECT_EQ(thumbnails, (std::vector<bool>{false, false, true}));
}

}  // namespace
