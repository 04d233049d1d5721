// Loading a server's mailbox table into the list, with a progress bar in
// the status bar, and the server discovery after a logon.
#include <QApplication>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <climits>

#include "AnsiText.h"
#include "MailboxListModel.h"
#include "MailboxRecord.h"
#include "MailboxTable.h"
#include "MapiErrorText.h"
#include "NumberText.h"
#include "PrivateStore.h"
#include "ServerComboBox.h"
#include "TProgressBar.h"
#include "TStatusBar.h"
#include "unMain.h"

namespace gui {

namespace {

bool IsNotFound(HRESULT hr) {
  return hr == E_FAIL || hr == EDK_E_NOT_FOUND;
}

}  // namespace

// The GUI's side of the mailbox-table road: its messages, the progress bar
// and the records.
class TMainLoadListener final : public core::MailboxTableListener {
 public:
  TMainLoadListener(TfrmMainExecute& window, mapi::HourglassCursor& cursor)
      : w_(window), cursor_(cursor) {}

  std::int64_t TotalSize() const { return totalSize_; }

  void Failed(core::MailboxTableStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    using core::MailboxTableStep;
    cursor_.Restore();
    mapi::UserDialogs& d = w_.dialogs_;
    const auto text = [&] { return mapi::MapiErrorText(mapi::Flavour::Gui, object, hr); };
    switch (step) {
      case MailboxTableStep::QueryInterface:
        d.ErrorBox(IsNotFound(hr) ? "Can't  get \"Exchange Manage Store\"" : text());
        break;
      case MailboxTableStep::StoreLogoff:
        d.ErrorBox("MS MAPI Error!");
        break;
      case MailboxTableStep::GetMailboxTable:
        d.ErrorBox(core::MailboxTableFailureText(mapi::Flavour::Gui, hr, object));
        break;
      case MailboxTableStep::SetColumns:
        d.ErrorBox(IsNotFound(hr) ? "Can't set Content Table Properties!" : text());
        break;
      case MailboxTableStep::GetRowCount:
        d.SystemBox(IsNotFound(hr) ? "Error on Get Count" : text(), "MAPI Error",
                    mapi::BoxIcon::Error);
        break;
      case MailboxTableStep::SeekRow:
        d.SystemBox(IsNotFound(hr) ? "Error on Seek Row" : text(), "MAPI Error",
                    mapi::BoxIcon::Error);
        break;
      case MailboxTableStep::QueryRows:
        d.PlainBox(IsNotFound(hr) ? "MS MAPI Error on Query All Mailbox Rows." : text());
        break;
      case MailboxTableStep::AllocateColumns:
        d.ErrorBox(text());
        break;
    }
  }

  bool RowCountKnown(ULONG count) override {
    w_.mailboxes_.clear();
    TStatusBar* bar = w_.StatusBar;
    bar->ClearPanels();
    const int firstWidth = w_.StatusTextWidth(20);
    bar->AddPanel(firstWidth);
    bar->AddPanel(306, QString(), true);
    const long long maximum = static_cast<long long>(count) - 1;
    const QString countText = QStringLiteral("Mailbox Count: %1").arg(maximum + 1);
    bar->AddPanel(w_.StatusTextWidth(static_cast<int>(countText.size())), countText);
    auto* progress = new TProgressBar(bar);
    progress->setGeometry(firstWidth + bar->x() + 3, 3, 300, bar->height() - 4);
    progress->SetStep(1);
    progress->SetRange(0, static_cast<int>(std::clamp<long long>(maximum, -1, INT_MAX)));
    progress->show();
    w_.progress_ = progress;
    return true;
  }

  void Row(const SRow& row) override {
    auto record = std::make_unique<core::acTableContent>(
        core::ConvertMailboxRow(row, mapi::Flavour::Gui, nullptr));
    w_.StatusBar->SetPanelText(0, FromAnsi(record->displayName));
    totalSize_ += record->messageSize;
    if (w_.progress_) w_.progress_->StepIt();
    w_.mailboxes_.push_back(std::move(record));
  }

  void BatchDone() override { QCoreApplication::processEvents(); }

 private:
  TfrmMainExecute& w_;
  mapi::HourglassCursor& cursor_;
  std::int64_t totalSize_ = 0;
};

bool TfrmMainExecute::LoadMailboxTable(std::string serverDn) {
  // The DN is taken by value: the caller may hand in ServerDN itself, which
  // is released below before the copy is made.
  BusyScope busy(hold_);
  StatusBar->ClearPanels();
  mapi::HourglassCursor cursor(&dialogs_);
  sbLogOn->setEnabled(false);
  sbUSD->setEnabled(false);
  sbPrint->setEnabled(false);
  SetItemCount(0);
  mailboxes_.clear();
  discovery_.serverDn.clear();

  TMainLoadListener listener(*this, cursor);
  mapi::ComPtr<IMsgStore> store;
  discovery_.lastResult = core::OpenPrivateStoreGui(session_.get(), &store);
  if (SUCCEEDED(discovery_.lastResult) && !store) discovery_.lastResult = E_FAIL;
  if (FAILED(discovery_.lastResult)) {
    cursor.Restore();
    std::string text = "You do not have LIVE connection to Microsoft Exchange Server.\r\n";
    if (IsNotFound(discovery_.lastResult))
      text += "Can't  open \"Exchange Private Store\"";
    else
      text += mapi::MapiErrorText(mapi::Flavour::Gui, session_.get(), discovery_.lastResult);
    dialogs_.ErrorBox(text);
  } else {
    discovery_.lastResult = core::ReadMailboxTable(mapi::Flavour::Gui, std::move(store), serverDn,
                                                   &discovery_.serverDn, listener);
  }

  // The end, on every path.
  delete progress_;
  progress_ = nullptr;
  cursor.Restore();
  sbLogOn->setEnabled(true);
  SetItemCount(static_cast<int>(mailboxes_.size()));
  ListViewRecipients->viewport()->update();
  ShowFinalPanels(listener.TotalSize());
  const bool any = !mailboxes_.empty();
  sbUSD->setEnabled(any);
  sbPrint->setEnabled(sbUSD->isEnabled());
  SetListHint(sbPrint->isEnabled());
  return discovery_.lastResult == S_OK;
}

void TfrmMainExecute::ShowFinalPanels(std::int64_t totalSize) {
  StatusBar->ClearPanels();
  const QString count = QStringLiteral("Mailbox Count: %1").arg(mailboxes_.size());
  StatusBar->AddPanel(StatusTextWidth(static_cast<int>(count.size())), count);
  const QString size = QStringLiteral("Total Messages Size: ") +
                       FromAnsi(core::KilobytesText(static_cast<double>(totalSize))) +
                       QStringLiteral(" K");
  StatusBar->AddPanel(StatusTextWidth(static_cast<int>(size.size())), size);
}

std::optional<std::string> TfrmMainExecute::FindHomeServer() {
  return core::FindHomeServer(session_.get(), dialogs_, *ComboBoxServers, discovery_);
}

void TfrmMainExecute::ComboBoxServersChange() {
  if (Busy()) return;
  const core::ServerEntry* entry = ComboBoxServers->Selected();
  LoadMailboxTable(entry && entry->legacyDn ? *entry->legacyDn : std::string());
}

}  // namespace gui
