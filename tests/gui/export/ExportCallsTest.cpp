// The exact automation calls of the eight jobs, as the recording server
// sees them: members, argument types and values, and their order. The
// expected sequences are written from the jobs' descriptions (sheet: title
// in D1, bold header row 3, records from row 4, bold footer at counter + 7;
// document: bold underlined title, three paragraphs, a table of count + 1
// rows in Arial 10, AutoFormat 16 and the bold rows, the page footer).
#include <QPushButton>
#include <charconv>
#include <cstdio>
#include <optional>

#include "ExportFixture.h"
#include "unExportingDlg.h"

namespace exporttest {
namespace {

std::string Str(const std::string& s) {
  return "VT_BSTR \"" + s + "\"";
}
std::string I4(long long n) {
  return "VT_I4 " + std::to_string(n);
}
std::string I8(long long n) {
  return "VT_I8 " + std::to_string(n);
}
std::string Number(double x) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, x).ptr);
}
std::string R8(double x) {
  return "VT_R8 " + Number(x);
}
std::string Bool(bool b) {
  return b ? "VT_BOOL True" : "VT_BOOL False";
}
std::string DateOr(const std::optional<double>& d, const char* absent) {
  return d ? "VT_DATE " + Number(*d) : absent;
}

const std::string kFooter =
    "Created with \"Tabrix Mailbox Statistics\" -  https://www.tabrix.example/mailboxstats/";

struct Cell {
  Cell(std::string v) : value(std::move(v)) {}
  Cell(double kilobytes) : size(kilobytes) {}
  std::string value;           // what a plain column passes
  std::optional<double> size;  // kilobytes, for the size columns
};

// Record i of `kind`'s list, column by column.
std::vector<Cell> Columns(int kind, const Records& r, int i) {
  auto size = [](double bytes) { return Cell(bytes / 1024.0); };
  auto path = [](const std::string& p) { return p[0] == '/' ? p.substr(1, 260) : p; };
  if (kind <= 2) {
    const auto& m = *r.mailboxes[i];
    return {{Str(m.emailAddress)},
            {Str(m.displayName)},
            {Str(m.ntUserName)},
            size(static_cast<double>(m.messageSize)),
            {I8(m.contentCount)},
            {I8(m.assocContentCount)},
            {Str(m.storageLimitInformation)},
            {DateOr(m.lastLogonTime, "VT_EMPTY")},
            {DateOr(m.lastLogoffTime, "VT_EMPTY")}};
  }
  if (kind <= 4) {
    const auto& m = r.messages[i];
    return {{Bool(m.hasAttachment)},
            {Str(m.subject)},
            size(m.size),
            {DateOr(m.deliveryTime, "VT_NULL")}};
  }
  const auto& f = r.folders[i];
  std::vector<Cell> cells;
  if (kind >= 7) cells.push_back({Str(f.mailbox)});
  cells.push_back({Str(path(f.folderPath))});
  cells.push_back({I4(f.itemCount)});
  cells.push_back(size(f.size));
  return cells;
}

std::vector<std::string> Headers(int kind) {
  switch (kind) {
    case 1:
    case 2:
      return {"Mailbox Path",           "Mailbox",     "Last Logged on By Account",
              "Total Message Size (K)", "Total Items", "Assoc. Items",
              "Storage Limits",         "Last Logon",  "Last Logoff"};
    case 3:
    case 4:
      return {"Att.", "Subject", "Size (K)", "Date"};
    case 5:
      return {"Folder", "Items Count", "Size (K)"};
    case 6:
      return {"Folder", "Item Count", "Size (K)"};
    case 7:
      return {"Mailbox", "Folder", "Items Count", "Size (K)"};
    default:
      return {"Mailbox", "Folder", "Item Count", "Size (K)"};
  }
}

std::string Title(int kind, const std::string& title) {
  switch ((kind + 1) / 2) {
    case 1:
      return "Mailbox Statistis for " + title;
    case 2:
      return "Report for folder " + title;
    case 3:
      return "Report for mailbox " + title;
    default:
      return kind == 7 ? "Mailbox Statistis" : "Mailbox Statistics";
  }
}

