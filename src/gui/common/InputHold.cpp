#include "InputHold.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace gui {

TInputHold::TInputHold(QWidget& window) : window_(window) {}

TInputHold::~TInputHold() {
  if (depth_ > 0) qApp->removeEventFilter(this);
}

bool TInputHold::DeferClose() {
  if (!Busy()) return false;
  closePending_ = true;
  return true;
}

void TInputHold::Begin() {
  if (depth_++ == 0) qApp->installEventFilter(this);
}

void TInputHold::End() {
  if (--depth_ != 0) return;
  qApp->removeEventFilter(this);
  if (closePending_) {
    closePending_ = false;
    QTimer::singleShot(0, &window_, [w = &window_] { w->close(); });
  }
}

bool TInputHold::eventFilter(QObject* watched, QEvent* event) {
  if (!Busy() || !watched->isWidgetType()) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu: {
      auto* widget = static_cast<QWidget*>(watched);
      if (letThrough_ && (widget == letThrough_ || letThrough_->isAncestorOf(widget))) return false;
      return widget->window() == &window_;
    }
    default:
      return false;
  }
}

TInputHold::Scope::Scope(TInputHold& hold) : hold_(hold) {
  hold_.Begin();
}

TInputHold::Scope::~Scope() {
  hold_.End();
}

}  // namespace gui
