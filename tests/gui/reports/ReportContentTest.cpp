// The four reports built on the engine and read back line by line through
// the text export and through the PDF export: each row names one line a
// report must print, with the reason it is right.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>

#include "LocaleSettings.h"
#include "PageBuilder.h"
#include "Readers.h"
#include "RecordingDialogs.h"
#include "SaveFormats.h"
#include "TextRenderer.h"
#include "unAllMailBoxes.h"
#include "unFolderPrint.h"
#include "unMailboxReport.h"
#include "unReport.h"

namespace {

using reportengine::Document;

// The pages of `report`, printed at 24 December 2026 10:30.
Document Build(reportengine::Report& report) {
  reportengine::BuildOptions options;
  options.printTime = QDateTime(QDate(2026, 12, 24), QTime(10, 30));
  return reportengine::BuildPages(report, options).value();
}

// The printed lines, blanks made single: the engine's text export, and its
// PDF export as pdftotext lays it out.
QStringList Normalised(const QString& text) {
  QStringList lines;
  for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\n\\f]"))))
    if (const QString simple = line.simplified(); !simple.isEmpty()) lines << simple;
  return lines;
}
QStringList TextLines(const Document& document) {
  return Normalised(QString::fromUtf8(reportengine::RenderText(document)));
}
QStringList PdfLines(const Document& document) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("report.pdf"));
  reportengine::SaveDocument(document, reportengine::SaveFormat::Pdf, path);
  return Normalised(reportengine::test::RunTool("pdftotext", {"-layout", path, "-"}).out);
}

constexpr double kDec24At1030 = 46380.4375;  // days since 30 December 1899
constexpr double kDec24At1800 = 46380.75;

core::TMailboxList Mailboxes() {
  core::TMailboxList list;
  list.push_back(std::make_unique<core::acTableContent>(
      core::acTableContent{.emailAddress = "/O=ORG/OU=SITE/CN=RECIPIENTS/CN=JSMITH",
                           .displayName = "Alpha",
                           .ntUserName = "CORP\\alpha",
                           .messageSize = 1536,
                           .contentCount = 10,
                           .storageLimitInformation = "Below Limit"}));
  list.push_back(std::make_unique<core::acTableContent>(
      core::acTableContent{.displayName = "Beta",
                           .messageSize = 2048000,
                           .contentCount = 12345,
                           .lastLogonTime = kDec24At1030,
                           .lastLogoffTime = kDec24At1800,
                           .storageLimitInformation = "Disabled"}));
  return list;
}

Document ListReport(testsupport::RecordingDialogs& dialogs) {
  const core::TMailboxList mailboxes = Mailboxes();
  gui::TQRReport form(dialogs, nullptr);
  form.SetMailboxes(mailboxes);
  form.SetTitle(QStringLiteral("Mailbox Statistis for SRV01"));
  return Build(form.QuickRep1);
}

const core::TFolderMessageList kMessages = {{true, "Budget", 1024, kDec24At1030},
                                            {false, "", 2048, kDec24At1800},
                                            {false, "Notes", 512, {}}};

Document FolderReport(testsupport::RecordingDialogs& dialogs) {
  gui::TfrmFolderPrint form(dialogs, nullptr);
  form.SetMessages(kMessages);
  form.SetTitle(QStringLiteral("Statistis for John Smith\\Inbox"));
  return Build(form.QuickRepFolder);
}

Document MailboxReport(testsupport::RecordingDialogs& dialogs,
                       const core::TMsgBoxReportList& folders) {
  gui::TfrmMailboxReport form(dialogs, nullptr);
  form.SetFolders(folders);
  form.SetTitle(QStringLiteral("Statistis for John Smith"));
  return Build(form.QuickRep);
}

// Together 3,000,000,000 bytes: more than a signed 32-bit total holds.
const core::TMsgBoxReportList kTwoFolders = {{"John Smith", "/Inbox/Projects", 1200, 2000000000u},
                                             {"John Smith", "Sent", 34, 1000000000u}};

const core::TMsgBoxReportList kTwoMailboxes = {{"Alice", "/Inbox", 3, 1536},
                                               {"Alice", "/Sent", 4, 2048000},
                                               {"Bob", "/Inbox", 5, 1024},
                                               {"Bob", "/Deleted Items", 6, 0}};

Document AllMailboxes(testsupport::RecordingDialogs& dialogs,
                      const core::TMsgBoxReportList& folders) {
  gui::TfrmAllMailBoxes form(dialogs, nullptr);
  form.FillTable(folders);
  form.SetTitle(QStringLiteral("Mailbox Statistis"));
  return Build(form.QuickRepAllBox);
}

enum class Sample { List, Folder, Mailbox, EmptyMailbox, AllMailboxes };

