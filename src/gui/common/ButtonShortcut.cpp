#include "ButtonShortcut.h"

#include <QAbstractButton>
#include <QShortcut>

namespace gui {

void PressOnShortcut(QAbstractButton* button, const QKeySequence& keys) {
  // A QShortcut rather than the button's own: that one animates the press
  // and clicks later, after the state that enabled the button may be gone.
  auto* shortcut = new QShortcut(keys, button->window());
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, button, [button] {
    if (button->isEnabled() && button->isVisible()) button->click();
  });
}

}  // namespace gui
