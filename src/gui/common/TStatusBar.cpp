#include "TStatusBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "GuiLook.h"

namespace gui {

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  setFixedHeight(19);
}

void TStatusBar::ClearPanels() {
  panels_.clear();
  update();
}

int TStatusBar::AddPanel(int width, const QString& text, bool ownerDraw) {
  panels_.push_back(Panel{width, text, ownerDraw});
  update();
  return PanelCount() - 1;
}

QString TStatusBar::PanelText(int index) const {
  return index >= 0 && index < PanelCount() ? panels_[static_cast<std::size_t>(index)].text
                                            : QString();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) return;
  panels_[static_cast<std::size_t>(index)].text = text;
  // A load changes the text for every row; showing more than a few dozen of
  // them a second only costs time. The text is kept either way, and the
  // next repaint shows the latest.
  if (repainted_.isValid() && repainted_.elapsed() < kRepaintIntervalMs) return;
  repainted_.start();
  update(PanelRect(index));
}

QRect TStatusBar::PanelRect(int index) const {
  int left = 0;
  for (int i = 0; i < index; ++i) left += panels_[static_cast<std::size_t>(i)].width;
  const bool last = index + 1 == PanelCount();
  const int right = last ? width() : left + panels_[static_cast<std::size_t>(index)].width;
  return QRect(left, 0, std::max(0, right - left), height());
}

int TStatusBar::PanelWidth(int index) const {
  return index >= 0 && index < PanelCount() ? panels_[static_cast<std::size_t>(index)].width : 0;
}

bool TStatusBar::PanelOwnerDraw(int index) const {
  return index >= 0 && index < PanelCount() && panels_[static_cast<std::size_t>(index)].ownerDraw;
}

void TStatusBar::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), palette().color(QPalette::Window));
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const bool last = i + 1 == panels_.size();
    const int right = last ? width() : left + panels_[i].width;
    const QRect r(left, 2, std::max(0, right - left - 2), height() - 2);
    if (!event->rect().intersects(QRect(left, 0, right - left, height()))) {
      left = right;
      continue;
    }
    DrawBevel(p, r, Bevel::Lowered, palette());
    if (!panels_[i].ownerDraw) {
      p.setPen(palette().color(QPalette::WindowText));
      const QRect textRect = r.adjusted(3, 1, -2, -1);
      p.save();
      p.setClipRect(textRect);
      p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, panels_[i].text);
      p.restore();
    }
    left = right;
  }
}

}  // namespace gui