// The sheet's calls for `written` records and the footer at counter + 7.
std::vector<std::string> SheetCalls(int kind, const Records& r, const std::string& title,
                                    int written, int counter) {
  const std::string sheet = "app.WorkBooks.Add().ActiveSheet";
  std::vector<std::string> c = {"get app.WorkBooks", "call app.WorkBooks.Add()", "get " + sheet};
  auto cell = [&](int row, int col) {
    return sheet + ".Cells.Item(VT_I4 " + std::to_string(row) + ", VT_I4 " + std::to_string(col) +
           ")";
  };
  auto put = [&](int row, int col, const std::string& member, const std::string& value) {
    c.insert(c.end(), {"get " + sheet + ".Cells", "get " + cell(row, col),
                       "put " + cell(row, col) + "." + member + " = " + value});
  };
  auto font = [&](int row, int col, const std::string& member, const std::string& value) {
    c.insert(c.end(),
             {"get " + sheet + ".Cells", "get " + cell(row, col), "get " + cell(row, col) + ".Font",
              "put " + cell(row, col) + ".Font." + member + " = " + value});
  };
  put(1, 4, "Value", Str(Title(kind, title)));
  font(1, 4, "Size", I4(11));
  font(1, 4, "FontStyle", Str("Bold"));
  font(1, 4, "Name", Str("Arial"));
  const auto headers = Headers(kind);
  for (std::size_t col = 1; col <= headers.size(); ++col) {
    put(3, col, "Value", Str(headers[col - 1]));
    font(3, col, "FontStyle", Str("Bold"));
  }
  for (int i = 0; i < written; ++i) {
    const auto cells = Columns(kind, r, i);
    std::vector<int> order;
    for (std::size_t col = 1; col <= cells.size(); ++col) order.push_back(col);
    if (kind == 3) order = {1, 2, 4, 3};  // the size cell last
    for (int col : order) {
      const Cell& v = cells[col - 1];
      if (v.size) {
        put(i + 4, col, "NumberFormat", Str("##0.00"));
        put(i + 4, col, "Value", R8(*v.size));
      } else {
        put(i + 4, col, "Value", v.value);
      }
    }
  }
  put(counter + 7, 1, "Value", Str(kFooter));
  font(counter + 7, 1, "FontStyle", Str("Bold"));
  c.push_back("put app.Visible = VT_BOOL True");
  return c;
}

