#include "PrintRenderer.h"

#include <QPageSize>
#include <algorithm>

#include "PagePainter.h"

namespace reportengine {

bool PrintDocument(const Document& document, QPrinter& printer) {
  printer.setDocName(document.title);
  printer.setFullPage(true);
  printer.setPageSize(
      QPageSize(QSizeF(document.pageWidth, document.pageHeight), QPageSize::Millimeter));
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  const int count = static_cast<int>(document.pages.size());
  int first = 1;
  int last = count;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::max(1, printer.fromPage());
    last = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
  }
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const double pixelsPerMm = printer.resolution() / 25.4;
  for (int page = first; page <= last; ++page) {
    if (page > first) printer.newPage();
    PaintPage(painter, document.pages[page - 1], pixelsPerMm);
  }
  return painter.end();
}

}  // namespace reportengine
