#include "GuiLook.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>

namespace gui {

namespace {

// Fusion with the classic check and radio metrics: a 13-pixel indicator
// close to its caption, so that captions fit the fixed control widths.
class TClassicMetricsStyle : public QProxyStyle {
 public:
  explicit TClassicMetricsStyle(QStyle* base) : QProxyStyle(base) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    switch (metric) {
      case PM_ExclusiveIndicatorWidth:
      case PM_ExclusiveIndicatorHeight:
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
        return 13;
      case PM_RadioButtonLabelSpacing:
      case PM_CheckBoxLabelSpacing:
        return 2;
      default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }
  // Alt pressed and released alone activates a window's menu bar, as on
  // the platform the program comes from; Fusion leaves it off.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

QFont UiFont() {
  // The condensed face of DejaVu Sans, narrowed a little further, sets the
  // captions about as wide as the layouts expect of their font.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  font.setStretch(85);
  return font;
}

void ApplyApplicationLook() {
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(new TClassicMetricsStyle(fusion));
  QApplication::setFont(UiFont());
}

TBevelPanel::TBevelPanel(QWidget* parent, Bevel outer, Bevel inner)
    : QWidget(parent), outer_(outer), inner_(inner) {}

void DrawBevel(QPainter& p, const QRect& r, Bevel bevel, const QPalette& palette) {
  if (bevel == Bevel::None) return;
  const QColor light = palette.color(QPalette::Light);
  const QColor dark = palette.color(QPalette::Dark);
  p.setPen(bevel == Bevel::Raised ? light : dark);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(bevel == Bevel::Raised ? dark : light);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

void TBevelPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect().adjusted(0, 0, -1, -1);
  for (Bevel bevel : {outer_, inner_}) {
    if (bevel == Bevel::None) continue;
    DrawBevel(p, r, bevel, palette());
    r.adjust(1, 1, -1, -1);
  }
}

QFrame* MakeBevelLine(QWidget* parent, int x, int y, int length, Qt::Orientation orientation) {
  auto* line = new QFrame(parent);
  line->setFrameShadow(QFrame::Sunken);
  if (orientation == Qt::Vertical) {
    line->setFrameShape(QFrame::VLine);
    line->setGeometry(x, y, 2, length);
  } else {
    line->setFrameShape(QFrame::HLine);
    line->setGeometry(x, y, length, 2);
  }
  return line;
}

}  // namespace gui
