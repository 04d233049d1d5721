#include "TextRenderer.h"

#include <algorithm>
#include <cmath>

namespace reportengine {

namespace {

constexpr double kSameLine = 1.5;     // mm between tops still on one line
constexpr double kColumnWidth = 2.0;  // mm per character column

QString CsvCell(const QString& text, char separator) {
  if (!text.contains(QLatin1Char(separator)) && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r'))
    return text;
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

}  // namespace

std::vector<std::vector<const TextRun*>> TextLines(const Page& page) {
  std::vector<const TextRun*> runs;
  for (const Element& e : page.elements)
    if (const auto* run = std::get_if<TextRun>(&e)) runs.push_back(run);
  std::stable_sort(runs.begin(), runs.end(),
                   [](const TextRun* a, const TextRun* b) { return a->y < b->y; });
  std::vector<std::vector<const TextRun*>> lines;
  double top = 0;
  for (const TextRun* run : runs) {
    if (lines.empty() || run->y - top > kSameLine) {
      lines.emplace_back();
      top = run->y;
    }
    lines.back().push_back(run);
  }
  for (auto& line : lines)
    std::stable_sort(line.begin(), line.end(),
                     [](const TextRun* a, const TextRun* b) { return a->x < b->x; });
  return lines;
}

QByteArray RenderText(const Document& document) {
  // Column 0 is the leftmost text of the report, not the paper's edge.
  double left = document.pageWidth;
  for (const Page& page : document.pages)
    for (const Element& e : page.elements)
      if (const auto* run = std::get_if<TextRun>(&e)) left = std::min(left, run->x);
  QString out;
  for (const Page& page : document.pages) {
    for (const auto& line : TextLines(page)) {
      QString text;
      for (const TextRun* run : line) {
        const auto column = static_cast<qsizetype>(std::lround((run->x - left) / kColumnWidth));
        // Runs keep their order and at least one blank between them.
        if (!text.isEmpty()) text += u' ';
        if (text.size() < column) text = text.leftJustified(column, u' ');
        text += run->text;
      }
      out += text + u'\n';
    }
    out += u'\f';
  }
  return out.toUtf8();
}

QByteArray RenderCsv(const Document& document, char separator) {
  QString out;
  for (const Page& page : document.pages) {
    for (const auto& line : TextLines(page)) {
      QStringList cells;
      for (const TextRun* run : line) cells.append(CsvCell(run->text, separator));
      out += cells.join(QLatin1Char(separator)) + QStringLiteral("\r\n");
    }
  }
  return out.toUtf8();
}

}  // namespace reportengine
