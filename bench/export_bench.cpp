// The mailbox list exported through the real export jobs, each export in a
// process of its own, against Python writing the same file:
//   kind 1, mailboxes into the spreadsheet (.xlsx), against openpyxl;
//   kind 2, mailboxes into the document (.docx), against python-docx.
// Each side is timed from spawn to exit (best of the rounds), and the
// export alone as each process reports it; the ratios put the export
// first, Python second. Peak resident memory comes from wait4.
//
// Usage: export_bench [SHEET_RECORDS [DOCUMENT_RECORDS [ROUNDS]]]
//        (defaults 100000, 10000, 3)
//        export_bench --export KIND RECORDS ROOT    (one export; internal)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ExportValues.h"
#include "LocaleSettings.h"
#include "MailboxCompare.h"
#include "OleAuto.h"
#include "SheetModel.h"
#include "unExportingDlg.h"

extern char** environ;

namespace {

using benchsupport::Clock;
using benchsupport::Seconds;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kServerName = "SRV01";

// The records, built the same way by the Python scripts below: every field
// filled, dates with a time of day.
core::TMailboxList MakeMailboxes(int count) {
  core::TMailboxList list;
  list.reserve(count);
  for (int i = 0; i < count; ++i) {
    auto r = std::make_unique<core::acTableContent>();
    r->emailAddress =
        "/o=Tabrix/ou=First Administrative Group/cn=Recipients/cn=user" + std::to_string(i);
    r->displayName = "User " + std::to_string(i);
    r->ntUserName = "TABRIX\\user" + std::to_string(i);
    r->messageSize = static_cast<std::int64_t>(i) * 104729;
    r->contentCount = i % 20000;
    r->assocContentCount = i % 50;
    r->storageLimitInformation = "Below Limit";
    r->lastLogonTime = 45000.0 + i % 1000 + 0.5;
    r->lastLogoffTime = *r->lastLogonTime + 0.25;
    list.push_back(std::move(r));
  }
  return list;
}

// One export in this process: prints the export's own seconds.
int ExportOnce(int kind, int count, const std::string& root) {
  orgdb::MachineSetupOptions setup;
  setup.spreadsheetServer = TABRIX_SPREADSHEET_SERVER;
  setup.documentServer = TABRIX_DOCUMENT_SERVER;
  setup.linkMapiLibrary = true;
  setup.documentsFolder = root + "/Documents";
  std::filesystem::create_directories(setup.documentsFolder);
  setenv("TABRIX_MACHINE", root.c_str(), 1);
  std::string error;
  if (!orgdb::SetUpMachineRoot(root, setup, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const core::TMailboxList mailboxes = MakeMailboxes(count);
  benchsupport::SilentDialogs dialogs;
  int status = 0;
  {
    gui::TfrmProgress dialog(nullptr, dialogs);
    dialog.SetExportData(&mailboxes, kServerName, kind);
    dialog.show();
    const auto start = Clock::now();
    if (dialogs.timer) dialogs.timer();
    const double seconds = Seconds(start);
    const std::string path =
        setup.documentsFolder + (kind == 1 ? "/Book1.xlsx" : "/Document1.docx");
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    std::printf("%.6f %lld\n", seconds, ec ? -1LL : static_cast<long long>(bytes));
    if (ec || !dialogs.timer || dialog.result() != 1 || dialogs.messages > 0) status = 1;
  }
  automation::CoUninitialize();
  return status;
}

// openpyxl, writing what the spreadsheet job writes: the title in D1 in
// Arial 11 bold, the bold header row 3, a row per record from row 4 (the
// size with the size format, dates as numbers with the date format) and
// the bold footer in column A three rows below the last record.
constexpr const char* kSheetScript = R"PY(
import sys, time
from openpyxl import Workbook
from openpyxl.styles import Font
count, path, title, footer, size_format, date_format = (
    int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6])
headers = sys.argv[7:]
rows = []
for i in range(count):
    logon = 45000.0 + i % 1000 + 0.5
    rows.append(("/o=Tabrix/ou=First Administrative Group/cn=Recipients/cn=user%d" % i,
                 "User %d" % i, "TABRIX\\user%d" % i, i * 104729 / 1024.0, i % 20000,
                 i % 50, "Below Limit", logon, logon + 0.25))
start = time.monotonic()
book = Workbook()
sheet = book.active
bold = Font(bold=True)
cell = sheet.cell(row=1, column=4, value=title)
cell.font = Font(name="Arial", size=11, bold=True)
for c, header in enumerate(headers, 1):
    sheet.cell(row=3, column=c, value=header).font = bold
for i, r in enumerate(rows):
    row = i + 4
    for c, value in enumerate(r, 1):
        cell = sheet.cell(row=row, column=c, value=value)
        if c == 4:
            cell.number_format = size_format
        elif c >= 8:
            cell.number_format = date_format
cell = sheet.cell(row=count + 7, column=1, value=footer)
cell.font = bold
book.save(path)
print("%.6f" % (time.monotonic() - start))
)PY";

// python-docx, writing what the document job writes: the bold underlined
// title, two empty paragraphs, a grid table of a header row and a row per
// record with every cell in Arial 10 (the header bold), and the footer.
// Cells are reached through each row's own elements, because row.cells in
// python-docx 0.8 walks the whole table on every call.
constexpr const char* kDocumentScript = R"PY(
import sys, time
from datetime import datetime, timedelta
from docx import Document
from docx.shared import Pt
from docx.table import _Cell
count, path, title, footer, decimal, date_format, time_format = (
    int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6],
    sys.argv[7])
