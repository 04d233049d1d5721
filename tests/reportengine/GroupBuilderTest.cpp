// Reports bound to a table: groups with their headers and footers, sums,
// progress and cancelling, and the bad input a build must survive.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "EngineTestReports.h"
#include "PageBuilder.h"

namespace reportengine {
namespace {

using namespace test;

Item Bound(ItemKind kind, const QString& name, const QString& text, double left) {
  Item item = Label(name, text, left);
  item.kind = kind;
  return item;
}

// Mailbox groups over (Mailbox, FolderItems) rows, no title or page footer:
// 259.4 mm of room per page.
struct GroupReport {
  MemoryTable table{{"Mailbox", "FolderItems"}};
  Report report;

  GroupReport() {
    Group group;
    group.expression = "Mailbox";
    group.header = MakeBand(BandKind::GroupHeader, "group", 7,
                            {Bound(ItemKind::DataField, "QRDBText1", "Mailbox", 1.1)});
    group.footer = MakeBand(BandKind::GroupFooter, "footer", 5,
                            {Bound(ItemKind::Expression, "QRExpr2", "SUM(FolderItems)", 39.7)});
    group.footer->children.push_back(MakeBand(BandKind::Child, "gap", 3.2, {}));
    report.groups.push_back(std::move(group));
    report.detail = MakeBand(BandKind::Detail, "detail", 5,
                             {Bound(ItemKind::DataField, "QRDBText3", "FolderItems", 100)});
    report.source = &table;
  }
  void Add(const QString& mailbox, std::int64_t items) { table.AddRow({mailbox, items}); }
};

std::vector<QString> AllTexts(const Document& doc) {
  std::vector<QString> texts;
  for (const Page& page : doc.pages)
    for (const QString& t : TextsOnly(page)) texts.push_back(t);
  return texts;
}

TEST(Groups, FooterClosesEachGroupAfterItsLastDetail) {
  const struct {
    bool resetAfterPrint;
    std::vector<QString> texts;
    const char* why;
  } cases[] = {
      {true, {"A", "1", "2", "3", "B", "4", "4"}, "each footer sums its own group"},
      {false, {"A", "1", "2", "3", "B", "4", "7"}, "sums never reset run on across groups"},
  };
  for (const auto& c : cases) {
    GroupReport g;
    g.Add("A", 1);
    g.Add("A", 2);
    g.Add("B", 4);
    g.report.groups[0].footer->items[0].resetAfterPrint = c.resetAfterPrint;
    const auto doc = BuildPages(g.report);
    EXPECT_EQ(AllTexts(*doc), c.texts) << c.why;
  }

  // The footer's child band leaves its gap: B's header starts 3.2 mm below
  // A's footer (7 + 5 + 5 + 5 + 3.2 from the top margin).
  GroupReport g;
  g.Add("A", 1);
  g.Add("A", 2);
  g.Add("B", 4);
  const auto texts = Texts(BuildPages(g.report)->pages[0]);
  EXPECT_DOUBLE_EQ(texts[4].y, 10 + 7 + 5 + 5 + 5 + 3.2);
}

TEST(Groups, KeptHeaderMovesWithItsFirstDetail) {
  // 21 groups of header (7) and detail (5) plus gap-less footers end at
  // 10 + 21 * 12 = 262 mm; the 22nd header alone would fit (269 <= 269.4),
  // with its detail it would not.
  const struct {
    bool keep;
    const char* lastOnFirstPage;
  } cases[] = {{true, "21"}, {false, "G22"}};
  for (const auto& c : cases) {
    GroupReport g;
    g.report.groups[0].footer.reset();
    g.report.groups[0].header.keepOnOnePage = c.keep;
    for (int i = 1; i <= 30; ++i) g.Add(QStringLiteral("G%1").arg(i), i);
    const auto doc = BuildPages(g.report);
    ASSERT_EQ(doc->pages.size(), 2u);
    EXPECT_EQ(TextsOnly(doc->pages[0]).back(), c.lastOnFirstPage) << c.keep;
  }
}

TEST(Groups, ProgressRunsToOneHundredAndCancelStops) {
  GroupReport g;
  for (int i = 0; i < 4; ++i) g.Add("A", i);
  std::vector<int> seen;
  BuildOptions options;
  options.progress = [&](int percent) {
    seen.push_back(percent);
    return true;
  };
  ASSERT_TRUE(BuildPages(g.report, options));
  EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75, 100}));

  // The need-data report's own progress is passed on; cancelling at 50
  // stops before the third record is asked for.
  ListReport list(4);
  seen.clear();
  options.progress = [&](int percent) {
    seen.push_back(percent);
    return percent < 50;
  };
  EXPECT_FALSE(BuildPages(list.report, options));
  EXPECT_EQ(seen, (std::vector<int>{0, 25, 50}));
  EXPECT_EQ(list.needDataCalls, 3);
}

