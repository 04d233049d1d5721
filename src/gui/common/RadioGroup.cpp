#include "RadioGroup.h"

#include <QRadioButton>

namespace gui {

namespace {

// The frame's caption takes the top of the box; the items share the rest,
// one row of columns per line, inset from the frame.
constexpr int kInset = 8;
constexpr int kCaptionHeight = 14;
constexpr int kItemHeight = 17;

}  // namespace

TRadioGroup::TRadioGroup(QWidget* parent, const QString& caption, const QStringList& items,
                         int columns, QRect geometry)
    : QGroupBox(caption, parent) {
  setGeometry(geometry);
  const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
  const int columnWidth = (geometry.width() - 2 * kInset) / columns;
  const int rowHeight = rows > 0 ? (geometry.height() - kCaptionHeight - 4) / rows : kItemHeight;
  for (int i = 0; i < items.size(); ++i) {
    // Items fill the first column downwards, then the next, as the
    // platform's radio groups place them.
    const int column = i / rows;
    const int row = i % rows;
    auto* item = new QRadioButton(items[i], this);
    item->setGeometry(kInset + column * columnWidth,
                      kCaptionHeight + row * rowHeight + (rowHeight - kItemHeight) / 2,
                      columnWidth - 2, kItemHeight);
    items_.push_back(item);
  }
}

int TRadioGroup::ItemIndex() const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->isChecked()) return static_cast<int>(i);
  return -1;
}

void TRadioGroup::SetItemIndex(int index) {
  for (std::size_t i = 0; i < items_.size(); ++i)
    SetRadioChecked(items_[i], static_cast<int>(i) == index);
}

QRadioButton* TRadioGroup::Item(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

void SetRadioChecked(QRadioButton* button, bool checked) {
  if (checked || !button->isChecked()) {
    button->setChecked(checked);
    return;
  }
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

TRadioGroup* MakePrintExportGroup(QWidget* parent, QRect geometry) {
  auto* group = new TRadioGroup(parent, QStringLiteral(" Print / Export "),
                                {QStringLiteral("Print/Preview"), QStringLiteral("Open with Excel"),
                                 QStringLiteral("Open with Word")},
                                3, geometry);
  group->SetItemIndex(static_cast<int>(TPrintDestination::Preview));
  return group;
}

}  // namespace gui
