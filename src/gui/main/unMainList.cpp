// The mailbox list: sorting by a header click, and the two ways into the
// details window.
#include <QTableView>
#include <QTreeWidget>

#include "AnsiText.h"
#include "MailboxListModel.h"
#include "uMBDetails.h"
#include "unMain.h"
#include "unUSDS.h"

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

void TfrmMainExecute::ListViewRecipientsDblClick() {
  if (Busy()) return;
  const QModelIndexList selected = ListViewRecipients->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  const auto row = static_cast<std::size_t>(selected.first().row());
  if (row >= mailboxes_.size() || !mailboxes_[row]) return;
  ShowDetails({{mailboxes_[row]->displayName, mailboxes_[row]->emailAddress}});
}

void TfrmMainExecute::sbUSDClick() {
  if (Busy()) return;
  int count = 0;
  {
    TfrmDetails selection(this);
    selection.Clear();
    for (auto& record : mailboxes_) {
      record->selected = false;
      selection.AddItem(FromAnsi(record->displayName));
    }
    if (dialogs_.ExecModal(selection) == QDialog::Accepted) {
      for (std::size_t k = 0; k < mailboxes_.size(); ++k) {
        mailboxes_[k]->selected = selection.Checked(static_cast<int>(k));
        if (mailboxes_[k]->selected) ++count;
      }
    }
  }
  if (count < 1) return;
  if (!dialogs_.Question(DetailsConfirmationText(count))) return;
  std::vector<TMailboxPair> pairs;
  for (const auto& record : mailboxes_)
    if (record->selected) pairs.push_back({record->displayName, record->emailAddress});
  ShowDetails(pairs);
}

std::string DetailsConfirmationText(int count) {
  return "You have selected " + std::to_string(count) + " Mailboxes for detail report.\r\n" +
         "Do you like to continue?";
}

void TfrmMainExecute::ShowDetails(const std::vector<TMailboxPair>& mailboxes) {
  TfmMailboxDetails details(dialogs_, this);
  if (!details.OpenMailboxes(session_.get(), discovery_.serverDn, mailboxes)) return;
  details.TreeViewMailboxes->setCurrentItem(details.TreeViewMailboxes->topLevelItem(0));
  details.TreeViewMailboxesClick();
  dialogs_.ExecModal(details);
}

}  // namespace gui
