// Widgets placed at fixed pixel positions, as every window of the program
// is laid out: one factory per kind of control, with the behaviour that
// kind has everywhere (speed buttons never take the focus, push buttons are
// no implicit default but are pressed by Enter when they have the focus).
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace gui {

// A label at (x, y), as wide and high as its caption.
QLabel* MakeLabel(QWidget* parent, const QString& caption, int x, int y);
// A label that wraps its caption inside `geometry`, aligned top left.
QLabel* MakeWrappedLabel(QWidget* parent, const QString& caption, QRect geometry);
QPushButton* MakeButton(QWidget* parent, const QString& caption, QRect geometry);
// A speed button: flat ones are drawn raised only under the mouse.
QToolButton* MakeSpeedButton(QWidget* parent, const QString& caption, QRect geometry, bool flat);
QRadioButton* MakeRadio(QWidget* parent, const QString& caption, QRect geometry);

}  // namespace gui