struct LineRow {
  const char* why;
  Sample sample;
  const char* line;  // the cells, blank-separated
};

const LineRow kLines[] = {
    {"title centred alone on its line", Sample::List, "Mailbox Statistis for SRV01"},
    {"1536 + 2048000 bytes; 10 + 12345 items", Sample::List, "Summary: 2,001.5 K 12,355 Item(s)"},
    {"never logged on: both time cells empty", Sample::List,
     "Alpha CORP\\alpha 1.5 10 Below Limit"},
    {"times in the locale's date-time text", Sample::List,
     "Beta 2,000.0 12,345 Disabled 12/24/2026 10:30:00 12/24/2026 18:00:00"},
    {"the directory name in lower case", Sample::List, "/o=org/ou=site/cn=recipients/cn=jsmith"},
    {"the attachment column marks the first message", Sample::Folder,
     "* Budget 1.0 12/24/2026 10:30:00"},
    {"no subject prints an empty subject", Sample::Folder, "2.0 12/24/2026 18:00:00"},
    {"no delivery time prints an empty date", Sample::Folder, "Notes 0.5"},
    {"the column captions", Sample::Folder, "Subject Size K Date"},
    {"the page footer: time of printing as the locale writes it", Sample::Folder,
     "12/24/2026 10:30:00 Page # 1"},
    {"three printed messages", Sample::Folder, "3 Item(s)"},
    {"1024 + 2048 + 512 bytes", Sample::Folder, "3.5 K"},
    {"the leading slash dropped", Sample::Mailbox, "Inbox/Projects 1,200 1,953,125.0"},
    {"a path without a slash unchanged", Sample::Mailbox, "Sent 34 976,562.5"},
    {"a 64-bit total of 32-bit sizes", Sample::Mailbox, "Mailbox Size: 2,929,687.5 K"},
    {"1,200 + 34 items", Sample::Mailbox, "1,234 Item(s)"},
    {"no folders: the header still prints", Sample::EmptyMailbox,
     "Folder Folder Items # Folder Size (K)"},
    {"no folders: zero items", Sample::EmptyMailbox, "0 Item(s)"},
    {"no folders: zero size", Sample::EmptyMailbox, "Mailbox Size: 0.0 K"},
    {"no folders: the title still prints", Sample::EmptyMailbox, "Statistis for John Smith"},
    {"group header with its captions", Sample::AllMailboxes, "Alice Items Message Size"},
    {"1536 bytes in ##0.0", Sample::AllMailboxes, "/Inbox 3 1.5"},
    {"2,048,000 bytes without grouping", Sample::AllMailboxes, "/Sent 4 2000.0"},
    {"Alice's items: 3 + 4", Sample::AllMailboxes, "Total Items: 7"},
    {"Alice's size: 1.5 + 2000.0", Sample::AllMailboxes, "Total Message Size (K): 2001.5"},
    {"Bob's items alone: 5 + 6", Sample::AllMailboxes, "Total Items: 11"},
    {"Bob's size alone: 1.0 + 0.0", Sample::AllMailboxes, "Total Message Size (K): 1.0"},
};

class ReportContent : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"}); }
  void TearDown() override { platform::ResetLocaleForTesting(); }

  Document Pages(Sample sample) {
    switch (sample) {
      case Sample::List:
        return ListReport(dialogs);
      case Sample::Folder:
        return FolderReport(dialogs);
      case Sample::Mailbox:
        return MailboxReport(dialogs, kTwoFolders);
      case Sample::EmptyMailbox:
        return MailboxReport(dialogs, {});
      case Sample::AllMailboxes:
        return AllMailboxes(dialogs, kTwoMailboxes);
    }
    return {};
  }

  testsupport::RecordingDialogs dialogs;
};

TEST_F(ReportContent, EachLineReadsBackFromTextAndPdf) {
  std::map<Sample, std::pair<QStringList, QStringList>> read;
  for (const LineRow& row : kLines) {
    SCOPED_TRACE(row.why);
    auto [it, fresh] = read.try_emplace(row.sample);
    if (fresh) {
      const Document pages = Pages(row.sample);
      it->second = {TextLines(pages), PdfLines(pages)};
    }
    EXPECT_TRUE(it->second.first.contains(QString::fromUtf8(row.line)))
        << it->second.first.join('\n').toStdString();
    EXPECT_TRUE(it->second.second.contains(QString::fromUtf8(row.line)))
        << it->second.second.join('\n').toStdString();
  }
}

TEST_F(ReportContent, FolderSummaryCountsAboveSize) {
  const QStringList lines = TextLines(FolderReport(dialogs));
  EXPECT_LT(lines.indexOf("3 Item(s)"), lines.indexOf("3.5 K"));
}

