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
    : TOwnerDataModel(core::kMailboxListColumns, parent), records_(records) {}

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
      const int image = HeaderImage(section);
      if (image == 0 || image == 1) return SortMark(image);
      return {};
    }
    case Qt::TextAlignmentRole:
      return ColumnAlignment(section);
    default:
      return {};
  }
}

}  // namespace gui
