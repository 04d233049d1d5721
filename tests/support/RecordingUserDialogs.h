// The MAPI layer's dialog seam, recorded: every message box with its kind,
// caption, icon and the hourglass depth at the moment it appeared, every
// call in order, and questions answered from a script. Qt-free; the GUI's
// recording seam (RecordingDialogs.h) builds on it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "UserDialogs.h"

namespace testsupport {

enum class Kind { Error, Plain, System, Question };

struct Shown {
  Kind kind;
  std::string text;
  std::string caption;  // system boxes only
  mapi::BoxIcon icon = mapi::BoxIcon::None;
  int hourglassDepth = 0;  // hourglasses shown and not restored when it appeared
};

// Records the calls of mapi::UserDialogs for `Seam`, which is that interface
// or one derived from it; a recording form of a wider seam derives from
// RecordingBoxes<Wider> and adds only the calls of its own.
template <class Seam>
class RecordingBoxes : public Seam {
 public:
  void ErrorBox(const std::string& text) override { Record(Kind::Error, text, {}, {}); }
  void PlainBox(const std::string& text) override { Record(Kind::Plain, text, {}, {}); }
  void SystemBox(const std::string& text, const std::string& caption, mapi::BoxIcon icon) override {
    Record(Kind::System, text, caption, icon);
  }
  // The next scripted answer, else answerYes.
  bool Question(const std::string& text) override {
    Record(Kind::Question, text, {}, {});
    if (questionAnswers.empty()) return answerYes;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
  }
  void ShowHourglass() override {
    ++depth;
    ++hourglassesShown;
    calls.push_back("hourglass");
  }
  void RestoreCursor() override {
    if (depth > 0) --depth;
    calls.push_back("restore");
  }

  // The texts shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown) texts.push_back(s.text);
    return texts;
  }
  // Forgets what was shown so far (the cursor's state stays).
  void Clear() {
    shown.clear();
    calls.clear();
  }

  std::vector<Shown> shown;
  // Every call in order: "hourglass", "restore", "error:<text>",
  // "plain:<text>", "system:<caption>:<text>", "question:<text>".
  std::vector<std::string> calls;
  std::deque<bool> questionAnswers;
  bool answerYes = true;
  int depth = 0;             // hourglasses shown and not restored
  int hourglassesShown = 0;  // all together

 private:
  void Record(Kind kind, const std::string& text, const std::string& caption, mapi::BoxIcon icon) {
    shown.push_back(Shown{kind, text, caption, icon, depth});
    static constexpr const char* kPrefix[] = {"error:", "plain:", "system:", "question:"};
    calls.push_back(kPrefix[static_cast<int>(kind)] +
                    (kind == Kind::System ? caption + ":" : std::string()) + text);
  }
};

using RecordingUserDialogs = RecordingBoxes<mapi::UserDialogs>;

}  // namespace testsupport