headers = sys.argv[8:]
epoch = datetime(1899, 12, 30)
def date_text(days):
    t = epoch + timedelta(days=days)
    return t.strftime(date_format) + " " + t.strftime(time_format)
rows = []
for i in range(count):
    logon = 45000.0 + i % 1000 + 0.5
    rows.append(("/o=Tabrix/ou=First Administrative Group/cn=Recipients/cn=user%d" % i,
                 "User %d" % i, "TABRIX\\user%d" % i,
                 ("%.2f" % (i * 104729 / 1024.0)).replace(".", decimal), str(i % 20000),
                 str(i % 50), "Below Limit", date_text(logon), date_text(logon + 0.25)))
start = time.monotonic()
document = Document()
run = document.add_paragraph().add_run(title)
run.bold = True
run.underline = True
document.add_paragraph()
document.add_paragraph()
table = document.add_table(rows=count + 1, cols=len(headers))
table.style = "Table Grid"
def write(tr, values, bold):
    for tc, value in zip(tr.tc_lst, values):
        run = _Cell(tc, table).paragraphs[0].add_run(value)
        run.font.name = "Arial"
        run.font.size = Pt(10)
        if bold:
            run.bold = True
trs = table._tbl.tr_lst
write(trs[0], headers, True)
for tr, values in zip(trs[1:], rows):
    write(tr, values, False)
document.sections[0].footer.paragraphs[0].text = footer
document.save(path)
print("%.6f" % (time.monotonic() - start))
)PY";

struct Run {
  double seconds = 0;       // spawn to exit
  double innerSeconds = 0;  // as the process reports it
  long maxRssKb = 0;
  long long bytes = -1;
};

Run Spawn(const std::vector<std::string>& args) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) {
    std::perror("pipe");
    std::exit(2);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::perror(argv[0]);
    std::exit(2);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(out[0]);
  rusage usage{};
  int status = 0;
  wait4(pid, &status, 0, &usage);
  Run run;
  run.seconds = Seconds(start);
  run.maxRssKb = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(text.c_str(), "%lf %lld", &run.innerSeconds, &run.bytes) < 1) {
    std::fprintf(stderr, "%s failed (status %d): %s\n", args[1].c_str(), status, text.c_str());
    std::exit(1);
  }
  return run;
}

// The best of `rounds` by time from spawn to exit, with the highest peak
// memory of any round.
Run Best(int rounds, const std::function<Run(int)>& once) {
  Run best;
  best.seconds = 1e300;
  long peak = 0;
  for (int i = 0; i < rounds; ++i) {
    const Run run = once(i);
    peak = std::max(peak, run.maxRssKb);
    if (run.seconds < best.seconds) best = run;
  }
  best.maxRssKb = peak;
  return best;
}

