#include "SaveFormats.h"

#include <QSaveFile>
#include <algorithm>
#include <array>
#include <vector>

#include "HtmlRenderer.h"
#include "PdfRenderer.h"
#include "ReportFile.h"
#include "RtfRenderer.h"
#include "TextRenderer.h"
#include "WmfRenderer.h"
#include "XlsxRenderer.h"

namespace reportengine {

namespace {

constexpr std::array kFormats{
    SaveFormatInfo{SaveFormat::Report, "Report file (*.trp)", "trp"},
    SaveFormatInfo{SaveFormat::Text, "Text file (*.txt)", "txt"},
    SaveFormatInfo{SaveFormat::Csv, "Comma separated values (*.csv)", "csv"},
    SaveFormatInfo{SaveFormat::Pdf, "PDF file (*.pdf)", "pdf"},
    SaveFormatInfo{SaveFormat::Xlsx, "Excel workbook (*.xlsx)", "xlsx"},
    SaveFormatInfo{SaveFormat::Rtf, "Rich Text Format (*.rtf)", "rtf"},
    SaveFormatInfo{SaveFormat::Wmf, "Windows metafile (*.wmf)", "wmf"},
    SaveFormatInfo{SaveFormat::Html, "HTML file (*.html *.htm)", "html"},
};

}  // namespace

std::span<const SaveFormatInfo> SaveFormats() {
  return kFormats;
}

QByteArray Render(const Document& document, SaveFormat format) {
  switch (format) {
    case SaveFormat::Report:
      return WriteReportFile(document);
    case SaveFormat::Text:
      return RenderText(document);
    case SaveFormat::Csv:
      return RenderCsv(document, ',');
    case SaveFormat::Pdf:
      return RenderPdf(document);
    case SaveFormat::Xlsx:
      return RenderXlsx(document);
    case SaveFormat::Rtf:
      return RenderRtf(document);
    case SaveFormat::Wmf:
      return RenderWmf(document, 0);
    case SaveFormat::Html:
      return RenderHtml(document);
  }
  return {};
}

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  if (!written || !file.commit()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    throw SaveError(
        QStringLiteral("The report could not be saved as %1: %2").arg(path, reason).toStdString());
  }
}

}  // namespace

void SaveDocument(const Document& document, SaveFormat format, const QString& path) {
  std::vector<std::pair<QString, QByteArray>> files;
  try {
    if (format == SaveFormat::Wmf) {
      for (std::size_t page = 0; page < std::max<std::size_t>(document.pages.size(), 1); ++page)
        files.emplace_back(WmfPagePath(path, page + 1), RenderWmf(document, page));
    } else {
      files.emplace_back(path, Render(document, format));
    }
  } catch (const std::exception& e) {
    throw SaveError(QStringLiteral("The report could not be converted for %1: %2")
                        .arg(path, QString::fromStdString(e.what()))
                        .toStdString());
  }
  for (const auto& [name, bytes] : files) WriteFile(name, bytes);
}

}  // namespace reportengine
