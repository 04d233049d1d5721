#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace gui {

namespace {

QPixmap Blank(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QPixmap DetailsIcon() {
  QPixmap pixmap = Blank(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  // A sheet with three lines of text.
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(1, 1, 10, 13);
  p.setPen(QColor(0, 0, 160));
  for (int y = 4; y <= 10; y += 3) p.drawLine(3, y, 9, y);
  // The magnifying glass over its corner.
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(32, 32, 32), 1.5));
  p.setBrush(QColor(200, 230, 255, 200));
  p.drawEllipse(QRectF(6.5, 6.5, 6, 6));
  p.setPen(QPen(QColor(120, 70, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(12, 12), QPointF(14.5, 14.5));
  return pixmap;
}

QPixmap PrintIcon() {
  QPixmap pixmap = Blank(16);
  QPainter p(&pixmap);
  // Paper sticking out of the top.
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 7, 5);
  // The body.
  p.setBrush(QColor(192, 192, 192));
  p.drawRect(1, 6, 13, 6);
  p.setPen(QColor(0, 160, 0));
  p.drawPoint(12, 8);
  // Paper coming out at the front.
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(4, 10, 7, 4);
  p.setPen(QColor(0, 0, 160));
  p.drawLine(5, 12, 9, 12);
  return pixmap;
}

QPixmap ProgramIcon() {
  QPixmap pixmap = Blank(32);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  // Bars of a chart behind.
  const QColor bars[3] = {QColor(0, 120, 200), QColor(0, 170, 90), QColor(230, 160, 0)};
  const int heights[3] = {14, 22, 18};
  for (int i = 0; i < 3; ++i) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(bars[i]);
    p.drawRect(QRectF(15.5 + i * 5.5, 29.5 - heights[i], 4.5, heights[i]));
  }
  // A letter in front.
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(255, 250, 225));
  p.drawRect(QRectF(2.5, 12.5, 19, 13));
  QPainterPath flap;
  flap.moveTo(2.5, 12.5);
  flap.lineTo(12, 20);
  flap.lineTo(21.5, 12.5);
  p.setBrush(Qt::NoBrush);
  p.drawPath(flap);
  return pixmap;
}

QPixmap SortMark(int index) {
  QPixmap pixmap = Blank(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QColor(96, 96, 96));
  p.setBrush(QColor(128, 128, 128));
  QPolygonF triangle;
  if (index == 0)
    triangle << QPointF(8, 4.5) << QPointF(12.5, 11) << QPointF(3.5, 11);
  else
    triangle << QPointF(3.5, 5) << QPointF(12.5, 5) << QPointF(8, 11.5);
  p.drawPolygon(triangle);
  return pixmap;
}

QPixmap DetailsImage(int index) {
  if (index == 9 || index == 10) return SortMark(index - 9);
  QPixmap pixmap = Blank(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  switch (index) {
    case 0:  // a mailbox: a tray with a letter
      p.setPen(QColor(64, 64, 64));
      p.setBrush(QColor(255, 255, 224));
      p.drawRect(QRectF(3.5, 2.5, 9, 7));
      p.setBrush(QColor(96, 128, 192));
      p.drawRect(QRectF(1.5, 8.5, 13, 6));
      break;
    case 1:  // a folder
      p.setPen(QColor(128, 96, 0));
      p.setBrush(QColor(240, 208, 96));
      p.drawRect(QRectF(1.5, 4.5, 13, 9));
      p.drawRect(QRectF(1.5, 2.5, 5, 2));
      break;
    case 8: {  // a paper clip
      p.setPen(QPen(QColor(64, 64, 64), 1.2));
      p.setBrush(Qt::NoBrush);
      p.drawRoundedRect(QRectF(5.5, 1.5, 5, 13), 2.5, 2.5);
      p.drawLine(QPointF(8, 4), QPointF(8, 11));
      break;
    }
    default:
      break;
  }
  return pixmap;
}

}  // namespace gui
