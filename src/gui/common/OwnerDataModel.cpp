#include "OwnerDataModel.h"

namespace gui {

TOwnerDataModel::TOwnerDataModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), headerImages_(columns, -1) {}

void TOwnerDataModel::SetItemCount(int count) {
  if (count < 0) count = 0;
  if (count == itemCount_) {
    RowsChanged();
    return;
  }
  beginResetModel();
  itemCount_ = count;
  endResetModel();
}

void TOwnerDataModel::SetHeaderImage(int column, int image) {
  if (column < 0 || column >= columns_) return;
  headerImages_[static_cast<std::size_t>(column)] = image;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

int TOwnerDataModel::HeaderImage(int column) const {
  return column >= 0 && column < columns_ ? headerImages_[static_cast<std::size_t>(column)] : -1;
}

void TOwnerDataModel::RowsChanged() {
  if (itemCount_ > 0)
    emit dataChanged(index(0, 0), index(itemCount_ - 1, columns_ - 1), {Qt::DisplayRole});
}

int TOwnerDataModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : itemCount_;
}

int TOwnerDataModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

Qt::ItemFlags TOwnerDataModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace gui
