#include "MessageListModel.h"

#include "AnsiText.h"
#include "Icons.h"

namespace gui {

namespace {

constexpr int kPaperClip = 8;

QVariant ColumnAlignment(int column) {
  return QVariant::fromValue(
      Qt::AlignVCenter |
      (core::kMessageColumnsShown[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
}

}  // namespace

TMessageListModel::TMessageListModel(const core::TMessageRows* rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

void TMessageListModel::SetItemCount(int count) {
  if (count < 0) count = 0;
  beginResetModel();
  itemCount_ = count;
  endResetModel();
}

void TMessageListModel::SetHeaderImage(int column, int image) {
  if (column <= 0 || column >= core::kMessageListColumns) return;
  headerImages_[static_cast<std::size_t>(column)] = image;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

int TMessageListModel::HeaderImage(int column) const {
  return column >= 0 && column < core::kMessageListColumns
             ? headerImages_[static_cast<std::size_t>(column)]
             : -1;
}

void TMessageListModel::RowsChanged() {
  if (itemCount_ > 0)
    emit dataChanged(index(0, 0), index(itemCount_ - 1, core::kMessageListColumns - 1));
}

int TMessageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : itemCount_;
}

int TMessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : core::kMessageListColumns;
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= core::kMessageListColumns) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (row >= rows_->size()) return {};
  const core::TOneFolderMessages& message = (*rows_)[row];
  switch (role) {
    case Qt::DisplayRole:
      return FromAnsi(core::MessageCellText(message, index.column()));
    case Qt::DecorationRole:
      if (index.column() == 0 && message.hasAttachment) return DetailsImage(kPaperClip);
      return {};
    case Qt::TextAlignmentRole:
      return ColumnAlignment(index.column());
    default:
      return {};
  }
}

QVariant TMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= core::kMessageListColumns)
    return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromLatin1(core::kMessageColumnsShown[section].caption);
    case Qt::DecorationRole: {
      const int image = headerImages_[static_cast<std::size_t>(section)];
      return image >= 0 ? QVariant(DetailsImage(image)) : QVariant();
    }
    case Qt::TextAlignmentRole:
      return ColumnAlignment(section);
    default:
      return {};
  }
}

Qt::ItemFlags TMessageListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace gui