// The document's calls for a table of count + 1 rows with `written`
// records filled.
std::vector<std::string> DocumentCalls(int kind, const Records& r, const std::string& title,
                                       int count, int written) {
  const std::string doc = "app.Documents.Add()";
  const auto headers = Headers(kind);
  const int columns = static_cast<int>(headers.size());
  const std::string table = doc + ".Tables.Add(VT_DISPATCH app.Selection.Range, " + I4(count + 1) +
                            ", " + I4(columns) + ")";
  std::vector<std::string> c = {"get app.Documents", "call " + doc, "get app.Selection"};
  auto selectionFont = [&](const std::string& member, int value) {
    c.insert(c.end(),
             {"get app.Selection.Font", "put app.Selection.Font." + member + " = " + I4(value)});
  };
  selectionFont("Bold", 1);
  selectionFont("Underline", 1);
  c.push_back("call app.Selection.TypeText(" + Str(Title(kind, title)) + ")");
  selectionFont("Underline", 0);
  for (int i = 0; i < 3; ++i) c.push_back("call app.Selection.TypeParagraph()");
  c.insert(c.end(), {"get " + doc + ".Tables", "get app.Selection.Range", "call " + table});
  auto range = [&](int row, int col) {
    return table + ".Cell(" + I4(row) + ", " + I4(col) + ").Range";
  };
  auto font = [&](int row, int col, const std::string& member, const std::string& value) {
    const std::string cellCall = table + ".Cell(" + I4(row) + ", " + I4(col) + ")";
    c.insert(c.end(),
             {"call " + cellCall, "get " + range(row, col), "get " + range(row, col) + ".Font",
              "put " + range(row, col) + ".Font." + member + " = " + value});
  };
  auto text = [&](int row, int col, const std::string& value) {
    const std::string cellCall = table + ".Cell(" + I4(row) + ", " + I4(col) + ")";
    c.insert(c.end(), {"call " + cellCall, "get " + range(row, col),
                       "put " + range(row, col) + ".Text = " + value});
    font(row, col, "Size", I4(10));
    font(row, col, "Name", Str("Arial"));
  };
  for (int col = 1; col <= columns; ++col) text(1, col, Str(headers[col - 1]));
  for (int i = 0; i < written; ++i) {
    const auto cells = Columns(kind, r, i);
    for (int col = 1; col <= columns; ++col) {
      const Cell& v = cells[col - 1];
      char size[32];
      if (v.size) std::snprintf(size, sizeof size, "%.2f", *v.size);
      text(i + 2, col, v.size ? Str(size) : v.value);
    }
  }
  c.push_back("call " + table +
              ".AutoFormat(VT_I4 16, VT_BOOL True, VT_BOOL False, VT_BOOL False, VT_BOOL False, "
              "VT_BOOL False, VT_BOOL False, VT_BOOL False, VT_BOOL False, VT_BOOL True)");
  for (int col = 1; col <= columns; ++col) font(1, col, "Bold", I4(1));
  for (int col = 1; col <= columns; ++col) font(1, col, "Italic", I4(0));
  for (int col = 1; col <= columns; ++col) font(count + 1, col, "Bold", I4(0));
  const std::string footer = doc + ".Sections.Item(VT_I4 1).Footers.Item(VT_I4 1).Range";
  c.insert(c.end(), {"get " + doc + ".Sections", "get " + doc + ".Sections.Item(VT_I4 1)",
                     "get " + doc + ".Sections.Item(VT_I4 1).Footers",
                     "get " + doc + ".Sections.Item(VT_I4 1).Footers.Item(VT_I4 1)",
                     "get " + footer, "put " + footer + ".Text = " + Str(kFooter)});
  c.push_back("put app.Visible = VT_BOOL True");
  return c;
}

std::vector<std::string> Expected(int kind, const Records& r, const std::string& title, int count,
                                  int written, int counter) {
  return kind % 2 ? SheetCalls(kind, r, title, written, counter)
                  : DocumentCalls(kind, r, title, count, written);
}

struct SequenceCase {
  int kind;
  int records;
};

class ExportCallsTest : public ExportFixture, public ::testing::WithParamInterface<SequenceCase> {};

// A complete export: every record, the footer on row N + 7 or in the page
// footer, the application made visible. The application runs already, so
// the job attaches to it and never hides it.
TEST_P(ExportCallsTest, ACompleteExportMakesExactlyTheDescribedCalls) {
  const auto [kind, n] = GetParam();
  StartApplication(kind % 2 ? kSheetClass : kDocumentClass);
  const Records records(n);
  const RunResult r = Run(kind, records, "SRV01", {});
  EXPECT_EQ(r.calls, Expected(kind, records, "SRV01", n, n, n));
  EXPECT_TRUE(dialogs.Texts().empty());
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.result, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ExportCallsTest,
    ::testing::Values(SequenceCase{1, 0}, SequenceCase{1, 3}, SequenceCase{1, 25},
                      SequenceCase{2, 0}, SequenceCase{2, 3}, SequenceCase{2, 25},
                      SequenceCase{3, 0}, SequenceCase{3, 3}, SequenceCase{3, 25},
                      SequenceCase{4, 0}, SequenceCase{4, 3}, SequenceCase{4, 25},
                      SequenceCase{5, 0}, SequenceCase{5, 3}, SequenceCase{5, 25},
                      SequenceCase{6, 0}, SequenceCase{6, 3}, SequenceCase{6, 25},
                      SequenceCase{7, 0}, SequenceCase{7, 3}, SequenceCase{7, 25},
                      SequenceCase{8, 0}, SequenceCase{8, 3}, SequenceCase{8, 25}),
    [](const auto& info) {
      return "Kind" + std::to_string(info.param.kind) + "With" + std::to_string(info.param.records);
    });

