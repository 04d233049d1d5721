// The spreadsheet server on its own: its members, its errors, and the
// workbook it writes when shown, read back by openpyxl.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "LocaleSettings.h"
#include "OfficeReadback.h"
#include "OfficeServers.h"
#include "OleAuto.h"
#include "RaisedMessages.h"
#include "ServerBase.h"
#include "SheetModel.h"
#include "TestMachine.h"
#include "Win32.h"

namespace fs = std::filesystem;
using namespace automation;

namespace {

class SheetServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.SetUp());
    fs::create_symlink(fs::path(testsupport::TestMachine::BinDir()) / "libtabrixxl.so",
                       fs::path(machine.root()) / "system32" / "libtabrixxl.so");
    ASSERT_EQ(RegisterInprocServer(kSpreadsheetProgId, kSpreadsheetClass, kSpreadsheetModule),
              ERROR_SUCCESS);
    documents = testsupport::UseDocumentsFolder(machine.root());
    ComRef<IUnknown> created;
    ASSERT_EQ(CoCreateInstance(kSpreadsheetClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(created.Put())),
              S_OK);
    app = OleObject(QueryDispatch(created.get()));
  }
  void TearDown() override {
    app = OleObject();
    CoUninitialize();
  }
  OleObject Cell(const OleObject& sheet, int row, int column) {
    return sheet.Object("Cells").Object("Item", {row, column});
  }

  testsupport::TestMachine machine;
  std::string documents;
  OleObject app;
};

TEST_F(SheetServerTest, BadCallsRaiseTheirMessages) {
  const OleObject sheet = app.Object("WorkBooks").CallObject("Add").Object("ActiveSheet");
  automationtest::ExpectRaised({
      {[&] { Cell(sheet, 0, 1); }, "Cells.Item: row 0, column 1 is outside the sheet"},
      {[&] { Cell(sheet, 1048577, 1); }, "Cells.Item: row 1048577, column 1 is outside the sheet"},
      {[&] { Cell(sheet, 1, 16385); }, "Cells.Item: row 1, column 16385 is outside the sheet"},
      {[&] { Cell(sheet, 1, 1).Put("NumberFormat", "\"open"); }, "Invalid number format: \"open"},
      {[&] { Cell(sheet, 1, 1).Put("NumberFormat", ""); }, "Invalid number format"},
      {[&] { Cell(sheet, 1, 1).Object("Font").Put("FontStyle", "Heavy"); },
       "Unable to set the FontStyle property of the Font class: \"Heavy\""},
      {[&] { Cell(sheet, 1, 1).Object("Font").Put("Size", 0); },
       "Unable to set the Size property of the Font class"},
      {[&] { Cell(sheet, 1, 1).Put("Value", std::string(32768, 'x')); },
       "Unable to set the Value property of the Range class: a cell holds at most 32767 "
       "characters"},
      {[&] { Cell(sheet, 1, 1).Put("Value", Variant::Date(-1.5)); },
       "Unable to set the Value property of the Range class: dates before 1900 cannot be shown"},
      {[&] { Cell(sheet, 1, 1).Put("Colour", 3); }, "Member not found: Colour"},
  });
}

