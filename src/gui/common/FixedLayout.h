// Widgets placed at fixed pixel positions, as every window of the program
// is laid out: one factory per kind of control, with the behaviour that
// kind has everywhere (speed buttons never take the focus, push buttons are
// no implicit default but are pressed by Enter when they have the focus).
#pragma once

#include <QFlags>
#include <QRect>
#include <QString>

class QDialog;
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

// A fixed-size dialog whose caption bar holds only the system menu (and
// its close button).
inline constexpr Qt::WindowFlags kSystemMenuDialog =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
    Qt::MSWindowsFixedSizeDialogHint;
// Gives `dialog` its caption and fixed client size and centres it on its
// owner, when it has one.
void PlaceDialog(QDialog* dialog, const QString& caption, QSize client);

// A dialog's OK and Cancel buttons, 75 by 25, Cancel 85 pixels right of OK
// at `okAt`: OK is the default button, has the focus and accepts; Cancel
// rejects, as Escape does.
struct TOkCancel {
  QPushButton* ok;
  QPushButton* cancel;
};
TOkCancel MakeOkCancel(QDialog* dialog, const QString& ok, const QString& cancel, QPoint okAt);

}  // namespace gui
