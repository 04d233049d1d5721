#include "MinimumSize.h"

#include <QWidget>
#include <algorithm>

namespace gui {

void KeepControlsVisible(QWidget* window, std::initializer_list<const QWidget*> panels) {
  // The margin a control keeps from the right edge, as it keeps from the
  // left one.
  constexpr int kMargin = 5;
  QSize least = window->minimumSizeHint().expandedTo(QSize(0, 0));
  for (const QWidget* panel : panels) {
    int right = 0;
    for (const QObject* child : panel->children())
      if (child->isWidgetType())
        right = std::max(right, static_cast<const QWidget*>(child)->geometry().right() + 1);
    // Panels sit at the window's left edge inside frames of their own.
    int offset = 0;
    for (const QWidget* w = panel; w && w != window; w = w->parentWidget()) offset += w->x();
    least.setWidth(std::max(least.width(), offset + right + kMargin));
  }
  window->setMinimumSize(least);
}

}  // namespace gui