// A format in the user's notation is stored in the standard one, so that
// the cell shows its decimals in every locale; dates without a format get
// the locale's.
TEST(SheetFormatTest, UserNotationBecomesStandard) {
  const platform::LocaleSettings comma{".", ",", "%d.%m.%Y", "%H:%M:%S"};
  const platform::LocaleSettings point{",", ".", "%m/%d/%Y", "%I:%M:%S %p"};
  struct Row {
    const platform::LocaleSettings& locale;
    const char* given;
    const char* stored;
  } rows[] = {
      {comma, "##0,00", "##0.00"},
      {comma, "#.##0,00", "#,##0.00"},            // both separators swap at once
      {comma, R"(0,0\,"a,b")", R"(0.0\,"a,b")"},  // escaped and quoted text stays
      {point, "##0.00", "##0.00"},
      {point, "#,##0.00;[Red]-#,##0.00", "#,##0.00;[Red]-#,##0.00"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(automation::server::StandardNumberFormat(r.given, r.locale), r.stored) << r.given;
  EXPECT_THROW(automation::server::StandardNumberFormat("0;0;0;0;0", point),
               automation::server::ServerError);
  EXPECT_EQ(automation::server::DateNumberFormat(38777.5, comma), "dd.mm.yyyy hh:mm:ss");
  EXPECT_EQ(automation::server::DateNumberFormat(38777, point), "mm/dd/yyyy");
  EXPECT_EQ(automation::server::DateNumberFormat(0.75, point), "hh:mm:ss AM/PM");
}

// Shown, the workbook becomes Book1.xlsx with every value type in its cell
// type and the fonts set. The server reads the locale of the C library
// (the C locale here).
TEST_F(SheetServerTest, AShownWorkbookIsARealFileWithEveryCellType) {
  // Member names are matched without regard to case.
  const OleObject sheet = app.Object("workbooks").CallObject("ADD").Object("activesheet");
  Cell(sheet, 1, 4).Put("value", "Title <&> \"\x01\"");
  Cell(sheet, 1, 4).Object("Font").Put("Size", 11);
  Cell(sheet, 1, 4).Object("Font").Put("FontStyle", "Bold Italic");
  Cell(sheet, 1, 4).Object("Font").Put("Name", "Arial");
  Cell(sheet, 2, 1).Put("NumberFormat", "##0.00");
  Cell(sheet, 2, 1).Put("Value", 1.5);
  Cell(sheet, 2, 2).Put("Value", true);
  Cell(sheet, 2, 3).Put("Value", std::int64_t{9007199254740993});
  Cell(sheet, 2, 4).Put("Value", Variant::Date(38777.5));
  Cell(sheet, 2, 5).Put("Value", Variant::Date(0.75));  // a time without a date
  Cell(sheet, 2, 6).Put("Value", Variant::Null());
  Cell(sheet, 2, 7).Put("Value", Variant());
  Cell(sheet, 2, 8).Put("Value", std::string(1000, 'y') + "\u00e9\u20ac");
  EXPECT_EQ(*Cell(sheet, 1, 4).Object("Font").Get("FontStyle").If<std::string>(), "Bold Italic");
  app.Put("Visible", true);

  const auto book = testsupport::ReadOffice("xlsx", documents + "/Book1.xlsx");
  ASSERT_TRUE(book.is_object());
  const auto& c = book["cells"];
  // A control character is kept in the file's own escape, which the
  // spreadsheet application decodes (openpyxl shows it as written).
  EXPECT_EQ(c["D1"]["value"], "Title <&> \"_x0001_\"");
  EXPECT_EQ(c["D1"]["bold"], true);
  EXPECT_EQ(c["D1"]["italic"], true);
  EXPECT_EQ(c["D1"]["size"], 11);
  EXPECT_EQ(c["D1"]["font"], "Arial");
  EXPECT_EQ(c["A2"]["value"], 1.5);
  EXPECT_EQ(c["A2"]["format"], "##0.00");
  EXPECT_EQ(c["B2"]["type"], "b");
  EXPECT_EQ(c["B2"]["value"], true);
  EXPECT_EQ(c["C2"]["value"], 9007199254740992.0);  // a sheet holds doubles
  EXPECT_EQ(c["D2"]["value"], "2006-03-01T12:00:00");
  EXPECT_EQ(c["D2"]["format"], "mm/dd/yyyy hh:mm:ss");
  EXPECT_EQ(c["E2"]["value"], "18:00:00");
  EXPECT_FALSE(c.contains("F2"));
  EXPECT_FALSE(c.contains("G2"));
  EXPECT_EQ(c["H2"]["value"], std::string(1000, 'y') + "\u00e9\u20ac");
}

// Shown again after another Add, only the new workbook is written, as
// Book2; a name already taken in the folder is skipped.
TEST_F(SheetServerTest, EachNewWorkbookGetsTheNextFreeName) {
  app.Object("WorkBooks").CallObject("Add");
  app.Put("Visible", true);
  std::ofstream(documents + "/Book2.xlsx") << "the user's own";
  app.Object("WorkBooks").CallObject("Add");
  app.Put("Visible", true);
  EXPECT_TRUE(fs::exists(documents + "/Book1.xlsx"));
  EXPECT_EQ(fs::file_size(documents + "/Book2.xlsx"), 14u);  // untouched
  EXPECT_TRUE(fs::exists(documents + "/Book3.xlsx"));
  EXPECT_EQ(*app.Object("WorkBooks").Get("Count").If<std::int32_t>(), 2);
}

// A documents folder that cannot be written: the error names the file and
// nothing is left behind, not even a part of it.
TEST_F(SheetServerTest, AFolderThatCannotBeWrittenIsAnErrorAndLeavesNoFile) {
  Cell(app.Object("WorkBooks").CallObject("Add").Object("ActiveSheet"), 1, 1).Put("Value", 1);
  // A folder below a plain file cannot be written, whoever runs the test.
  std::ofstream(documents + "/plain") << "x";
  const std::string ini = machine.root() + "/machine.ini";
  std::ifstream in(ini);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text.replace(text.find("Personal=" + documents), 9 + documents.size(),
               "Personal=" + documents + "/plain/sub");
  std::ofstream(ini, std::ios::trunc) << text;
  try {
    app.Put("Visible", true);
    ADD_FAILURE() << "no error";
  } catch (const EOleError& e) {
    EXPECT_NE(std::string(e.what()).find(documents + "/plain/sub/Book1.xlsx"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(documents), fs::directory_iterator()), 1);
}

}  // namespace
