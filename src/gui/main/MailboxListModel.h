// The owner-data model behind `ListViewRecipients`: it holds no texts, only
// the row count its owner sets, and formats a cell from the main window's
// records when the view asks for it.
#pragma once

#include "MailboxCompare.h"
#include "OwnerDataModel.h"

namespace gui {

class TMailboxListModel : public TOwnerDataModel {
 public:
  // `records` is the main window's list; it outlives the model. Rows past
  // the records' end stay blank.
  TMailboxListModel(const core::TMailboxList* records, QObject* parent);

  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const core::TMailboxList* records_;
};

}  // namespace gui
