#include "PageView.h"

#include <QPaintEvent>
#include <QPainter>

#include "PagePainter.h"

namespace reportengine {

void PageView::SetPage(const Page* page, double widthMm, double heightMm) {
  page_ = page;
  widthMm_ = widthMm;
  heightMm_ = heightMm;
  highlight_.reset();
  resize(sizeHint());
  update();
}

void PageView::SetPixelsPerMm(double pixelsPerMm) {
  pixelsPerMm_ = pixelsPerMm;
  resize(sizeHint());
  update();
}

void PageView::SetHighlight(std::optional<QRectF> mm) {
  highlight_ = mm;
  update();
}

QSize PageView::sizeHint() const {
  return QSizeF(widthMm_ * pixelsPerMm_, heightMm_ * pixelsPerMm_).toSize();
}

void PageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!page_) return;
  PaintPage(painter, *page_, pixelsPerMm_);
  if (highlight_) {
    painter.setPen(QPen(Qt::blue, 2));
    const QRectF& r = *highlight_;
    painter.drawRect(
        QRectF(r.topLeft() * pixelsPerMm_, r.size() * pixelsPerMm_).adjusted(-2, -2, 2, 2));
  }
}

}  // namespace reportengine
