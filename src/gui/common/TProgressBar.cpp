#include "TProgressBar.h"

#include <QPainter>

#include "GuiLook.h"

namespace gui {

TProgressBar::TProgressBar(QWidget* parent) : QWidget(parent) {}

void TProgressBar::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  position_ = minimum;
  painted_ = FilledWidth();
  update();
}

void TProgressBar::StepIt() {
  position_ += step_;
  if (position_ > maximum_) position_ = minimum_ + (position_ - maximum_ - 1);
  const int filled = FilledWidth();
  if (filled != painted_) {
    painted_ = filled;
    update();
  }
}

int TProgressBar::FilledWidth() const {
  const int inner = width() - 2;
  if (maximum_ <= minimum_ || inner <= 0) return 0;
  const double share = static_cast<double>(position_ - minimum_) / (maximum_ - minimum_);
  return static_cast<int>(inner * std::min(1.0, std::max(0.0, share)));
}

void TProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  p.fillRect(rect(), palette().color(QPalette::Base));
  DrawBevel(p, r, Bevel::Lowered, palette());
  const int filled = FilledWidth();
  if (filled > 0)
    p.fillRect(QRect(1, 1, filled, height() - 2), palette().color(QPalette::Highlight));
}

}  // namespace gui
