#include "PdfRenderer.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

#include "PagePainter.h"

namespace reportengine {

QByteArray RenderPdf(const Document& document) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setTitle(document.title);
    writer.setCreator(QStringLiteral("Tabrix Mailbox Statistics"));
    writer.setPageSize(
        QPageSize(QSizeF(document.pageWidth, document.pageHeight), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter painter(&writer);
    const double pixelsPerMm = writer.resolution() / 25.4;
    for (std::size_t i = 0; i < document.pages.size(); ++i) {
      if (i > 0) writer.newPage();
      PaintPage(painter, document.pages[i], pixelsPerMm);
    }
  }
  return InflatePdfStreams(buffer.data());
}

}  // namespace reportengine
