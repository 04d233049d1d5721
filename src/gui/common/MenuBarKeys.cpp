#include "MenuBarKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>

namespace gui {

void ActivateMenuBarOnF10(QMainWindow* window) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F10), window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, window, [window] {
    // The menu bar's keyboard mode is only reachable through the Alt key it
    // watches for, so F10 plays a lone Alt press and release to it.
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
  });
}

}  // namespace gui
