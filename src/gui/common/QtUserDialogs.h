// The dialog seam with real Qt message boxes, the override cursor,
// QDialog::exec, QTimer, the file and print dialogs and a local event loop
// for the preview.
#pragma once

#include <QString>

#include "GuiDialogs.h"

class QMessageBox;

namespace gui {

// Message texts use CR LF or a lone CR for their breaks; Qt wants LF.
QString DisplayText(const std::string& text);
// Plain text, shown with the line breaks it brings and no others.
void PrepareMessageBox(QMessageBox& box);

class QtUserDialogs final : public TGuiDialogs {
 public:
  void ErrorBox(const std::string& text) override;
  void PlainBox(const std::string& text) override;
  void SystemBox(const std::string& text, const std::string& caption, mapi::BoxIcon icon) override;
  bool Question(const std::string& text) override;
  void ShowHourglass() override;
  void RestoreCursor() override;
  int ExecModal(QDialog& dialog) override;
  void OneShot(QObject* context, int milliseconds, std::function<void()> fire) override;
  std::optional<SaveFileChoice> SaveFileName(QWidget* owner,
                                             const SaveFileRequest& request) override;
  bool PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) override;
  void RunPreview(QWidget& preview) override;

 private:
  int hourglassDepth_ = 0;  // hourglasses shown and not yet restored
};

}  // namespace gui
