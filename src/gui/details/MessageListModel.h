// The owner-data model behind `lvMailbox`: only a row count that its owner
// sets; a cell's text is made from the window's message rows when the view
// draws it.
#pragma once

#include <QAbstractTableModel>
#include <array>

#include "MessageColumns.h"

namespace gui {

class TMessageListModel : public QAbstractTableModel {
 public:
  // `rows` is the window's list; it outlives the model.
  TMessageListModel(const core::TMessageRows* rows, QObject* parent);

  void SetItemCount(int count);
  int ItemCount() const { return itemCount_; }
  // An index into the window's image list for a header, -1 for none.
  // Column 0 always shows the paper clip.
  void SetHeaderImage(int column, int image);
  int HeaderImage(int column) const;
  void RowsChanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const core::TMessageRows* rows_;
  int itemCount_ = 0;
  std::array<int, core::kMessageListColumns> headerImages_{8, -1, -1, -1};
};

}  // namespace gui
