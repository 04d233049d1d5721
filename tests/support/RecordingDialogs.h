// The GUI's dialog seam for tests: the message boxes and the cursor are
// recorded as RecordingUserDialogs does; every window the program would run
// on its own is answered from a script, so that no test blocks on a window:
//   modal        run in turn for each modal dialog (none left: cancelled);
//   saveAnswers  taken in turn by each save-file dialog (none left: cancelled);
//   printAnswer  what every print dialog answers;
//   preview      run with each preview window (none: it is closed at once).
// Timers are kept with their interval and context until the test fires
// them with FireTimers.
#pragma once

#include <QPointer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "GuiDialogs.h"
#include "RecordingUserDialogs.h"

namespace testsupport {

class RecordingDialogs final : public RecordingBoxes<gui::TGuiDialogs> {
 public:
  int ExecModal(QDialog& dialog) override;
  void OneShot(QObject* context, int milliseconds, std::function<void()> fire) override;
  std::optional<gui::SaveFileChoice> SaveFileName(QWidget* owner,
                                                  const gui::SaveFileRequest& request) override;
  bool PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) override;
  void RunPreview(QWidget& preview) override;

  // Fires the timers kept so far, in the order they were started, and
  // forgets them; a timer whose context is gone is dropped unfired, as the
  // program's timer would be. Timers started while firing stay for the next
  // call. Returns how many fired.
  int FireTimers();

  // Forgets the boxes shown and the modal dialogs run so far.
  void Clear();

  std::vector<std::string> dialogTitles;  // every modal dialog run, by caption
  std::deque<std::function<int(QDialog&)>> modal;

  struct Timer {
    int milliseconds;
    QPointer<QObject> context;
    bool hadContext;  // a timer started without a context always fires
    std::function<void()> fire;
  };
  std::vector<Timer> timers;

  std::vector<gui::SaveFileRequest> saveRequests;
  std::deque<std::optional<gui::SaveFileChoice>> saveAnswers;
  std::vector<std::pair<int, int>> printRanges;  // the pages on offer, per print dialog
  bool printAnswer = false;
  std::vector<std::string> previewTitles;
  std::function<void(QWidget&)> preview;
};

}  // namespace testsupport
