// The eight jobs through the real office servers, each file read back by
// an independent reader: openpyxl for the workbooks, python-docx for the
// documents.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ExportFixture.h"
#include "LocaleSettings.h"
#include "MachineSetup.h"
#include "OfficeReadback.h"

namespace exporttest {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kFooter =
    "Created with \"Tabrix Mailbox Statistics\" -  https://www.tabrix.example/mailboxstats/";

// A machine root with both real servers set up and registered, as
// tabrix-org setup lays it out.
class RealServers : public ::testing::Test {
 protected:
  void SetUp() override {
    orgdb::MachineSetupOptions options;
    options.spreadsheetServer = testsupport::TestMachine::BinDir() + "/libtabrixxl.so";
    options.documentServer = testsupport::TestMachine::BinDir() + "/libtabrixwd.so";
    options.linkMapiLibrary = true;
    ASSERT_TRUE(machine.SetUp(options));
    documents = testsupport::UseDocumentsFolder(machine.root());
    platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
  }
  void TearDown() override {
    automation::CoUninitialize();
    platform::ResetLocaleForTesting();
  }
  void Export(int kind, const Records& records, const std::string& title) {
    gui::TfrmProgress dialog(nullptr, dialogs);
    dialog.SetExportData(records.For(kind), title, kind);
    dialog.SetMessagePump([] {});
    dialog.show();
    dialogs.FireTimers();
    EXPECT_EQ(dialog.result(), 1);
  }

  testsupport::TestMachine machine;
  testsupport::RecordingDialogs dialogs;
  std::string documents;
};

struct SheetCase {
  int kind;
  std::vector<std::string> headers;
  json firstRow;   // row 4: record index 0, as openpyxl reads it
  int sizeColumn;  // 0-based
  std::vector<int> dateColumns;
};

// Sheets: title D1 bold Arial 11, bold headers on row 3, the records from
// row 4 with the size format, Boolean and date cells, the bold footer on
// row 3 + 7.
TEST_F(RealServers, EverySheetReadsBackAsTheJobWroteIt) {
  const json noValue;
  const SheetCase cases[] = {
      {1,
       {"Mailbox Path", "Mailbox", "Last Logged on By Account", "Total Message Size (K)",
        "Total Items", "Assoc. Items", "Storage Limits", "Last Logon", "Last Logoff"},
       json::array({"/o=Org/ou=Site/cn=Recipients/cn=user0", "User 0", "CORP\\user0", 1.5, 10, 0,
                    noValue, "2006-03-01T12:00:00", "2006-03-01T18:00:00"}),
       3,
       {7, 8}},
      {3,
       {"Att.", "Subject", "Size (K)", "Date"},
       json::array({true, "Subject 0", 2.0, "2006-02-01T06:00:00"}),
       2,
       {3}},
      {5, {"Folder", "Items Count", "Size (K)"}, json::array({"Folder 0", 0, 0.0}), 2, {}},
      {7,
       {"Mailbox", "Folder", "Items Count", "Size (K)"},
       json::array({"Mailbox 0", "Folder 0", 0, 0.0}),
       3,
       {}},
  };
  const Records records(3);
  int book = 0;
  for (const SheetCase& c : cases) {
    Export(c.kind, records, "Title");
    const json sheet =
        testsupport::ReadOffice("xlsx", documents + "/Book" + std::to_string(++book) + ".xlsx");
    ASSERT_TRUE(sheet.is_object()) << c.kind;
    const json& cells = sheet["cells"];
    EXPECT_TRUE(cells["D1"]["bold"]) << c.kind;
    EXPECT_EQ(cells["D1"]["font"], "Arial");
    EXPECT_EQ(cells["D1"]["size"], 11);
    for (std::size_t i = 0; i < c.headers.size(); ++i) {
      const std::string at = std::string(1, static_cast<char>('A' + i)) + "3";
      EXPECT_EQ(cells[at]["value"], c.headers[i]) << c.kind << " " << at;
      EXPECT_TRUE(cells[at]["bold"]) << c.kind << " " << at;
      const std::string data = std::string(1, static_cast<char>('A' + i)) + "4";
      const json value = cells.contains(data) ? cells[data]["value"] : json();
      EXPECT_EQ(value, c.firstRow[i]) << c.kind << " " << data;
      const bool isDate = std::count(c.dateColumns.begin(), c.dateColumns.end(), i) > 0;
      if (!c.firstRow[i].is_null()) {
        EXPECT_EQ(cells[data]["date"], isDate) << c.kind << " " << data;
      }
    }
    const std::string size = std::string(1, static_cast<char>('A' + c.sizeColumn));
    for (int row = 4; row <= 6; ++row)
      EXPECT_EQ(cells[size + std::to_string(row)]["format"], "##0.00") << c.kind;
    EXPECT_FALSE(cells.contains("A7"));
    EXPECT_EQ(cells["A10"]["value"], kFooter);
    EXPECT_TRUE(cells["A10"]["bold"]);
  }
  EXPECT_EQ(cases[1].firstRow[0], true);  // the attachment mark is a Boolean cell
}

struct DocumentCase {
  int kind;
  std::string title;
  std::vector<std::string> secondRow;  // record index 0
};

// Documents: the bold underlined title, a table of the records plus the
// header row in Arial 10, the header bold and the rest not after the
// finishing, and the page footer.
TEST_F(RealServers, EveryDocumentReadsBackAsTheJobWroteIt) {
  const DocumentCase cases[] = {
      {2,
       "Mailbox Statistis for Title",
       {"/o=Org/ou=Site/cn=Recipients/cn=user0", "User 0", "CORP\\user0", "1.50", "10", "0", "",
        "03/01/2006 12:00:00", "03/01/2006 18:00:00"}},
      {4, "Report for folder Title", {"True", "Subject 0", "2.00", "02/01/2006 06:00:00"}},
      {6, "Report for mailbox Title", {"Folder 0", "0", "0.00"}},
      {8, "Mailbox Statistics", {"Mailbox 0", "Folder 0", "0", "0.00"}},
  };
  const Records records(3);
  int number = 0;
  for (const DocumentCase& c : cases) {
    Export(c.kind, records, "Title");
    const json doc = testsupport::ReadOffice(
        "docx", documents + "/Document" + std::to_string(++number) + ".docx");
    ASSERT_TRUE(doc.is_object()) << c.kind;
    EXPECT_EQ(doc["paragraphs"][0]["text"], c.title);
    EXPECT_TRUE(doc["paragraphs"][0]["bold"]);
    EXPECT_TRUE(doc["paragraphs"][0]["underline"]);
    EXPECT_EQ(doc["paragraphs"][1]["text"], "");
    EXPECT_EQ(doc["paragraphs"][2]["text"], "");
    ASSERT_EQ(doc["tables"].size(), 1u);
    const json& rows = doc["tables"][0]["rows"];
    ASSERT_EQ(rows.size(), 4u) << c.kind;
    for (std::size_t col = 0; col < c.secondRow.size(); ++col) {
      EXPECT_EQ(rows[1][col]["text"], c.secondRow[col]) << c.kind << " " << col;
      for (int row = 0; row < 4; ++row) {
        const json& cell = rows[row][col];
        if (cell["text"] == "") continue;
        EXPECT_EQ(cell["size"], 10) << c.kind;
        EXPECT_EQ(cell["font"], "Arial") << c.kind;
        EXPECT_EQ(cell["bold"], row == 0) << c.kind << " row " << row;
        EXPECT_FALSE(cell["italic"]);
      }
    }
    EXPECT_EQ(doc["footer"], kFooter);
  }
}

// No records: the one table row is both the header and the last row, so
// the finishing clears the bold it has just set.
TEST_F(RealServers, AnEmptyDocumentTableEndsWithAPlainHeader) {
  Export(6, Records(0), "Mailbox");
  const json doc = testsupport::ReadOffice("docx", documents + "/Document1.docx");
  ASSERT_TRUE(doc.is_object());
  const json& rows = doc["tables"][0]["rows"];
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0]["text"], "Folder");
  EXPECT_FALSE(rows[0][0]["bold"]);
}