class ExportStopTest : public ExportFixture, public ::testing::WithParamInterface<int> {};

// Stop seen after record index 4: five records written, the counter at 4,
// so the sheet's footer stands on row 11; the document's table keeps all
// its rows and its last row is the one cleared of bold.
TEST_P(ExportStopTest, StopAfterIndexFourEndsTheLoopAndStillFinishes) {
  const int kind = GetParam();
  StartApplication(kind % 2 ? kSheetClass : kDocumentClass);
  const Records records(10);
  const RunResult r = Run(kind, records, "X", [](gui::TfrmProgress& d, int written) {
    if (written == 5) d.Button1->click();
  });
  EXPECT_EQ(r.calls, Expected(kind, records, "X", 10, 5, 4));
  EXPECT_EQ(r.barPosition, 5);
  EXPECT_EQ(r.result, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ExportStopTest, ::testing::Range(1, 9),
                         [](const auto& info) { return "Kind" + std::to_string(info.param); });

// An error raised by the application on a record's first cell: its text in
// a plain box, the loop ends with the counter at that record, and the
// finishing runs (sheet footer on row K + 7).
TEST_F(ExportFixture, AnErrorOnARecordIsShownAndTheFinishingStillRuns) {
  StartApplication(kSheetClass);
  const Records records(10);
  // Title 1, headers 3, then three Value calls per folder record: the first
  // cell of record index 3 is call 1 + 3 + 9 + 1.
  Recording(kSheetClass)->FailOn("Value", 14, "Unable to set the Value property");
  const RunResult r = Run(5, records, "Mailbox 0");
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Unable to set the Value property"});
  auto expected = SheetCalls(5, records, "Mailbox 0", 3, 3);
  const auto footer = expected.end() - 8;  // the footer's 7 calls and Visible
  const std::string failed =
      "put app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 7, VT_I4 1).Value = "
      "VT_BSTR \"Folder 3\"";
  expected.insert(footer,
                  {"get app.WorkBooks.Add().ActiveSheet.Cells",
                   "get app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 7, VT_I4 1)", failed});
  EXPECT_EQ(r.calls, expected);
  EXPECT_EQ(r.result, 1);
}

// When typing the title fails there is no table: the finishing formats
// nothing but the document still gets its footer and is shown.
TEST_F(ExportFixture, AnErrorBeforeTheTableLeavesOnlyTheFooterToFinish) {
  StartApplication(kDocumentClass);
  Recording(kDocumentClass)->FailOn("TypeText", 1, "Command failed");
  const RunResult r = Run(6, Records(3), "Mailbox 0");
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Command failed"});
  const std::string range =
      "app.Documents.Add().Sections.Item(VT_I4 1).Footers.Item(VT_I4 1).Range";
  ASSERT_GE(r.calls.size(), 3u);
  EXPECT_EQ(r.calls[r.calls.size() - 3], "get " + range);
  EXPECT_EQ(r.calls[r.calls.size() - 2], "put " + range + ".Text = " + Str(kFooter));
  EXPECT_EQ(r.calls.back(), "put app.Visible = VT_BOOL True");
  for (const std::string& call : r.calls) EXPECT_EQ(call.find("AutoFormat"), std::string::npos);
  EXPECT_EQ(r.result, 1);
}

// An error in the job's own finishing is shown too, and the application is
// still made visible and the dialog closed.
TEST_F(ExportFixture, AnErrorInTheFinishingIsShownAndTheDialogStillCloses) {
  StartApplication(kSheetClass);
  Recording(kSheetClass)->FailOn("FontStyle", 1 + 4 + 1, "Unable to set the FontStyle property");
  const RunResult r = Run(7, Records(2), "");
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Unable to set the FontStyle property"});
  EXPECT_EQ(r.calls.back(), "put app.Visible = VT_BOOL True");
  EXPECT_EQ(r.result, 1);
}

}  // namespace
}  // namespace exporttest
