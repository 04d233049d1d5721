// Every save format read back by an independent reader: qpdf, pdffonts and
// pdftotext for PDF, Python's csv for CSV, Python's html.parser for HTML.
#include <gtest/gtest.h>

#include <QDataStream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "EngineTestReports.h"
#include "PageBuilder.h"
#include "Readers.h"
#include "ReportFile.h"
#include "SaveFormats.h"
#include "TextRenderer.h"
#include "WmfRenderer.h"

namespace reportengine {
namespace {

using namespace test;

// Texts that trip up quoting and escaping, one per detail line.
const QString kTricky[] = {"plain", "comma, inside", "say \"hi\"", "<b>&amp;</b>", "Müller Ærø"};

// Two pages (46 + 14 rows) with a framed header holding a picture and a
// shaded summary.
Document Sample() {
  ListReport list(60);
  list.report.needData = [&list] {
    if (list.served >= list.records) return false;
    list.report.FindItem("QRRow")->text =
        kTricky[list.served % 5] + QStringLiteral(" %1").arg(list.served + 1);
    ++list.served;
    return true;
  };
  list.report.columnHeader->frame = Frame{true, true, false, false};
  Item picture = Label("QRImage", "", 180);
  picture.kind = ItemKind::Picture;
  picture.width = picture.height = 4.2;
  picture.picture = QImage(16, 16, QImage::Format_RGB32);
  picture.picture.fill(Qt::red);
  list.report.columnHeader->items.push_back(picture);
  list.report.summary->background = QColor(0xF5, 0xF5, 0xF5);
  BuildOptions options;
  options.printTime = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
  return *BuildPages(list.report, options);
}

// Each page's lines as their runs' texts, the shape CSV rows take.
std::vector<std::vector<std::string>> Lines(const Document& doc) {
  std::vector<std::vector<std::string>> lines;
  for (const Page& page : doc.pages) {
    for (const auto& line : TextLines(page)) {
      lines.emplace_back();
      for (const TextRun* run : line) lines.back().push_back(run->text.toStdString());
    }
  }
  return lines;
}

class Renderers : public ::testing::Test {
 protected:
  QString Save(SaveFormat format, const QString& name) {
    const QString path = dir.filePath(name);
    SaveDocument(doc, format, path);
    return path;
  }
  QTemporaryDir dir;
  const Document doc = Sample();
};

TEST_F(Renderers, PdfIsValidUncompressedWithEmbeddedFontsAndTheTexts) {
  ASSERT_EQ(doc.pages.size(), 2u);
  const QString path = Save(SaveFormat::Pdf, "report.pdf");
  const ToolRun check = RunTool("qpdf", {"--check", path});
  EXPECT_EQ(check.exitCode, 0) << check.out.toStdString();
  EXPECT_TRUE(check.out.contains("No syntax or stream encoding errors found"));

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_FALSE(bytes.contains("/FlateDecode"));
  EXPECT_FALSE(bytes.contains("/Filter"));  // neither Flate nor JPEG

  // pdffonts: name, type, encoding, emb, sub, uni, object, generation.
  const ToolRun fonts = RunTool("pdffonts", {path});
  const QStringList rows = fonts.out.split('\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_FALSE(rows.isEmpty()) << fonts.out.toStdString();
  for (const QString& row : rows) {
    EXPECT_TRUE(row.contains("LiberationSans")) << row.toStdString();
    EXPECT_EQ(row.split(' ', Qt::SkipEmptyParts).end()[-5], "yes") << row.toStdString();
  }

  const ToolRun text = RunTool("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"});
  ASSERT_EQ(text.exitCode, 0);
  const QStringList pages = text.out.split('\f', Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 2);
  EXPECT_TRUE(pages[0].contains("The Title"));
  EXPECT_TRUE(pages[0].contains("say \"hi\" 3"));
  EXPECT_TRUE(pages[0].contains("Müller Ærø 5"));
  EXPECT_TRUE(pages[1].contains("Column"));
  EXPECT_TRUE(pages[1].contains("Summary"));
  EXPECT_FALSE(pages[1].contains("The Title"));
}

TEST_F(Renderers, CsvReadsBackAsOneRowPerLine) {
  const nlohmann::json rows = RunReader("read_csv.py", Save(SaveFormat::Csv, "report.csv"));
  ASSERT_TRUE(rows.is_array());
  EXPECT_EQ(rows.get<std::vector<std::vector<std::string>>>(), Lines(doc));
  EXPECT_EQ(rows[3][0], "comma, inside 2");  // title, header, row 1, row 2
}

TEST_F(Renderers, WorkbookReadsBackAsOneRowPerLineInTheRunsFonts) {
  const nlohmann::json book = RunReader("read_xlsx.py", Save(SaveFormat::Xlsx, "report.xlsx"));
  ASSERT_TRUE(book.is_object());
  EXPECT_EQ(book["sheet"], "Report");
  EXPECT_EQ(book["rows"].get<std::vector<std::vector<std::string>>>(), Lines(doc));
  EXPECT_EQ(book["first"]["name"], "Arial");  // the title, in the report's font
  EXPECT_EQ(book["first"]["size"], 10);
}

TEST_F(Renderers, RtfReadsBackWithEveryLineInOrder) {
  // unrtf writes code page 1252 text.
  const ToolRun rtf = RunTool("unrtf", {"--text", Save(SaveFormat::Rtf, "report.rtf")}, true);
  ASSERT_EQ(rtf.exitCode, 0);
  // unrtf's text output starts with the title above a dashed line; then a
  // line per paragraph, where a tab comes out as blanks and a line break.
  QStringList read = rtf.out.split('\n');
  while (!read.isEmpty() && !read.front().startsWith("-----")) read.pop_front();
  ASSERT_FALSE(read.isEmpty()) << rtf.out.toStdString();
  read.pop_front();
  std::vector<std::vector<std::string>> lines;
  bool continued = false;
  for (const QString& line : read) {
    if (line.isEmpty()) continue;
    if (!continued) lines.emplace_back();
    if (!line.trimmed().isEmpty()) lines.back().push_back(line.trimmed().toStdString());
    continued = line.endsWith(' ');
  }
  EXPECT_EQ(lines, Lines(doc)) << rtf.out.toStdString();
}

TEST_F(Renderers, MetafilePerPageConvertsWithItsTextsLinesAndPicture) {
  const QString path = Save(SaveFormat::Wmf, "report.wmf");
  for (std::size_t p = 0; p < doc.pages.size(); ++p) {
    const QString page = WmfPagePath(path, p + 1);
    EXPECT_EQ(page, dir.filePath(p == 0 ? "report.wmf" : "report_2.wmf"));
    const QString svg = dir.filePath(QStringLiteral("page%1.svg").arg(p + 1));
    const ToolRun convert = RunTool("wmf2svg", {"-o", svg, page});
    ASSERT_EQ(convert.exitCode, 0) << page.toStdString();
    const nlohmann::json read = RunReader("read_svg.py", svg);
    ASSERT_TRUE(read.is_object()) << svg.toStdString();
    std::vector<std::string> texts;
    for (const auto& t : Texts(doc.pages[p])) texts.push_back(t.text.toStdString());
    EXPECT_EQ(read["texts"].get<std::vector<std::string>>(), texts) << read.dump();
    // The framed header's two lines on every page, its picture on the first.
    EXPECT_GE(read["tags"].value("line", 0) + read["tags"].value("polyline", 0), 2) << read.dump();
    EXPECT_EQ(read["tags"].value("image", 0), 1) << read.dump();
  }
}

TEST_F(Renderers, PlainTextKeepsLinesColumnsAndPages) {
  const QString text = QString::fromUtf8(Render(doc, SaveFormat::Text));
  const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 2);
  const QStringList first = pages[0].split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(first.size(), 1 + 1 + 46 + 1);  // title, header, rows, page footer
  // Centred title; the page footer's number at 20 mm is column 10.
  EXPECT_GT(first[0].indexOf("The Title"), 30);
  EXPECT_EQ(first[2], "plain 1");
  EXPECT_EQ(first.back(), "Page      1");
}

TEST_F(Renderers, HtmlIsOnePageOfWellFormedMarkupWithoutLinks) {
  const nlohmann::json html = RunReader("read_html.py", Save(SaveFormat::Html, "report.html"));
  ASSERT_TRUE(html.is_object());
  EXPECT_EQ(html["pages"], 2);
  EXPECT_EQ(html["links"], 0);
  EXPECT_TRUE(html["bad"].empty()) << html["bad"].dump();
  std::vector<std::string> texts;
  for (const auto& line : Lines(doc)) texts.insert(texts.end(), line.begin(), line.end());
  auto read = html["texts"].get<std::vector<std::string>>();
  std::sort(read.begin(), read.end());
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(read, texts);
}

TEST_F(Renderers, FailedSaveNamesThePathAndLeavesNoFile) {
  // A folder that cannot be made: its parent is a file.
  QFile blocker(dir.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  for (const auto& info : SaveFormats()) {
    const QString path = dir.filePath(QStringLiteral("blocker/report.") + info.suffix);
    try {
      SaveDocument(doc, info.format, path);
      ADD_FAILURE() << info.filter;
    } catch (const SaveError& e) {
      EXPECT_TRUE(
          QString::fromUtf8(e.what()).startsWith("The report could not be saved as " + path))
          << e.what();
    }
  }
  // A good save leaves the file alone, no temporary beside it.
  Save(SaveFormat::Csv, "report.csv");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"blocker", "report.csv"}));
}

