// The mailbox list: sorting by a header click, and the two ways into the
// details window.
#include <QTableView>

#include "MailboxListModel.h"
#include "unMain.h"

namespace gui {

void TfrmMainExecute::ListViewRecipientsColumnClick(int column) {
  if (Busy() || column < 0 || column >= core::kMailboxListColumns) return;
  if (column == SortColumn)
    SortAscending = !SortAscending;
  else
    SortAscending = false;
  if (listModel_->ItemCount() > 0) {
    for (int c = 0; c < core::kMailboxListColumns; ++c) listModel_->SetHeaderImage(c, -1);
    listModel_->SetHeaderImage(column, SortAscending ? 0 : 1);
  }
  SortColumn = column;
  core::SortMailboxes(mailboxes_, SortColumn, SortAscending);
  listModel_->RowsChanged();
  ListViewRecipients->viewport()->update();
}

// The details window is not built yet: a double click and the "Details"
// button do nothing so far.
void TfrmMainExecute::ListViewRecipientsDblClick() {}

void TfrmMainExecute::sbUSDClick() {}

}  // namespace gui
