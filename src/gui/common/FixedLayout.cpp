#include "FixedLayout.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace gui {

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

}  // namespace gui