// Texts with XML-special and control characters, long and 8-bit texts
// survive into both files.
TEST_F(RealServers, SpecialTextsArriveWholeInBothFiles) {
  Records records(1);
  const std::string subject = std::string(1000, 's') + " <&> \"\xE9\" \x01 tab\there";
  records.messages[0].subject = subject;
  Export(3, records, "F");
  Export(4, records, "F");
  const json sheet = testsupport::ReadOffice("xlsx", documents + "/Book1.xlsx");
  const json doc = testsupport::ReadOffice("docx", documents + "/Document1.docx");
  ASSERT_TRUE(sheet.is_object() && doc.is_object());
  const std::string unicode = std::string(1000, 's') + " <&> \"\u00e9\" ";
  // The workbook keeps the control character in its file escape; the
  // document shows it as its control picture and the tab as a tab.
  EXPECT_EQ(sheet["cells"]["B4"]["value"], unicode + "_x0001_ tab\there");
  EXPECT_EQ(doc["tables"][0]["rows"][1][1]["text"], unicode + "\u2401 tab\there");
}

// Every exported file opens in an office suite: LibreOffice converts each
// of the eight to PDF.
TEST_F(RealServers, EveryFileConvertsToPdfInAnOfficeSuite) {
  const std::string soffice = "/usr/bin/soffice";
  if (!fs::exists(soffice)) GTEST_SKIP() << "LibreOffice is not installed (scripts/setup.sh)";
  const Records records(3);
  std::string files;
  for (int kind = 1; kind <= 8; ++kind) {
    Export(kind, records, "Title");
    const int number = (kind + 1) / 2;
    files += " '" + documents + (kind % 2 ? "/Book" : "/Document") + std::to_string(number) +
             (kind % 2 ? ".xlsx'" : ".docx'");
  }
  const std::string out = machine.root() + "/pdf";
  const std::string command = soffice + " -env:UserInstallation=file://" + machine.root() +
                              "/office --headless --convert-to pdf --outdir '" + out + "'" + files +
                              " > '" + machine.root() + "/office.log' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const char* name :
       {"Book1", "Book2", "Book3", "Book4", "Document1", "Document2", "Document3", "Document4"}) {
    const std::string pdf = out + "/" + name + ".pdf";
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-") << pdf;  // soffice exits 0 even for a file it cannot load
  }
}

}  // namespace
}  // namespace exporttest
