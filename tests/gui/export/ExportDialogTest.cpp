// The export dialog's own behaviour: captions and the bar, Stop, the close
// rule, a missing application, kinds outside 1 to 8, reuse of a running
// application, and the values the jobs pass.
#include <QPushButton>

#include "ExportFixture.h"
#include "ExportValues.h"
#include "LocaleSettings.h"
#include "TProgressBar.h"
#include "Win32.h"

namespace exporttest {
namespace {

using Dialog = ExportFixture;

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST_F(Dialog, NoRecordsStillWriteTitleHeaderAndFinishing) {
  StartApplication(kSheetClass);
  const RunResult r = Run(5, Records(0), "Mailbox");
  EXPECT_EQ(r.barMaximum, 0);
  EXPECT_EQ(r.finalCaption, "Exporting...");
  EXPECT_TRUE(
      Contains(r.calls,
               "put app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 7, VT_I4 1).Font.FontStyle = "
               "VT_BSTR \"Bold\""));
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.result, 1);
  EXPECT_FALSE(r.visible);
}

// The caption names the zero-based index of the record just written, on
// every tenth record only, and never reaches the count.
TEST_F(Dialog, TwentyFiveFoldersShowThreeCaptions) {
  StartApplication(kDocumentClass);
  const RunResult r = Run(8, Records(25), "");
  ASSERT_GE(r.captions.size(), 25u);
  for (int i = 0; i < 25; ++i) {
    const int shown = i / 10 * 10;
    EXPECT_EQ(r.captions[i], "Exporting folder " + std::to_string(shown) + " of 25 ...") << i;
  }
  EXPECT_EQ(r.finalCaption, "Exporting folder 20 of 25 ...");
  EXPECT_EQ(r.barMaximum, 25);
  EXPECT_EQ(r.barPosition, 25);
}

// Stop pressed while record index 6 is written: that record is completed,
// the counter stays at 6 and the footer goes to row 13.
TEST_F(Dialog, StopAtIndexSixCompletesThatRecord) {
  StartApplication(kSheetClass);
  const RunResult r = Run(7, Records(20), "", [](gui::TfrmProgress& d, int written) {
    if (written == 7) d.Button1->click();
  });
  const std::string sheet = "app.WorkBooks.Add().ActiveSheet";
  EXPECT_TRUE(Contains(r.calls, "put " + sheet + ".Cells.Item(VT_I4 10, VT_I4 4).Value = VT_R8 6"));
  EXPECT_FALSE(Contains(r.calls, "get " + sheet + ".Cells.Item(VT_I4 11, VT_I4 1)"));
  EXPECT_TRUE(Contains(r.calls, "put " + sheet +
                                    ".Cells.Item(VT_I4 13, VT_I4 1).Font.FontStyle = "
                                    "VT_BSTR \"Bold\""));
  EXPECT_EQ(r.barPosition, 7);
  EXPECT_EQ(r.result, 1);
}

// Stop at the first and at the last record.
TEST_F(Dialog, StopAtTheFirstAndTheLastRecord) {
  StartApplication(kSheetClass);
  const std::string footerAt = "put app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 ";
  struct Row {
    int stopAfter;  // records written when Stop is pressed
    int footerRow;  // counter + 7
  } rows[] = {{1, 7}, {5, 11}};
  for (const Row& row : rows) {
    const RunResult r = Run(5, Records(5), "M", [&](gui::TfrmProgress& d, int written) {
      if (written == row.stopAfter) d.Button1->click();
    });
    EXPECT_TRUE(Contains(r.calls, footerAt + std::to_string(row.footerRow) +
                                      ", VT_I4 1).Font.FontStyle = VT_BSTR \"Bold\""))
        << row.stopAfter;
    EXPECT_EQ(r.barPosition, row.stopAfter);
  }
}

TEST_F(Dialog, StopAfterTheJobStartsNothingNew) {
  StartApplication(kSheetClass);
  const Records records(2);
  gui::TfrmProgress dialog(nullptr, dialogs);
  dialog.SetExportData(records.For(1), "SRV01", 1);
  EXPECT_FALSE(dialog.close());  // refused until stopped
  dialog.show();
  EXPECT_EQ(dialogs.FireTimers(), 1);
  EXPECT_EQ(dialog.result(), 1);
  const std::size_t calls = Recording(kSheetClass)->Calls().size();
  dialog.Button1->click();
  EXPECT_EQ(dialogs.FireTimers(), 0);
  EXPECT_EQ(Recording(kSheetClass)->Calls().size(), calls);
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_FALSE(dialog.isVisible());
}

// Neither a running nor a creatable application (the ProgID is gone, or
// the registered library is missing): one message, the dialog idle until
// Stop has been pressed twice.
TEST_F(Dialog, AnApplicationThatIsNotThereLeavesTheDialogIdle) {
  struct Row {
    int kind;
    const char* key;  // what is removed from the classes root
    const char* message;
  } rows[] = {
      {1, "Excel.Application", "Excel is unavailable!"},
      {4, "Word.Application", "Word is unavailable!"},
      {3, "CLSID\\{2F9D0C11-51AA-4B6E-8A01-3C55217E9001}\\InprocServer32", "Excel is unavailable!"},
  };
  for (const Row& row : rows) {
    dialogs.Clear();
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, row.key), ERROR_SUCCESS) << row.key;
    const Records records(3);
    gui::TfrmProgress dialog(nullptr, dialogs);
    dialog.SetExportData(records.For(row.kind), "T", row.kind);
    dialog.show();
    dialogs.FireTimers();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{row.message}) << row.key;
    EXPECT_EQ(dialog.windowTitle(), "Exporting...");
    EXPECT_EQ(dialog.ProgressBar1->Position(), 0);
    EXPECT_FALSE(dialog.close());
    dialog.Button1->click();
    EXPECT_TRUE(dialog.isVisible());
    dialog.Button1->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
  }
}

