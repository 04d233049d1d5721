// The owner-data model behind `lvMailbox`: only a row count that its owner
// sets; a cell's text is made from the window's message rows when the view
// draws it.
#pragma once

#include <QPixmap>

#include "MessageColumns.h"
#include "OwnerDataModel.h"

namespace gui {

class TMessageListModel : public TOwnerDataModel {
 public:
  // `rows` is the window's list; it outlives the model. Column 0's header
  // shows the paper clip (image 8) from the start.
  TMessageListModel(const core::TMessageRows* rows, QObject* parent);

  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const core::TMessageRows* rows_;
  QPixmap paperClip_;  // drawn once, shown by every row with an attachment
};

}  // namespace gui