// Every run over the data (preview, then print or save) starts over, and
// the progress follows the records: 0, 1 and 2 of 3, then the end.
TEST_F(ReportContent, EachRunStartsOverAndTellsItsProgress) {
  gui::TfrmFolderPrint form(dialogs, nullptr);
  form.SetMessages(kMessages);
  const QStringList first = TextLines(Build(form.QuickRepFolder));
  std::vector<int> percents;
  reportengine::BuildOptions options;
  options.printTime = QDateTime(QDate(2026, 12, 24), QTime(10, 30));
  options.progress = [&](int percent) {
    percents.push_back(percent);
    return true;
  };
  const auto second = reportengine::BuildPages(form.QuickRepFolder, options);
  ASSERT_TRUE(second);
  EXPECT_EQ(TextLines(*second), first);
  EXPECT_EQ(percents, (std::vector<int>{0, 33, 66, 100}));
  EXPECT_EQ(form.QuickRepFolder.Progress(), 100);
}

// Header 7.1 + two details of 6.4 + footer 12.7 + the 3.2 mm gap.
TEST_F(ReportContent, EachGroupIsFollowedByItsGap) {
  const Document pages = AllMailboxes(dialogs, kTwoMailboxes);
  std::vector<double> shaded;
  for (const auto& element : pages.pages.at(0).elements)
    if (const auto* fill = std::get_if<reportengine::FilledRect>(&element))
      shaded.push_back(fill->y);
  ASSERT_EQ(shaded.size(), 2u);
  EXPECT_NEAR(shaded[1] - shaded[0], 7.1 + 2 * 6.4 + 12.7 + 3.2, 0.01);
}

TEST_F(ReportContent, TableCutsNamesAndPathsAndNamesAgreeingIn64FormOneGroup) {
  const std::string first = std::string(64, 'A') + "-first";
  const std::string path = "/" + std::string(149, 'p');
  const core::TMsgBoxReportList folders = {{first, path, 1, 0},
                                           {std::string(64, 'A') + "-second", "/Inbox", 2, 0}};
  gui::TfrmAllMailBoxes form(dialogs, nullptr);
  form.FillTable(folders);
  EXPECT_EQ(std::get<QString>(form.MemoryTable.At(0, 0)), QString(64, 'A'));
  EXPECT_EQ(std::get<QString>(form.MemoryTable.At(0, 1)),
            QString::fromStdString(path.substr(0, 128)));
  const QStringList lines = TextLines(Build(form.QuickRepAllBox));
  EXPECT_EQ(lines.filter(QString(64, 'A')).size(), 1) << lines.join('\n').toStdString();
}

// 1,000 characters with a line break and a euro sign (Windows-1252 0x80).
TEST_F(ReportContent, LongDisplayNameWrapsWholeAndGrowsItsBand) {
  core::TMailboxList mailboxes;
  mailboxes.push_back(std::make_unique<core::acTableContent>());
  mailboxes[0]->displayName = std::string(500, 'x') + "\r\n" + std::string(497, 'y') + "\x80";
  mailboxes[0]->emailAddress = "/CN=LONG";
  gui::TQRReport form(dialogs, nullptr);
  form.SetMailboxes(mailboxes);
  QString printed;  // the runs of the name, in printing order
  const auto pathTop = [&] {
    double top = -1;
    printed.clear();
    const Document pages = Build(form.QuickRep1);
    for (const auto& element : pages.pages.at(0).elements) {
      const auto* run = std::get_if<reportengine::TextRun>(&element);
      if (run && run->text == "/cn=long") top = run->y;
      if (run && run->text.contains(QRegularExpression(QStringLiteral("^[xy€]+$"))))
        printed += run->text;
    }
    return top;
  };
  const double shortTop = [&] {
    const std::string name = mailboxes[0]->displayName;
    mailboxes[0]->displayName = "Short";
    const double top = pathTop();
    mailboxes[0]->displayName = name;
    return top;
  }();
  EXPECT_GT(pathTop(), shortTop + 10 * 3);  // ten wrapped lines and more
  EXPECT_EQ(printed, QString(500, 'x') + QString(497, 'y') + QStringLiteral("€"));
}

}  // namespace

// A 300-character path keeps 260 characters after its leading "/"; they
// wrap inside the path column and print whole.
TEST_F(ReportContent, MailboxReportCutsLongPathsAfter260Characters) {
  const std::string path = "/" + std::string(259, 'p') + "q" + std::string(40, 'r');
  const Document pages = MailboxReport(dialogs, {{"John Smith", path, 1, 1024}});
  QString printed;
  for (const auto& element : pages.pages.at(0).elements)
    if (const auto* run = std::get_if<reportengine::TextRun>(&element))
      if (run->text.contains(QRegularExpression(QStringLiteral("^[pqr]+$")))) printed += run->text;
  EXPECT_EQ(printed, QString(259, 'p') + QStringLiteral("q"));
}
