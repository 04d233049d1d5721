// The details window's walks: a tree click, the folder tree of a mailbox,
// the folder statistics and a folder's contents, each run by the core with
// a listener that shows what it reads.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTreeWidget>

#include "AnsiText.h"
#include "FolderContents.h"
#include "MessageListModel.h"
#include "NumberText.h"
#include "TProgressBar.h"
#include "TStatusBar.h"
#include "uMBDetails.h"

namespace gui {

class TDetailsTreeListener : public core::FolderWalkListener {
 public:
  TDetailsTreeListener(TfmMailboxDetails& w, core::FolderWalkKind kind, std::string mailboxDn)
      : w_(w), kind_(kind), mailboxDn_(std::move(mailboxDn)) {}

  void Failed(core::FolderWalkStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    if (auto report = core::FolderWalkReport(kind_, step, hr, object)) w_.Report(*report);
  }
  void BeforeFolder() override { QCoreApplication::processEvents(); }
  core::FolderNodeHandle FolderAdded(core::FolderNodeHandle parent,
                                     const core::FolderEntry& folder) override {
    auto* node = w_.AddNode(reinterpret_cast<QTreeWidgetItem*>(parent), folder.displayName,
                            kFolderImage, TFolderNodeData{mailboxDn_, folder.entryId});
    return reinterpret_cast<core::FolderNodeHandle>(node);
  }

 private:
  TfmMailboxDetails& w_;
  core::FolderWalkKind kind_;
  std::string mailboxDn_;
};

class TDetailsContentsListener : public core::ContentsListener {
 public:
  explicit TDetailsContentsListener(TfmMailboxDetails& w) : w_(w) {}

  void Failed(core::ContentsStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    // A folder that does not open is reported here and the previous rows
    // stay; every other failure is raised to the click and shown after the
    // window has tidied up.
    if (step == core::ContentsStep::OpenFolder)
      w_.Report(core::ContentsFailureReport(step, hr, object));
    else
      raised = hr;
  }
  void FolderOpened() override {
    w_.ClearRows();
    QCoreApplication::processEvents();
    w_.lvMailbox->viewport()->update();
    QCoreApplication::processEvents();
  }
  void RowCountKnown(ULONG count) override {
    if (count == 0) return;
    auto* progress = new TProgressBar(w_.StatusBar1);
    progress->setGeometry(3, 3, 300, w_.StatusBar1->height() - 4);
    progress->SetRange(0, static_cast<int>(std::min<ULONG>(count, INT_MAX)));
    progress->SetStep(1);
    progress->show();
    w_.progress_ = progress;
  }
  void RowRead(core::TOneFolderMessages message) override {
    if (w_.progress_) w_.progress_->StepIt();
    // Each row is a point where the window may repaint and react; the
    // events are processed there once some milliseconds have passed since
    // the last time, which keeps the window as lively as processing them at
    // every row and costs a folder of 200,000 messages a fraction of it.
    if (!pumped_.isValid() || pumped_.elapsed() >= kPumpIntervalMs) {
      QCoreApplication::processEvents();
      pumped_.start();
    }
    w_.rows_.push_back(std::move(message));
  }

  std::optional<HRESULT> raised;

 private:
  static constexpr qint64 kPumpIntervalMs = 10;
  TfmMailboxDetails& w_;
  QElapsedTimer pumped_;
};

void TfmMailboxDetails::Report(const core::DetailsReport& report) {
  if (report.box == core::ReportBox::Plain)
    dialogs_.PlainBox(report.text);
  else
    dialogs_.ErrorBox(report.text);
}

void TfmMailboxDetails::TreeViewMailboxesClick() {
  if (Busy()) {
    // A click during a walk falls back to the node being read.
    TreeViewMailboxes->setCurrentItem(lastSelected_);
    return;
  }
  QTreeWidgetItem* node = TreeViewMailboxes->currentItem();
  if (!node || node == lastSelected_) return;
  lastSelected_ = node;
  const TFolderNodeData* data = NodeData(node);
  if (!data) return;
  if (NodeImage(node) == kMailboxImage && node->childCount() == 0) {
    TreeViewMailboxes->setUpdatesEnabled(false);
    BuildFolderTree(node, data->mailboxDn);
    TreeViewMailboxes->setUpdatesEnabled(true);
    node->setExpanded(true);
    TreeViewMailboxes->expandRecursively(TreeViewMailboxes->indexFromItem(node));
  } else if (NodeImage(node) == kFolderImage) {
    if (ShowFolderContents(*data))
      TreeViewMailboxes->expandRecursively(TreeViewMailboxes->indexFromItem(node));
  }
}

void TfmMailboxDetails::BuildFolderTree(QTreeWidgetItem* mailboxNode,
                                        const std::string& mailboxDn) {
  TInputHold::Scope busy(hold_);
  TDetailsTreeListener listener(*this, core::FolderWalkKind::Tree, mailboxDn);
  const core::MailboxSource source{session_.get(), privateStore_.get(), privateMdbDn_};
  core::BuildFolderTree(source, mailboxDn, reinterpret_cast<core::FolderNodeHandle>(mailboxNode),
                        listener);
}

void TfmMailboxDetails::CollectFolderStatistics(QTreeWidgetItem* mailboxNode) {
  const TFolderNodeData* data = NodeData(mailboxNode);
  if (!data || Busy()) return;
  if (!statistics_) statistics_.emplace();
  TInputHold::Scope busy(hold_);
  TDetailsTreeListener listener(*this, core::FolderWalkKind::Statistics, data->mailboxDn);
  const core::MailboxSource source{session_.get(), privateStore_.get(), privateMdbDn_};
  core::CollectFolderStatistics(source, data->mailboxDn, ToAnsi(mailboxNode->text(0)), *statistics_,
                                listener);
}

void TfmMailboxDetails::ShowContentsPanels(ULONG count, std::uint64_t total) {
  StatusBar1->ClearPanels();
  StatusBar1->AddPanel(130, QStringLiteral("%1 Messages").arg(count));
  StatusBar1->AddPanel(0, QStringLiteral("Total Message Size: ") +
                              FromAnsi(core::KilobytesText(static_cast<double>(total))) +
                              QStringLiteral(" K"));
}

bool TfmMailboxDetails::ShowFolderContents(const TFolderNodeData& data) {
  StatusBar1->ClearPanels();
  StatusBar1->repaint();
  QCoreApplication::processEvents();
  core::ContentsResult result;
  TDetailsContentsListener listener(*this);
  {
    TInputHold::Scope busy(hold_);
    lvMailbox->setUpdatesEnabled(false);
    const core::MailboxSource source{session_.get(), privateStore_.get(), privateMdbDn_};
    result = core::LoadFolderContents(source, data.mailboxDn, data.entryId, listener);
    delete progress_;
    progress_ = nullptr;
    ShowContentsPanels(result.count, result.total);
    listModel_->SetItemCount(static_cast<int>(rows_.size()));
    lvMailbox->setUpdatesEnabled(true);
    lvMailbox->viewport()->update();
  }
  if (listener.raised) {
    dialogs_.ErrorBox(core::RaisedErrorText(*listener.raised));
    return false;
  }
  return true;
}

}  // namespace gui
