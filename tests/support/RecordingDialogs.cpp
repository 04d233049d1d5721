#include "RecordingDialogs.h"

#include <QDialog>
#include <QWidget>

namespace testsupport {

int RecordingDialogs::ExecModal(QDialog& dialog) {
  dialogTitles.push_back(dialog.windowTitle().toStdString());
  if (modal.empty()) return QDialog::Rejected;
  auto answer = std::move(modal.front());
  modal.pop_front();
  return answer(dialog);
}

void RecordingDialogs::OneShot(QObject* context, int milliseconds, std::function<void()> fire) {
  timers.push_back(Timer{milliseconds, context, context != nullptr, std::move(fire)});
}

int RecordingDialogs::FireTimers() {
  std::vector<Timer> due;
  due.swap(timers);
  int fired = 0;
  for (Timer& timer : due) {
    if (timer.hadContext && !timer.context) continue;
    timer.fire();
    ++fired;
  }
  return fired;
}

std::optional<gui::SaveFileChoice> RecordingDialogs::SaveFileName(
    QWidget*, const gui::SaveFileRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return std::nullopt;
  auto answer = std::move(saveAnswers.front());
  saveAnswers.pop_front();
  return answer;
}

bool RecordingDialogs::PrintDialog(QWidget*, QPrinter&, int fromPage, int toPage) {
  printRanges.emplace_back(fromPage, toPage);
  return printAnswer;
}

void RecordingDialogs::RunPreview(QWidget& window) {
  previewTitles.push_back(window.windowTitle().toStdString());
  if (preview) preview(window);
}

void RecordingDialogs::Clear() {
  RecordingBoxes::Clear();
  dialogTitles.clear();
}

}  // namespace testsupport
