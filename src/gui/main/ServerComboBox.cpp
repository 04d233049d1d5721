#include "ServerComboBox.h"

#include "AnsiText.h"

namespace gui {

TServerComboBox::TServerComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
}

void TServerComboBox::Clear() {
  clear();
  entries_.clear();
}

void TServerComboBox::Add(core::ServerEntry entry) {
  const QString name = FromAnsi(entry.name);
  entries_.push_back(std::move(entry));
  addItem(name);
}

int TServerComboBox::Count() const {
  return static_cast<int>(entries_.size());
}

const core::ServerEntry& TServerComboBox::Entry(int index) const {
  return entries_.at(static_cast<std::size_t>(index));
}

void TServerComboBox::Select(int index) {
  setCurrentIndex(index);
}

void TServerComboBox::SetEnabled(bool enabled) {
  setEnabled(enabled);
}

bool TServerComboBox::IsEnabled() const {
  return isEnabled();
}

const core::ServerEntry* TServerComboBox::Selected() const {
  const int index = currentIndex();
  if (index < 0 || index >= Count()) return nullptr;
  return &entries_[static_cast<std::size_t>(index)];
}

}  // namespace gui
