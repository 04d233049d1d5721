// The GUI's side of the dialog seam: the message boxes and the busy cursor
// of mapi::UserDialogs, plus every modal loop and every timer that a window
// starts on its own (modal dialogs, the save-file and print dialogs, the
// report preview, one-shot start timers). The program runs them for real;
// tests answer them with a script, so that no test blocks on a window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "UserDialogs.h"

class QDialog;
class QObject;
class QPrinter;
class QWidget;

namespace gui {

// What a save-file dialog offers.
struct SaveFileRequest {
  QString caption;
  QStringList filters;     // in Qt's form, "PDF file (*.pdf)"; the order is the caller's
  int selectedFilter = 0;  // index into filters, chosen at the start
  QString fileName;        // proposed name, may be empty
};

// What the user chose in a save-file dialog.
struct SaveFileChoice {
  QString path;
  int filterIndex = 0;  // index into the request's filters
};

class TGuiDialogs : public mapi::UserDialogs {
 public:
  // Runs `dialog` modally and returns its result (QDialog::Accepted or
  // QDialog::Rejected, or the value the dialog closed with).
  virtual int ExecModal(QDialog& dialog) = 0;

  // Calls `fire` once, `milliseconds` from now, on the user-interface
  // thread; nothing fires when `context` is gone by then.
  virtual void OneShot(QObject* context, int milliseconds, std::function<void()> fire) = 0;

  // The save-file dialog; nothing when it was cancelled.
  virtual std::optional<SaveFileChoice> SaveFileName(QWidget* owner,
                                                     const SaveFileRequest& request) = 0;

  // The print dialog for `printer` with the pages `fromPage` to `toPage` on
  // offer; true when the user confirmed (the printer then carries the
  // choice of printer, range and copies).
  virtual bool PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) = 0;

  // Shows a report preview window and returns once it is closed; the
  // program's events keep being processed meanwhile.
  virtual void RunPreview(QWidget& preview) = 0;
};

}  // namespace gui
