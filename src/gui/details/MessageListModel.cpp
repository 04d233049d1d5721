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
    : TOwnerDataModel(core::kMessageListColumns, parent),
      rows_(rows),
      paperClip_(DetailsImage(kPaperClip)) {
  SetHeaderImage(0, kPaperClip);
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
      if (index.column() == 0 && message.hasAttachment) return paperClip_;
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
      const int image = HeaderImage(section);
      return image >= 0 ? QVariant(DetailsImage(image)) : QVariant();
    }
    case Qt::TextAlignmentRole:
      return ColumnAlignment(section);
    default:
      return {};
  }
}

}  // namespace gui
