// The details window's "Print": the current folder's messages, the current
// mailbox's folders or the folders of every mailbox of the tree, as a
// report preview or as an export. The folder statistics are read afresh
// from the stores for every command.
#include <QRadioButton>
#include <QTreeWidget>

#include "AnsiText.h"
#include "ApplicationTitle.h"
#include "RadioGroup.h"
#include "uMBDetails.h"
#include "unAllMailBoxes.h"
#include "unExportingDlg.h"
#include "unFolderPrint.h"
#include "unMailboxReport.h"
#include "unPrintRepDial.h"

namespace gui {

namespace {

enum class TPrintScope { CurrentFolder, CurrentMailbox, AllMailboxes };

// The export kind of a scope for the spreadsheet or the document; nothing
// for the preview.
std::optional<TExportKind> ExportKind(int destination, TExportKind toExcel, TExportKind toWord) {
  switch (static_cast<TPrintDestination>(destination)) {
    case TPrintDestination::Excel:
      return toExcel;
    case TPrintDestination::Word:
      return toWord;
    case TPrintDestination::Preview:
      break;
  }
  return std::nullopt;
}

}  // namespace

QString TfmMailboxDetails::NodePath(const QTreeWidgetItem* node) {
  QString path = node->text(0);
  for (const QTreeWidgetItem* parent = node->parent(); parent; parent = parent->parent())
    path = parent->text(0) + QLatin1Char('\\') + path;
  return path;
}

void TfmMailboxDetails::sbPrintClick() {
  PrintOrExport();
}

void TfmMailboxDetails::PrintOrExport() {
  QTreeWidgetItem* node = TreeViewMailboxes->currentItem();
  TPrintScope scope = TPrintScope::CurrentFolder;
  int destination = -1;
  {
    TfrmPrintReport dialog(this);
    // In this order, each button set or cleared as the node says: "All
    // Maiboxes" is checked first and so never survives a selected node.
    SetRadioChecked(dialog.rbAM, node != nullptr);
    SetRadioChecked(dialog.rbCM, NodeImage(node) == kMailboxImage);
    SetRadioChecked(dialog.rbCF, NodeImage(node) == kFolderImage);
    if (dialogs_.ExecModal(dialog) != QDialog::Accepted) return;
    if (dialog.rbAM->isChecked())
      scope = TPrintScope::AllMailboxes;
    else if (dialog.rbCM->isChecked())
      scope = TPrintScope::CurrentMailbox;
    destination = dialog.rgToWhere->ItemIndex();
  }
  switch (scope) {
    case TPrintScope::CurrentFolder:
      PrintFolder(node, destination);
      break;
    case TPrintScope::CurrentMailbox:
      PrintMailbox(node, destination);
      break;
    case TPrintScope::AllMailboxes:
      PrintAllMailboxes(destination);
      break;
  }
}

void TfmMailboxDetails::PrintFolder(const QTreeWidgetItem* node, int destination) {
  if (rows_.empty()) {
    dialogs_.SystemBox("Nothing for print. Folder is empty.", mapi::ApplicationTitle(),
                       mapi::BoxIcon::Information);
    return;
  }
  if (!node) return;
  const QString path = NodePath(node);
  if (destination == static_cast<int>(TPrintDestination::Preview)) {
    TfrmFolderPrint report(dialogs_, this);
    report.SetMessages(rows_);
    report.SetTitle(QStringLiteral("Statistis for ") + path);
    report.Preview();
  } else if (const auto kind = ExportKind(destination, TExportKind::ekMessagesToExcel,
                                          TExportKind::ekMessagesToWord)) {
    RunExport(dialogs_, this, &rows_, ToAnsi(path), *kind);
  }
}

void TfmMailboxDetails::ClearStatistics() {
  if (statistics_) statistics_->clear();
}

void TfmMailboxDetails::PrintMailbox(QTreeWidgetItem* node, int destination) {
  if (!node) return;
  ClearStatistics();
  QTreeWidgetItem* mailbox = node;
  while (mailbox->parent()) mailbox = mailbox->parent();
  CollectFolderStatistics(mailbox);
  if (!statistics_) statistics_.emplace();
  const QString name = mailbox->text(0);
  if (destination == static_cast<int>(TPrintDestination::Preview)) {
    {
      TfrmMailboxReport report(dialogs_, this);
      report.SetFolders(*statistics_);
      report.SetTitle(QStringLiteral("Statistis for ") + name);
      report.Preview();
    }
    statistics_.reset();
  } else if (const auto kind = ExportKind(destination, TExportKind::ekMailboxFoldersToExcel,
                                          TExportKind::ekMailboxFoldersToWord)) {
    // The records stay until the next print command.
    RunExport(dialogs_, this, &*statistics_, ToAnsi(name), *kind);
  }
}

void TfmMailboxDetails::PrintAllMailboxes(int destination) {
  ClearStatistics();
  for (int i = 0; i < TreeViewMailboxes->topLevelItemCount(); ++i)
    CollectFolderStatistics(TreeViewMailboxes->topLevelItem(i));
  if (!statistics_) statistics_.emplace();
  if (destination == static_cast<int>(TPrintDestination::Preview)) {
    // The report keeps its own copy in its table; the records go at once.
    TfrmAllMailBoxes report(dialogs_, this);
    report.FillTable(*statistics_);
    statistics_.reset();
    report.SetTitle(QStringLiteral("Mailbox Statistis"));
    report.Preview();
  } else if (const auto kind = ExportKind(destination, TExportKind::ekAllFoldersToExcel,
                                          TExportKind::ekAllFoldersToWord)) {
    RunExport(dialogs_, this, &*statistics_, std::string(), *kind);
  }
}

}  // namespace gui
