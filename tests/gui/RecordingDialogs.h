// The dialog seam for tests: every message is recorded with its kind,
// caption and the hourglass depth at the moment it was shown; questions and
// modal dialogs are answered by a script, so no test blocks on a window.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "GuiDialogs.h"

namespace guitest {

enum class Kind { Error, Plain, System, Question };

struct Shown {
  Kind kind;
  std::string text;
  std::string caption;  // system boxes only
  mapi::BoxIcon icon = mapi::BoxIcon::None;
  int hourglassDepth = 0;  // hourglasses shown and not restored when it appeared
};

class RecordingDialogs final : public gui::TGuiDialogs {
 public:
  void ErrorBox(const std::string& text) override { Record(Kind::Error, text); }
  void PlainBox(const std::string& text) override { Record(Kind::Plain, text); }
  void SystemBox(const std::string& text, const std::string& caption, mapi::BoxIcon icon) override {
    shown.push_back(Shown{Kind::System, text, caption, icon, depth});
  }
  bool Question(const std::string& text) override {
    Record(Kind::Question, text);
    return answerYes;
  }
  void ShowHourglass() override {
    ++depth;
    ++hourglassesShown;
  }
  void RestoreCursor() override {
    if (depth > 0) --depth;
  }
  // Runs the next scripted answer; without one the dialog is cancelled.
  int ExecModal(QDialog& dialog) override {
    dialogTitles.push_back(dialog.windowTitle().toStdString());
    if (modal.empty()) return QDialog::Rejected;
    auto answer = std::move(modal.front());
    modal.pop_front();
    return answer(dialog);
  }

  // Timers are kept until a test fires them.
  void OneShot(QObject* context, int milliseconds, std::function<void()> fire) override {
    timers.push_back(Timer{milliseconds, context, std::move(fire)});
  }
  std::optional<gui::SaveFileChoice> SaveFileName(QWidget*,
                                                  const gui::SaveFileRequest& request) override {
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  }
  bool PrintDialog(QWidget*, QPrinter&, int fromPage, int toPage) override {
    printRanges.emplace_back(fromPage, toPage);
    return printAnswer;
  }
  void RunPreview(QWidget& preview) override {
    previewTitles.push_back(preview.windowTitle().toStdString());
    if (preview_) preview_(preview);
  }

  // The texts shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& s : shown) texts.push_back(s.text);
    return texts;
  }
  void Clear() {
    shown.clear();
    dialogTitles.clear();
  }

  std::vector<Shown> shown;
  std::vector<std::string> dialogTitles;  // every modal dialog run, by caption
  std::deque<std::function<int(QDialog&)>> modal;
  bool answerYes = true;

  struct Timer {
    int milliseconds;
    QPointer<QObject> context;
    std::function<void()> fire;
  };
  std::vector<Timer> timers;
  std::vector<gui::SaveFileRequest> saveRequests;
  std::deque<std::optional<gui::SaveFileChoice>> saveAnswers;
  std::vector<std::pair<int, int>> printRanges;
  bool printAnswer = false;
  std::vector<std::string> previewTitles;
  std::function<void(QWidget&)> preview_;
  int depth = 0;
  int hourglassesShown = 0;

 private:
  void Record(Kind kind, const std::string& text) {
    shown.push_back(Shown{kind, text, {}, mapi::BoxIcon::None, depth});
  }
};

}  // namespace guitest