long long FileBytes(const std::string& path) {
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(bytes);
}

void Report(const char* what, int count, const Run& ours, const char* baseline, const Run& theirs,
            double target) {
  const double ratio = ours.seconds / theirs.seconds;
  std::printf("%s, %d records:\n", what, count);
  std::printf("  export job  %7.3f s process (%7.3f s export), peak RSS %7.1f MiB, %lld bytes\n",
              ours.seconds, ours.innerSeconds, ours.maxRssKb / 1024.0, ours.bytes);
  std::printf("  %-10s  %7.3f s process (%7.3f s writing), peak RSS %7.1f MiB, %lld bytes\n",
              baseline, theirs.seconds, theirs.innerSeconds, theirs.maxRssKb / 1024.0,
              theirs.bytes);
  std::printf("  ratio %.3f by process, %.3f by export alone (target at most %.2f: %s)\n", ratio,
              ours.innerSeconds / theirs.innerSeconds, target, ratio <= target ? "met" : "MISSED");
}

std::vector<std::string> Headers(int kind) {
  std::vector<std::string> out;
  for (const gui::TExportColumn& column : gui::FindExportJob(kind)->columns)
    out.emplace_back(column.header);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  if (argc == 5 && std::strcmp(argv[1], "--export") == 0) {
    QApplication app(argc, argv);
    return ExportOnce(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  }
  const int sheetCount = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int documentCount = argc > 2 ? std::atoi(argv[2]) : 10000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

  char pattern[] = "/tmp/tabrix-export-bench-XXXXXX";
  const std::string root = mkdtemp(pattern);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string sheetScript = root + "/sheet.py";
  const std::string documentScript = root + "/document.py";
  std::ofstream(sheetScript) << kSheetScript;
  std::ofstream(documentScript) << kDocumentScript;

  const platform::LocaleSettings& locale = platform::CurrentLocale();
  const std::string title = gui::FindExportJob(1)->title + std::string(kServerName);
  int run = 0;
  auto ours = [&](int kind, int count) {
    return [&, kind, count](int) {
      const std::string dir = root + "/run" + std::to_string(++run);
      const Run r = Spawn({self, "--export", std::to_string(kind), std::to_string(count), dir});
      std::filesystem::remove_all(dir);
      return r;
    };
  };

  const Run sheet = Best(rounds, ours(1, sheetCount));
  std::vector<std::string> sheetArgs = {
      kPython,
      sheetScript,
      std::to_string(sheetCount),
      root + "/openpyxl.xlsx",
      title,
      gui::kExportFooter,
      automation::server::StandardNumberFormat(gui::SizeNumberFormat(), locale),
      automation::server::DateNumberFormat(45000.5, locale)};
  for (const std::string& h : Headers(1)) sheetArgs.push_back(h);
  Run openpyxl = Best(rounds, [&](int) { return Spawn(sheetArgs); });
  openpyxl.bytes = FileBytes(root + "/openpyxl.xlsx");

  const Run document = Best(rounds, ours(2, documentCount));
  std::vector<std::string> documentArgs = {kPython,
                                           documentScript,
                                           std::to_string(documentCount),
                                           root + "/python-docx.docx",
                                           title,
                                           gui::kExportFooter,
                                           locale.decimalSeparator,
                                           locale.shortDateFormat,
                                           locale.longTimeFormat};
  for (const std::string& h : Headers(2)) documentArgs.push_back(h);
  Run pythonDocx = Best(rounds, [&](int) { return Spawn(documentArgs); });
  pythonDocx.bytes = FileBytes(root + "/python-docx.docx");

  std::printf("best of %d, each export in a process of its own\n", rounds);
  Report("kind 1, mailboxes into the spreadsheet", sheetCount, sheet, "openpyxl", openpyxl, 0.5);
  Report("kind 2, mailboxes into the document", documentCount, document, "python-docx", pythonDocx,
         0.25);
  std::filesystem::remove_all(root);
  return 0;
}
