// Page building on the numbers: US Letter, 10 mm margins, so a page has
// 279.4 - 10 - 10 = 259.4 mm for bands; the list report's page footer
// (5.6 mm) leaves 253.8 mm, of which the title and column header take
// 10 mm each. Detail bands of 5 mm thus fit 46 on the first page and 48 on
// every further one.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "EngineTestReports.h"
#include "Fonts.h"
#include "PageBuilder.h"

namespace reportengine {
namespace {

using namespace test;

constexpr double kFooterTop = 279.4 - 10 - 5.6;

int RowsOn(const Page& page) {
  int rows = 0;
  for (const QString& t : TextsOnly(page)) rows += t.startsWith("Row ") ? 1 : 0;
  return rows;
}

TEST(Fonts, ArialPrintsWithTheWidthsOfArial) {
  // Advance widths of Arial in thousandths of an em: M 833, a 556, i 222,
  // l 222, b 556, o 556, x 500 (bold: i 278, l 278, b 611, o 611, x 556).
  const double mmPerEmAt10pt = 10 * 25.4 / 72;
  const TextMeasure regular(FontSpec{"Arial", 10, false, false});
  const TextMeasure bold(FontSpec{"Arial", 10, true, false});
  EXPECT_TRUE(regular.Installed()) << regular.ActualFamily().toStdString();
  EXPECT_NEAR(regular.Width("Mailbox"), 3.445 * mmPerEmAt10pt, 0.02);
  EXPECT_NEAR(bold.Width("Mailbox"), 3.723 * mmPerEmAt10pt, 0.02);
  // Ascent 0.905 em plus descent 0.212 em.
  EXPECT_NEAR(regular.LineHeight(), 1.117 * mmPerEmAt10pt, 0.03);
  EXPECT_FALSE(TextMeasure(FontSpec{"No Such Family Xq", 10}).Installed());
}

TEST(Fonts, WrapBreaksAtBlanksThenBetweenCharacters) {
  const TextMeasure m(FontSpec{"Arial", 10});
  const double ww = m.Width("WW") + 0.01;
  const struct {
    QString text;
    double width;
    std::vector<QString> lines;
    const char* why;
  } cases[] = {
      {"", 50, {""}, "an empty text is one empty line"},
      {"one two three", 100, {"one two three"}, "fits"},
      {"one two three", m.Width("one two") + 0.01, {"one two", "three"}, "breaks at a blank"},
      {"a\nb", 100, {"a", "b"}, "keeps line breaks"},
      {"a\r\n\r\nb", 100, {"a", "", "b"}, "CR LF and empty paragraphs"},
      {"WWWWWW", ww, {"WW", "WW", "WW"}, "a long word breaks between characters"},
      {"x WWWWW", ww, {"x", "WW", "WW", "W"}, "the long word starts on a line of its own"},
      {"abc", 0.1, {"a", "b", "c"}, "narrower than a character: one each"},
  };
  for (const auto& c : cases) EXPECT_EQ(m.Wrap(c.text, c.width), c.lines) << c.why;

  // 100,000 characters without a blank: nothing lost, every line fits.
  const QString huge(100000, u'm');
  QElapsedTimer timer;
  timer.start();
  const auto lines = m.Wrap(huge, 33.5);
  RecordProperty("wrap_100k_ms", static_cast<int>(timer.elapsed()));
  QString joined;
  for (const QString& line : lines) {
    EXPECT_LE(m.Width(line), 33.5);
    joined += line;
  }
  EXPECT_EQ(joined, huge);
}

TEST(PageBuilder, ColumnHeaderOnEveryPageAndBandsMoveOnWhenFull) {
  const struct {
    int records;
    std::vector<int> rowsPerPage;
    const char* why;
  } cases[] = {
      {0, {0}, "no records: title, header, summary and footer still print"},
      {1, {1}, "one record"},
      {45, {45}, "the summary (8 mm) still fits below 45 rows"},
      {46, {46, 0}, "a full first page sends the summary on"},
      {94, {46, 48, 0}, "a full second page likewise"},
      {100, {46, 48, 6}, "rows continue under a repeated column header"},
  };
  for (const auto& c : cases) {
    ListReport list(c.records);
    const auto doc = BuildPages(list.report);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->pages.size(), c.rowsPerPage.size()) << c.why;
    for (std::size_t p = 0; p < doc->pages.size(); ++p) {
      const auto texts = Texts(doc->pages[p]);
      EXPECT_EQ(RowsOn(doc->pages[p]), c.rowsPerPage[p]) << c.why << ", page " << p + 1;
      // Title on the first page only, then the column header at the top.
      const std::size_t header = p == 0 ? 1 : 0;
      ASSERT_GE(texts.size(), header + 3);
      EXPECT_EQ(texts[0].text, p == 0 ? "The Title" : "Column") << c.why;
      EXPECT_EQ(texts[header].text, "Column");
      EXPECT_DOUBLE_EQ(texts[header].y, p == 0 ? 20 : 10);
      // The page footer closes every page, the last one too.
      EXPECT_EQ(texts[texts.size() - 2].text, "Page");
      EXPECT_EQ(texts.back().text, QString::number(p + 1));
      EXPECT_DOUBLE_EQ(texts.back().y, kFooterTop);
    }
    EXPECT_EQ(TextsOnly(doc->pages.back()).end()[-3], "Summary") << c.why;
    EXPECT_EQ(list.beforePrintCalls, 1);
    EXPECT_EQ(list.needDataCalls, c.records + 1);
  }
}

TEST(PageBuilder, ReportOptionsLeaveOutTheLastFooterOrEveryPage) {
  ListReport noLastFooter(100);
  noLastFooter.report.pageFooterOnLastPage = false;
  const auto doc = BuildPages(noLastFooter.report);
  ASSERT_EQ(doc->pages.size(), 3u);
  EXPECT_EQ(TextsOnly(doc->pages[1]).back(), "2");
  EXPECT_EQ(TextsOnly(doc->pages[2]).back(), "Summary");

  ListReport empty(0);
  empty.report.printIfEmpty = false;
  EXPECT_TRUE(BuildPages(empty.report)->pages.empty());
}

TEST(PageBuilder, StretchedLabelGrowsItsBandByItsWrappedLines) {
  ListReport list(1);
  Item& row = list.report.detail.items[0];
  row.autoSize = false;
  row.stretch = true;
  row.width = 15;  // "Mailbox" is 12.2 mm wide: one word per line
  list.report.needData = [&, served = false]() mutable {
    row.text = "Mailbox Mailbox Mailbox";
    return !std::exchange(served, true);
  };
  const auto doc = BuildPages(list.report);
  const double line = TextMeasure(list.report.baseFont).LineHeight();
  const auto texts = Texts(doc->pages[0]);
  // Title, column header, three lines, the summary.
  ASSERT_EQ(texts[4].text, "Mailbox");
  EXPECT_DOUBLE_EQ(texts[2].y, 30);
  EXPECT_DOUBLE_EQ(texts[3].y, 30 + line);
  EXPECT_DOUBLE_EQ(texts[4].y, 30 + 2 * line);
  EXPECT_EQ(texts[5].text, "Summary");
  EXPECT_DOUBLE_EQ(texts[5].y, 30 + 5 + 2 * line);
}

TEST(PageBuilder, ItemsAlignWithinTheirBoxOrTheBand) {
  const struct {
    Align align;
    bool autoSize;
    bool centerOnBand;
    double anchor;  // where the text's left, right or centre lands
    const char* why;
  } cases[] = {
      {Align::Left, true, false, 10 + 10, "left edge kept"},
      {Align::Right, true, false, 10 + 60, "right edge kept at left + width"},
      {Align::Center, true, false, 10 + 35, "centre of the box kept"},
      {Align::Center, true, true, 10 + 195.9 / 2, "centred on the band"},
      {Align::Right, false, false, 10 + 60, "fixed box, text to its right"},
  };
  for (const auto& c : cases) {
    ListReport list(0);
    Item& label = list.report.summary->items[0];
    label.alignment = c.align;
    label.autoSize = c.autoSize;
    label.centerOnBand = c.centerOnBand;
    label.left = 10;
    label.width = 50;
    const auto doc = BuildPages(list.report);
    const auto& run = std::get<TextRun>(doc->pages[0].elements[2]);
    ASSERT_EQ(run.text, "Summary");
    const double at = c.align == Align::Left    ? run.x
                      : c.align == Align::Right ? run.x + run.width
                                                : run.x + run.width / 2;
    EXPECT_NEAR(at, c.anchor, 1e-9) << c.why;
  }

  // A fixed box cuts what does not fit; an empty text prints nothing.
  ListReport list(0);
  Item& label = list.report.summary->items[0];
  label.autoSize = false;
  label.width = 5;
  label.text = "A text far wider than five millimetres";
  list.report.columnHeader->items[0].text.clear();
  const auto doc = BuildPages(list.report);
  const auto texts = Texts(doc->pages[0]);
  ASSERT_EQ(texts.size(), 4u);  // title, the cut label, the page footer
  EXPECT_TRUE(label.text.startsWith(texts[1].text));
  EXPECT_LE(std::get<TextRun>(doc->pages[0].elements[1]).width, 5);
}

TEST(PageBuilder, EachItemKindPrintsItsText) {
  const struct {
    ItemKind kind;
    SystemData system;
    const char* text;
    const char* printed;
  } cases[] = {
      {ItemKind::Label, {}, "Fixed", "Fixed"},
      {ItemKind::SystemData, SystemData::DateTime, "yyyy-MM-dd hh:mm:ss", "2026-01-02 03:04:05"},
      {ItemKind::SystemData, SystemData::PageNumber, "", "1"},
      {ItemKind::Expression, {}, "FORMATNUMERIC('#,##0.0', 1234.56)", "1,234.6"},
      {ItemKind::Expression, {}, "'a' + 'b'", "ab"},
  };
  BuildOptions options;
  options.printTime = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
  for (const auto& c : cases) {
    ListReport list(0);
    Item& item = list.report.summary->items[0];
    item.kind = c.kind;
    item.system = c.system;
    item.text = c.text;
    const auto doc = BuildPages(list.report, options);
    EXPECT_EQ(TextsOnly(doc->pages[0])[2], c.printed) << c.text;
  }

  // An opaque item fills its box under its text.
  ListReport list(0);
  Item& item = list.report.summary->items[0];
  item.transparent = false;
  item.background = Qt::yellow;
  const auto doc = BuildPages(list.report);
  const auto& fill = std::get<FilledRect>(doc->pages[0].elements[2]);
  const auto& run = std::get<TextRun>(doc->pages[0].elements[3]);
  EXPECT_EQ(fill.color, QColor(Qt::yellow));
  EXPECT_EQ(QRectF(fill.x, fill.y, fill.width, fill.height),
            QRectF(run.x, run.y, run.width, run.height));
}

}  // namespace
}  // namespace reportengine
