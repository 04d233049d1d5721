// The look shared by the windows of the program: the 8-point sans-serif
// font of the fixed layouts, bevelled panels and bevel lines.
#pragma once

#include <QFont>
#include <QFrame>
#include <QWidget>

class QPainter;

namespace gui {

// The font every fixed layout is measured for (8 points at 96 pixels per
// inch), condensed so that the captions stay inside their controls.
QFont UiFont();

// Applies UiFont and a fixed style to the whole application, so that the
// windows look the same on every desktop and in screenshots.
void ApplyApplicationLook();

enum class Bevel { None, Lowered, Raised };

// A one-pixel bevel on the edges of `r` (right and bottom edges included):
// raised is light at the top and left and dark at the bottom and right,
// lowered the other way round; None draws nothing. Leaves the pen changed.
void DrawBevel(QPainter& p, const QRect& r, Bevel bevel, const QPalette& palette);

// A panel with an outer and an inner bevel of one pixel each.
class TBevelPanel : public QWidget {
 public:
  TBevelPanel(QWidget* parent, Bevel outer, Bevel inner);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bevel outer_;
  Bevel inner_;
};

// A sunken line: vertical (`height` high) or horizontal (`width` wide).
QFrame* MakeBevelLine(QWidget* parent, int x, int y, int length, Qt::Orientation orientation);

}  // namespace gui
