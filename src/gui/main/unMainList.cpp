// The mailbox list: sorting by a header click, and the two ways into the
// details window.
#include <QTableView>

#include "MailboxListModel.h"
#include "unMain.h"

namespace gui {

void TfrmMainExecute::ListViewRecipientsColumnClick(int column) {
  if (Busy() || column < 0 || column >= kMailboxListColumns) return;
  if (column == SortColumn)
    SortAscending = !SortAscending;
  else
    SortAscending = false;
  if (listModel_->ItemCount() > 0) {
    for (int c = 0; c < kMailboxListColumns; ++c) listModel_->SetHeaderImage(c, -1);
    listModel_->SetHeaderImage(column, SortAscending ? 0 : 1);
  }
  SortColumn = column;
  SortMailboxes(mailboxes_, SortColumn, SortAscending);
  listModel_->RowsChanged();
  ListViewRecipients->viewport()->update();
}

void TfrmMainExecute::ListViewRecipientsDblClick() {
  // Opens the details window for the selected row once that window exists;
  // until then a double click does nothing.
}

void TfrmMainExecute::sbUSDClick() {
  // Opens the selection dialog and then the details window once those
  // exist; until then the button does nothing.
}

}  // namespace gui
