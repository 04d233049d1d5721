#include "XlsxRenderer.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

#include "TextRenderer.h"

namespace reportengine {

namespace {

constexpr lxw_row_t kMaxRows = 1048576;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("Excel workbook: " + what);
}

}  // namespace

QByteArray RenderXlsx(const Document& document) {
  // libxlsxwriter writes only to a named file; it is read back from there.
  QTemporaryDir dir;
  if (!dir.isValid()) Fail("no temporary folder: " + dir.errorString().toStdString());
  const QByteArray path = dir.filePath(QStringLiteral("report.xlsx")).toLocal8Bit();
  lxw_workbook* workbook = workbook_new(path.constData());
  if (!workbook) Fail("the workbook could not be created");
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Report");
  std::vector<std::pair<FontSpec, lxw_format*>> formats;
  const auto formatFor = [&](const FontSpec& font) {
    for (const auto& [fontSpec, format] : formats)
      if (fontSpec == font) return format;
    lxw_format* format = workbook_add_format(workbook);
    format_set_font_name(format, font.family.toUtf8().constData());
    format_set_font_size(format, font.pointSize);
    if (font.bold) format_set_bold(format);
    if (font.italic) format_set_italic(format);
    formats.emplace_back(font, format);
    return format;
  };

  lxw_error rc = LXW_NO_ERROR;
  lxw_row_t row = 0;
  for (const Page& page : document.pages) {
    for (const auto& line : TextLines(page)) {
      if (row >= kMaxRows) {
        workbook_close(workbook);
        Fail("more lines than a worksheet has rows");
      }
      lxw_col_t column = 0;
      for (const TextRun* run : line) {
        const lxw_error cell = worksheet_write_string(
            sheet, row, column++, run->text.toUtf8().constData(), formatFor(run->font));
        if (rc == LXW_NO_ERROR) rc = cell;
      }
      ++row;
    }
  }
  const lxw_error closed = workbook_close(workbook);
  if (rc == LXW_NO_ERROR) rc = closed;
  if (rc != LXW_NO_ERROR) Fail(lxw_strerror(rc));
  QFile file(QString::fromLocal8Bit(path));
  if (!file.open(QIODevice::ReadOnly)) Fail(file.errorString().toStdString());
  return file.readAll();
}

}  // namespace reportengine
