// The owner-data model behind `ListViewRecipients`: it holds no texts, only
// the row count its owner sets, and formats a cell from the main window's
// records when the view asks for it.
#pragma once

#include <QAbstractTableModel>
#include <array>

#include "MailboxCompare.h"

namespace gui {

class TMailboxListModel : public QAbstractTableModel {
 public:
  // `records` is the main window's list; it outlives the model.
  TMailboxListModel(const core::TMailboxList* records, QObject* parent);

  // The list view's item count; rows past the records' end stay blank.
  void SetItemCount(int count);
  int ItemCount() const { return itemCount_; }

  // The header image of a column: an index into the sort marks, -1 none.
  void SetHeaderImage(int column, int image);
  int HeaderImage(int column) const;

  // Every row's texts may have changed (the records were reordered).
  void RowsChanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const core::TMailboxList* records_;
  int itemCount_ = 0;
  std::array<int, core::kMailboxListColumns> headerImages_;
};

}  // namespace gui