TEST_F(Renderers, ReportFileLoadsBackTheSamePagesAndRejectsOthers) {
  const QByteArray bytes = Render(doc, SaveFormat::Report);
  EXPECT_EQ(ReadReportFile(bytes), doc);

  QByteArray otherVersion = bytes;
  otherVersion[5] = 2;  // the version follows the four-byte magic number
  // A header whose list of warnings claims four thousand million entries.
  QByteArray hugeCount;
  {
    QDataStream s(&hugeCount, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_4);
    s << quint32(0x54425250) << quint16(1) << QString() << 215.9 << 279.4 << quint32(0xFFFFFFFF);
  }
  const struct {
    QByteArray file;
    const char* message;
  } cases[] = {
      {bytes.left(bytes.size() / 2), "The report file is truncated."},
      {bytes.left(6), "The report file is truncated."},
      {otherVersion, "The report file has format version 2; this program reads version 1."},
      {"%PDF-1.4 not a report", "The file is not a saved report."},
      {QByteArray(), "The file is not a saved report."},
      {bytes + "x", "The report file is damaged."},
      {hugeCount, "The report file is truncated."},
  };
  for (const auto& c : cases) {
    try {
      ReadReportFile(c.file);
      ADD_FAILURE() << c.message;
    } catch (const ReportFileError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace reportengine
