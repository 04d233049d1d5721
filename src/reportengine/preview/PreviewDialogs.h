// What the preview asks of the program's dialog seam: every modal loop it
// starts goes through here, so the program shows real dialogs and a test
// answers them from a script. The members match the GUI's seam one for
// one; the engine declares its own copy so it depends on nothing above it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace reportengine {

struct SaveRequest {
  QString caption;
  QStringList filters;     // Qt's form, "PDF file (*.pdf)"
  int selectedFilter = 0;  // index into filters
  QString fileName;        // proposed, may be empty
};

struct SaveChoice {
  QString path;
  int filterIndex = 0;  // index into the request's filters
};

class PreviewDialogs {
 public:
  virtual ~PreviewDialogs() = default;
  // Runs `dialog` modally; QDialog::Accepted or QDialog::Rejected.
  virtual int ExecModal(QDialog& dialog) = 0;
  // Nothing when cancelled.
  virtual std::optional<SaveChoice> SaveFileName(QWidget* owner, const SaveRequest& request) = 0;
  // True when confirmed; `printer` then holds the printer, range and copies.
  virtual bool PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) = 0;
  // Shows the preview window and returns when it has been closed.
  virtual void RunPreview(QWidget& preview) = 0;
  // An error box with one OK button.
  virtual void ErrorBox(const QString& text) = 0;
};

}  // namespace reportengine
