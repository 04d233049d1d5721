// The built pages: what every renderer draws or writes. Positions and
// sizes are millimetres from the page's top left corner; the builder has
// already wrapped, aligned and paginated, so renderers only place things.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

#include "ReportModel.h"

namespace reportengine {

// One line of text; `x` is where the text starts, `width` its advance.
struct TextRun {
  double x = 0;
  double y = 0;  // top of the line
  double width = 0;
  double height = 0;  // the line's height
  double ascent = 0;  // from the top to the baseline
  QString text;
  FontSpec font;
  QColor color = Qt::black;
  bool operator==(const TextRun&) const = default;
};

struct LineSegment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double width = 0.26;  // one pixel at 96 dpi
  QColor color = Qt::black;
  bool operator==(const LineSegment&) const = default;
};

struct FilledRect {
  double x = 0, y = 0, width = 0, height = 0;
  QColor color;
  bool operator==(const FilledRect&) const = default;
};

struct PictureBox {
  double x = 0, y = 0, width = 0, height = 0;
  QImage image;
  bool operator==(const PictureBox&) const = default;
};

// In painting order: later elements cover earlier ones.
using Element = std::variant<FilledRect, LineSegment, TextRun, PictureBox>;

struct Page {
  std::vector<Element> elements;
  bool operator==(const Page&) const = default;
};

struct Document {
  QString title;
  double pageWidth = 215.9;
  double pageHeight = 279.4;
  std::vector<Page> pages;
  QStringList warnings;  // what the builder had to leave out or replace
  bool operator==(const Document&) const = default;
};

}  // namespace reportengine
