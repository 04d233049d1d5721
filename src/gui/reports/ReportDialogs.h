// The engine's preview asks its dialogs of the program's seam: the reports
// hand it this adapter, so that a test answers the preview, print and save
// dialogs with the same script as every other window.
#pragma once

#include "GuiDialogs.h"
#include "PreviewDialogs.h"

namespace gui {

class TReportDialogs final : public reportengine::PreviewDialogs {
 public:
  explicit TReportDialogs(TGuiDialogs& dialogs) : dialogs_(dialogs) {}

  int ExecModal(QDialog& dialog) override;
  std::optional<reportengine::SaveChoice> SaveFileName(
      QWidget* owner, const reportengine::SaveRequest& request) override;
  bool PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) override;
  void RunPreview(QWidget& preview) override;
  void ErrorBox(const QString& text) override;

 private:
  TGuiDialogs& dialogs_;
};

}  // namespace gui