TEST(BadInput, ExpressionFaultsNameTheItem) {
  const struct {
    const char* expression;
    const char* message;
  } cases[] = {
      {"SUM(FolderItems",
       "\"QRExpr2\": Expression \"SUM(FolderItems\": ')' expected at position 16"},
      {"Folder", "\"QRExpr2\": Expression \"Folder\": unknown field 'Folder' at position 1"},
      {"FolderItems / (FolderItems - 1)",
       "\"QRExpr2\": Expression \"FolderItems / (FolderItems - 1)\": division by zero"},
  };
  for (const auto& c : cases) {
    GroupReport g;
    g.Add("A", 1);
    g.report.groups[0].footer->items[0].text = c.expression;
    try {
      BuildPages(g.report);
      ADD_FAILURE() << c.expression;
    } catch (const ReportError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  // A need-data report has no fields to bind.
  ListReport list(1);
  list.report.detail.items[0].kind = ItemKind::DataField;
  EXPECT_THROW(BuildPages(list.report), ReportError);
}

TEST(BadInput, OversizeBandsPicturesAndFontsAreReportedNotFatal) {
  // A band taller than a page is cut at the page's last line.
  GroupReport tall;
  tall.Add("A", 1);
  tall.Add("B", 2);
  tall.report.detail.height = 300;
  const auto cut = BuildPages(tall.report);
  // A's header; A's cut detail; A's footer and B's header; B's cut detail;
  // B's footer.
  ASSERT_EQ(cut->pages.size(), 5u);
  EXPECT_TRUE(
      cut->warnings.contains("Band \"detail\" (300.0 mm) is taller than the page and was cut"));
  for (const Page& page : cut->pages) {
    for (const Element& e : page.elements) {
      if (const auto* r = std::get_if<TextRun>(&e)) {
        EXPECT_LE(r->y + r->height, 269.4 + 1e-9);
      }
    }
  }

  // 100,000 characters in a stretched label: cut, every printed line fits.
  ListReport huge(1);
  Item& row = huge.report.detail.items[0];
  row.autoSize = false;
  row.stretch = true;
  row.width = 33.5;
  huge.report.needData = [&, served = false]() mutable {
    row.text = QString(100000, u'x');
    return !std::exchange(served, true);
  };
  QElapsedTimer timer;
  timer.start();
  const auto hugeDoc = BuildPages(huge.report);
  RecordProperty("huge_label_ms", static_cast<int>(timer.elapsed()));
  EXPECT_EQ(hugeDoc->warnings.size(), 1);
  for (const auto& t : Texts(hugeDoc->pages[1])) {
    EXPECT_LE(t.y, 279.4 - 10);
  }

  // A picture that is no image and a family that is not installed.
  ListReport odd(0);
  Item picture = Label("QRImage", "", 2.1);
  picture.kind = ItemKind::Picture;
  picture.picture = QImage::fromData(QByteArray("not an image"));
  odd.report.columnHeader->items.push_back(picture);
  odd.report.summary->items[0].font = FontSpec{"No Such Family Xq", 10};
  const auto oddDoc = BuildPages(odd.report);
  ASSERT_EQ(oddDoc->pages.size(), 1u);
  EXPECT_TRUE(oddDoc->warnings.contains("Picture \"QRImage\" holds no image"));
  EXPECT_TRUE(oddDoc->warnings.filter("Font \"No Such Family Xq\" is not installed").size() == 1);
}

TEST(BadInput, HundredThousandRecordsPaginateOnTheNumbers) {
  ListReport list(100000);
  QElapsedTimer timer;
  timer.start();
  const auto doc = BuildPages(list.report);
  RecordProperty("records_100k_ms", static_cast<int>(timer.elapsed()));
  // 46 on the first page, 48 on each further one: 99,954 = 2082 * 48 + 18.
  ASSERT_EQ(doc->pages.size(), 1u + 2082u + 1u);
  EXPECT_EQ(TextsOnly(doc->pages.back()).end()[-4], "Row 100000");
}

}  // namespace
}  // namespace reportengine
