// What the owner-data list models share: the views hold no items, only a
// count that the owner sets, and each header may show one image of the
// window's image list. The models add the texts of their own records.
#pragma once

#include <QAbstractTableModel>
#include <vector>

namespace gui {

class TOwnerDataModel : public QAbstractTableModel {
 public:
  TOwnerDataModel(int columns, QObject* parent);

  // The list view's item count; setting the same count again only redraws.
  void SetItemCount(int count);
  int ItemCount() const { return itemCount_; }
  // The header image of a column: an index into the window's images, -1 none.
  void SetHeaderImage(int column, int image);
  int HeaderImage(int column) const;
  // Every row's texts may have changed (the records were reordered).
  void RowsChanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int columns_;
  int itemCount_ = 0;
  std::vector<int> headerImages_;
};

}  // namespace gui