// Kinds 0 and 9: the timer fires once and nothing is exported; shown
// without a list, no timer starts at all.
TEST_F(Dialog, KindsOutsideTheTableAndAMissingListRunNothing) {
  const Records records(3);
  for (int kind : {0, 9}) {
    gui::TfrmProgress dialog(nullptr, dialogs);
    dialog.SetExportData(records.For(1), "T", kind);
    dialog.show();
    EXPECT_EQ(dialogs.FireTimers(), 1);
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_FALSE(Recording(kSheetClass));  // no application was even started
    EXPECT_TRUE(dialog.isVisible());
    dialog.Button1->click();
    dialog.Button1->click();
    EXPECT_FALSE(dialog.isVisible()) << kind;
  }
  gui::TfrmProgress dialog(nullptr, dialogs);
  dialog.SetExportData(static_cast<const core::TMailboxList*>(nullptr), "T", 1);
  dialog.show();
  EXPECT_TRUE(dialogs.timers.empty());
}

// Without a running application the job creates one, hidden while it is
// filled; the next export finds it running and adds to it.
TEST_F(Dialog, ACreatedApplicationIsReusedByTheNextExport) {
  const Records records(1);
  const RunResult first = Run(3, records, "Inbox");
  ASSERT_FALSE(first.calls.empty());
  EXPECT_EQ(first.calls.front(), "put app.Visible = VT_BOOL False");
  EXPECT_EQ(first.calls.back(), "put app.Visible = VT_BOOL True");
  const RunResult second = Run(3, records, "Inbox");
  ASSERT_FALSE(second.calls.empty());
  EXPECT_EQ(second.calls.front(), "get app.WorkBooks");  // attached, not created again
  EXPECT_EQ(second.calls.back(), "put app.Visible = VT_BOOL True");
}

// Bad records: long and 8-bit texts arrive as Unicode, whole; sizes and
// counts at the limits of their types.
TEST_F(Dialog, TextsAndNumbersAtTheirLimitsPassWhole) {
  StartApplication(kSheetClass);
  Records records(1);
  auto& m = *records.mailboxes[0];
  m.displayName = std::string(1000, 'x') + "\xE9\x80<&>\"\x01";
  m.messageSize = INT64_MAX;
  m.contentCount = INT64_MIN;
  auto& f = records.folders[0];
  f.folderPath = "/" + std::string(300, 'p');
  f.size = UINT32_MAX;
  f.itemCount = INT32_MIN;
  const std::string cell = "put app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 4, VT_I4 ";
  const RunResult mailboxes = Run(1, records, "S");
  EXPECT_TRUE(Contains(mailboxes.calls, cell + "2).Value = VT_BSTR \"" + std::string(1000, 'x') +
                                            "\u00e9\u20ac<&>\"\x01\""));
  EXPECT_TRUE(Contains(mailboxes.calls, cell + "4).Value = VT_R8 9007199254740992"));
  EXPECT_TRUE(Contains(mailboxes.calls, cell + "5).Value = VT_I8 -9223372036854775808"));
  const RunResult folders = Run(5, records, "S");
  EXPECT_TRUE(
      Contains(folders.calls, cell + "1).Value = VT_BSTR \"" + std::string(260, 'p') + "\""));
  EXPECT_TRUE(Contains(folders.calls, cell + "2).Value = VT_I4 -2147483648"));
  EXPECT_TRUE(Contains(folders.calls, cell + "3).Value = VT_R8 4194303.9990234375"));
}

TEST(ExportValuesTest, SizeTextsFormatsAndPaths) {
  struct Row {
    const char* decimal;
    double kilobytes;
    const char* text;
    const char* format;
  } rows[] = {
      {".", 1.5, "1.50", "##0.00"},  // 1536 bytes
      {".", 100 / 1024.0, "0.10", "##0.00"},
      {",", 2.0, "2,00", "##0,00"},                // the locale's separator, in both
      {".", 1234567.125, "1234567.13", "##0.00"},  // never grouped; to the nearest hundredth
      {".", 4194303.9990234375, "4194304.00", "##0.00"},
  };
  for (const Row& row : rows) {
    platform::SetLocaleForTesting({",", row.decimal, "%m/%d/%Y", "%H:%M:%S"});
    EXPECT_EQ(gui::SizeText(row.kilobytes), row.text);
    EXPECT_EQ(gui::SizeNumberFormat(), row.format);
  }
  platform::ResetLocaleForTesting();

  const std::string longPath = "/" + std::string(300, 'a');
  struct PathRow {
    std::string path;
    std::string written;
  } paths[] = {
      {"/Inbox", "Inbox"},
      {longPath, std::string(260, 'a')},         // characters 2 to 261
      {longPath.substr(1), longPath.substr(1)},  // without the slash: whole
      {"", ""},
      {"/", ""},
  };
  for (const PathRow& p : paths) EXPECT_EQ(gui::FolderPathText(p.path), p.written);
  // The records' Western code page becomes Unicode.
  EXPECT_EQ(gui::UnicodeText("Caf\xE9 \x80"), "Caf\u00e9 \u20ac");
}

}  // namespace
}  // namespace exporttest
