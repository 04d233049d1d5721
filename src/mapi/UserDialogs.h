// The dialog seam: every message box and the busy cursor of the GUI go
// through this interface. The GUI implements it with Qt; tests record the
// texts and script the answers, so that no test blocks on a modal window.
#pragma once

#include <string>

namespace mapi {

enum class BoxIcon { None, Error, Warning, Information, Question };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // The error dialog with one OK button.
  virtual void ErrorBox(const std::string& text) = 0;
  // A plain message box with OK, no icon.
  virtual void PlainBox(const std::string& text) = 0;
  // A system message box owned by no window, with a caption and an icon.
  virtual void SystemBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  // Yes/No; true for Yes.
  virtual bool Question(const std::string& text) = 0;
  // Shows the hourglass, remembering the cursor shown before it.
  virtual void ShowHourglass() = 0;
  // Restores the cursor remembered by ShowHourglass.
  virtual void RestoreCursor() = 0;
};

// Shows the hourglass for its lifetime. Restore() ends it early (before a
// message box); the destructor restores only when that has not happened.
class HourglassCursor {
 public:
  explicit HourglassCursor(UserDialogs* dialogs) : dialogs_(dialogs) {
    if (dialogs_) dialogs_->ShowHourglass();
  }
  ~HourglassCursor() { Restore(); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;
  void Restore() {
    if (dialogs_) dialogs_->RestoreCursor();
    dialogs_ = nullptr;
  }

 private:
  UserDialogs* dialogs_;
};

}  // namespace mapi
