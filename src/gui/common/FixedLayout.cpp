#include "FixedLayout.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace gui {

namespace {

// Enter on a focused push button presses it. Qt's autoDefault would do the
// same, but it also makes the first such button a dialog's default when the
// dialog has none, so Enter in an edit box would press a button that the
// window never made its default (the temporary-profile dialog's
// "Check Name").
class TEnterPresses : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    auto* button = static_cast<QPushButton*>(watched);
    if (button->isEnabled()) button->click();
    return true;
  }
};

}  // namespace

QLabel* MakeLabel(QWidget* parent, const QString& caption, int x, int y) {
  auto* label = new QLabel(caption, parent);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLabel* MakeWrappedLabel(QWidget* parent, const QString& caption, QRect geometry) {
  auto* label = new QLabel(caption, parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(geometry);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, QRect geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->installEventFilter(new TEnterPresses(button));
  return button;
}

QToolButton* MakeSpeedButton(QWidget* parent, const QString& caption, QRect geometry, bool flat) {
  auto* button = new QToolButton(parent);
  button->setText(caption);
  button->setGeometry(geometry);
  button->setAutoRaise(flat);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QRadioButton* MakeRadio(QWidget* parent, const QString& caption, QRect geometry) {
  auto* radio = new QRadioButton(caption, parent);
  radio->setGeometry(geometry);
  return radio;
}

void PlaceDialog(QDialog* dialog, const QString& caption, QSize client) {
  dialog->setWindowTitle(caption);
  dialog->setFixedSize(client);
  if (const QWidget* owner = dialog->parentWidget())
    dialog->move(owner->geometry().center() - dialog->rect().center());
}

TOkCancel MakeOkCancel(QDialog* dialog, const QString& ok, const QString& cancel, QPoint okAt) {
  TOkCancel buttons{MakeButton(dialog, ok, QRect(okAt, QSize(75, 25))),
                    MakeButton(dialog, cancel, QRect(okAt + QPoint(85, 0), QSize(75, 25)))};
  buttons.ok->setDefault(true);
  QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  buttons.ok->setFocus();
  return buttons;
}

}  // namespace gui
