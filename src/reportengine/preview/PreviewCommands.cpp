// The preview's commands that leave the window: page choice, printer
// setup, printing, saving and loading. Each modal step goes through the
// dialog seam; each failure ends in an error box, never half done.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QSpinBox>

#include "BuildProgress.h"
#include "PreviewWindow.h"
#include "PrintRenderer.h"
#include "ReportFile.h"
#include "SaveFormats.h"

namespace reportengine {

void PreviewWindow::AskPage() {
  if (document_.pages.empty()) return;
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Go to page"));
  auto* number = new QSpinBox;
  number->setRange(1, PageCount());
  number->setValue(page_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QFormLayout(&dialog);
  layout->addRow(QStringLiteral("Page:"), number);
  layout->addRow(buttons);
  if (dialogs_.ExecModal(dialog) == QDialog::Accepted) GoToPage(number->value());
}

void PreviewWindow::PrinterSetup() {
  QPageSetupDialog dialog(&printer_, this);
  dialogs_.ExecModal(dialog);
}

std::optional<Document> PreviewWindow::PagesToOutput() {
  if (loaded_) return document_;
  try {
    return BuildWithProgress(report_, this);
  } catch (const std::exception& e) {
    dialogs_.ErrorBox(QString::fromStdString(e.what()));
    return std::nullopt;
  }
}

void PreviewWindow::Print() {
  if (document_.pages.empty()) return;
  printer_.setDocName(document_.title);
  if (!dialogs_.PrintDialog(this, printer_, 1, PageCount())) return;
  const std::optional<Document> pages = PagesToOutput();
  if (!pages) return;
  if (!PrintDocument(*pages, printer_))
    dialogs_.ErrorBox(
        QStringLiteral("The printer \"%1\" could not be started.").arg(printer_.printerName()));
}

void PreviewWindow::SaveReport() {
  SaveRequest request;
  request.caption = QStringLiteral("Save Report");
  for (const SaveFormatInfo& info : SaveFormats()) request.filters.append(info.filter);
  const std::optional<SaveChoice> choice = dialogs_.SaveFileName(this, request);
  if (!choice || choice->path.isEmpty()) return;
  const auto formats = SaveFormats();
  const SaveFormatInfo& info =
      formats[std::clamp<std::size_t>(choice->filterIndex, 0, formats.size() - 1)];
  QString path = choice->path;
  if (QFileInfo(path).suffix().isEmpty()) path += u'.' + QLatin1String(info.suffix);
  const std::optional<Document> pages = PagesToOutput();
  if (!pages) return;
  try {
    SaveDocument(*pages, info.format, path);
  } catch (const SaveError& e) {
    dialogs_.ErrorBox(QString::fromStdString(e.what()));
  }
}

void PreviewWindow::LoadReport() {
  QFileDialog dialog(this, QStringLiteral("Load Report"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QLatin1String(SaveFormats().front().filter));
  if (dialogs_.ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    dialogs_.ErrorBox(
        QStringLiteral("The report %1 could not be opened: %2").arg(path, file.errorString()));
    return;
  }
  try {
    Show(ReadReportFile(file.readAll()), true);
  } catch (const ReportFileError& e) {
    dialogs_.ErrorBox(QStringLiteral("%1\n%2").arg(path, QString::fromStdString(e.what())));
  }
}

}  // namespace reportengine
