// The export dialog on 100,000 folder records into both office servers,
// offscreen: the time of each export from the start timer to the closed
// dialog (every cell a separate automation call, as the jobs make them),
// the size of the file written, and the process's peak resident memory.
//
// Usage: export_bench [RECORDS]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FolderRecords.h"
#include "GuiDialogs.h"
#include "MachineSetup.h"
#include "OleAuto.h"
#include "unExportingDlg.h"

namespace {

using Clock = std::chrono::steady_clock;

// A seam that shows nothing, keeps the start timer for the caller to fire
// and counts the messages it was asked to show.
class BenchDialogs final : public gui::TGuiDialogs {
 public:
  void ErrorBox(const std::string& text) override { Note(text); }
  void PlainBox(const std::string& text) override { Note(text); }
  void SystemBox(const std::string& text, const std::string&, mapi::BoxIcon) override {
    Note(text);
  }
  bool Question(const std::string& text) override {
    Note(text);
    return false;
  }
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  int ExecModal(QDialog&) override { return 0; }
  void OneShot(QObject*, int, std::function<void()> fire) override { timer = std::move(fire); }
  std::optional<gui::SaveFileChoice> SaveFileName(QWidget*, const gui::SaveFileRequest&) override {
    return std::nullopt;
  }
  bool PrintDialog(QWidget*, QPrinter&, int, int) override { return false; }
  void RunPreview(QWidget&) override {}

  std::function<void()> timer;
  int messages = 0;

 private:
  void Note(const std::string& text) {
    ++messages;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;

  char pattern[] = "/tmp/tabrix-export-bench-XXXXXX";
  const std::string root = mkdtemp(pattern);
  setenv("TABRIX_MACHINE", root.c_str(), 1);
  orgdb::MachineSetupOptions setup;
  setup.spreadsheetServer = TABRIX_SPREADSHEET_SERVER;
  setup.documentServer = TABRIX_DOCUMENT_SERVER;
  setup.linkMapiLibrary = true;
  setup.documentsFolder = root + "/Documents";
  std::filesystem::create_directories(setup.documentsFolder);
  std::string error;
  if (!orgdb::SetUpMachineRoot(root, setup, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  core::TMsgBoxReportList folders;
  for (int i = 0; i < count; ++i) {
    auto f = std::make_unique<core::TMsgBoxReport>();
    f->mailbox = "Mailbox " + std::to_string(i / 40);
    f->folderPath = "/Top of Information Store/Inbox/Folder " + std::to_string(i);
    f->itemCount = i % 5000;
    f->size = static_cast<std::uint32_t>(i) * 7919u;
    folders.push_back(std::move(f));
  }

  BenchDialogs dialogs;
  int status = 0;
  struct Run {
    int kind;
    const char* file;
  } runs[] = {{7, "Book1.xlsx"}, {8, "Document1.docx"}};
  for (const Run& run : runs) {
    gui::TfrmProgress dialog(nullptr, dialogs);
    dialog.SetExportData(&folders, "", run.kind);
    dialog.show();
    const auto start = Clock::now();
    if (dialogs.timer) dialogs.timer();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string path = setup.documentsFolder + "/" + run.file;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    std::printf("kind %d: %d records in %.2f s (%.1f us per record), %s %.1f MiB\n", run.kind,
                count, seconds, seconds * 1e6 / count, run.file,
                ec ? -1.0 : static_cast<double>(bytes) / 1048576.0);
    if (ec || dialog.result() != 1) status = 1;
  }
  std::printf("peak resident memory %.1f MiB\n", static_cast<double>(StatusKb("VmHWM:")) / 1024.0);
  if (dialogs.messages > 0) status = 1;
  automation::CoUninitialize();
  std::filesystem::remove_all(root);
  return status;
}
