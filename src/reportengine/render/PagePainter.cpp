#include "PagePainter.h"

#include <QPaintDevice>
#include <QPen>

#include "Fonts.h"

namespace reportengine {

void PaintPage(QPainter& painter, const Page& page, double pixelsPerMm, QPointF origin) {
  const auto at = [&](double x, double y) { return origin + QPointF(x, y) * pixelsPerMm; };
  const auto box = [&](double x, double y, double w, double h) {
    return QRectF(at(x, y), QSizeF(w, h) * pixelsPerMm);
  };
  // Point sizes are converted by the device's resolution; scale them so a
  // point stays 25.4/72 mm at whatever pixels per millimetre we paint.
  const double deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
  const double pointScale = pixelsPerMm * 25.4 / deviceDpi;

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // Pictures stay exact: PDF would otherwise store them as JPEG.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  for (const Element& element : page.elements) {
    if (const auto* r = std::get_if<FilledRect>(&element)) {
      painter.fillRect(box(r->x, r->y, r->width, r->height), r->color);
    } else if (const auto* l = std::get_if<LineSegment>(&element)) {
      painter.setPen(QPen(l->color, l->width * pixelsPerMm, Qt::SolidLine, Qt::FlatCap));
      painter.drawLine(at(l->x1, l->y1), at(l->x2, l->y2));
    } else if (const auto* t = std::get_if<TextRun>(&element)) {
      QFont font = ResolveFont(t->font);
      font.setPointSizeF(t->font.pointSize * pointScale);
      painter.setFont(font);
      painter.setPen(t->color);
      painter.drawText(at(t->x, t->y + t->ascent), t->text);
    } else if (const auto* p = std::get_if<PictureBox>(&element)) {
      painter.drawImage(box(p->x, p->y, p->width, p->height), p->image);
    }
  }
  painter.restore();
}

}  // namespace reportengine
