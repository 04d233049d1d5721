// The GUI's side of the dialog seam: the message boxes and the busy cursor
// of mapi::UserDialogs, plus the modal dialogs of the main window (the
// temporary-profile dialog, the profile chooser, the about box). The program
// runs them for real; tests answer them with a script.
#pragma once

#include "UserDialogs.h"

class QDialog;

namespace gui {

class TGuiDialogs : public mapi::UserDialogs {
 public:
  // Runs `dialog` modally and returns its result (QDialog::Accepted or
  // QDialog::Rejected).
  virtual int ExecModal(QDialog& dialog) = 0;
};

}  // namespace gui
