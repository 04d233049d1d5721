#include "ReportDialogs.h"

#include "AnsiText.h"

namespace gui {

int TReportDialogs::ExecModal(QDialog& dialog) {
  return dialogs_.ExecModal(dialog);
}

std::optional<reportengine::SaveChoice> TReportDialogs::SaveFileName(
    QWidget* owner, const reportengine::SaveRequest& request) {
  const auto choice = dialogs_.SaveFileName(
      owner,
      SaveFileRequest{request.caption, request.filters, request.selectedFilter, request.fileName});
  if (!choice) return std::nullopt;
  return reportengine::SaveChoice{choice->path, choice->filterIndex};
}

bool TReportDialogs::PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) {
  return dialogs_.PrintDialog(owner, printer, fromPage, toPage);
}

void TReportDialogs::RunPreview(QWidget& preview) {
  dialogs_.RunPreview(preview);
}

void TReportDialogs::ErrorBox(const QString& text) {
  dialogs_.ErrorBox(ToAnsi(text));
}

}  // namespace gui
