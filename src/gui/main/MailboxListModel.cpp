#include "MailboxListModel.h"

#include "AnsiText.h"
#include "Icons.h"
#include "MailboxColumns.h"

namespace gui {

namespace {

// Cells and headers align alike.
QVariant ColumnAlignment(int column) {
  return QVariant::fromValue(
      Qt::AlignVCenter |
      (core::kMailboxColumnsShown[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
}

}  // namespace

TMailboxListModel::TMailboxListModel(const core::TMailboxList* records, QObject* parent)
    : QAbstractTableModel(parent), records_(records) {
  headerImages_.fill(-1);
}

void TMailboxListModel::SetItemCount(int count) {
  if (count < 0) count = 0;
  if (count == itemCount_) {
    RowsChanged();
    return;
  }
  beginResetModel();
  itemCount_ = count;
  endResetModel();
}

void TMailboxListModel::SetHeaderImage(int column, int image) {
  if (column < 0 || column >= core::kMailboxListColumns) return;
  headerImages_[static_cast<std::size_t>(column)] = image;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

int TMailboxListModel::HeaderImage(int column) const {
  return column >= 0 && column < core::kMailboxListColumns
             ? headerImages_[static_cast<std::size_t>(column)]
             : -1;
}

void TMailboxListModel::RowsChanged() {
  if (itemCount_ > 0)
    emit dataChanged(index(0, 0), index(itemCount_ - 1, core::kMailboxListColumns - 1),
                     {Qt::DisplayRole});
}

int TMailboxListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : itemCount_;
}

int TMailboxListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : core::kMailboxListColumns;
}

QVariant TMailboxListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= core::kMailboxListColumns) return {};
  if (role == Qt::TextAlignmentRole) return ColumnAlignment(index.column());
  if (role != Qt::DisplayRole) return {};
  // A row the records do not reach stays blank.
  const auto row = static_cast<std::size_t>(index.row());
  if (records_->empty() || row >= records_->size() || !(*records_)[row]) return QString();
  return FromAnsi(core::MailboxCellText(*(*records_)[row], index.column()));
}

QVariant TMailboxListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= core::kMailboxListColumns)
    return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromLatin1(core::kMailboxColumnsShown[section].caption);
    case Qt::DecorationRole: {
      const int image = headerImages_[static_cast<std::size_t>(section)];
      if (image == 0 || image == 1) return SortMark(image);
      return {};
    }
    case Qt::TextAlignmentRole:
      return ColumnAlignment(section);
    default:
      return {};
  }
}

Qt::ItemFlags TMailboxListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace gui
