// The details window `TfmMailboxDetails`: one top-level node per chosen
// mailbox, each mailbox's folder tree read the first time its node is
// clicked, a folder's messages in the owner-data list `lvMailbox`, and the
// folder statistics the reports read. Every mailbox store is logged on for
// one walk only; the profile's private store stays open while the window is.
#pragma once

#include <QDialog>
#include <QIcon>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FolderRecords.h"
#include "FolderWalk.h"
#include "GuiDialogs.h"
#include "InputHold.h"
#include "MapiPtr.h"
#include "MessageColumns.h"

class QSplitter;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace gui {

class TBevelPanel;
class TMessageListModel;
class TProgressBar;
class TStatusBar;

// The message list's sort state: process-wide, shared by every details
// window for the life of the program. Column 0 to 3, initially 0 ascending.
extern int MessageSortColumn;
extern bool MessageSortAscending;

// One mailbox handed to the window: its display name and its DN (the
// mailbox record's email address).
struct TMailboxPair {
  std::string displayName;
  std::string mailboxDn;
};

// What every node carries; the window owns it.
struct TFolderNodeData {
  std::string mailboxDn;
  std::vector<BYTE> entryId;  // none for a mailbox node
};

// The images of the two node kinds, which tell them apart.
inline constexpr int kMailboxImage = 0;
inline constexpr int kFolderImage = 1;

class TfmMailboxDetails : public QDialog {
 public:
  TfmMailboxDetails(TGuiDialogs& dialogs, QWidget* owner);
  ~TfmMailboxDetails() override;
  TfmMailboxDetails(const TfmMailboxDetails&) = delete;
  TfmMailboxDetails& operator=(const TfmMailboxDetails&) = delete;

  // Fills the top level and opens the private store; false when the store
  // cannot be opened (reported), and the window is then not shown.
  bool OpenMailboxes(IMAPISession* session, const std::string& serverDn,
                     const std::vector<TMailboxPair>& mailboxes);
  // The tree's click handler: mouse clicks only, and once directly by the
  // opener after it selected the first node.
  void TreeViewMailboxesClick();
  // Appends one record per folder of the mailbox of `mailboxNode` to the
  // folder statistics.
  void CollectFolderStatistics(QTreeWidgetItem* mailboxNode);
  void lvMailboxColumnClick(int column);
  void SpeedButton1Click();
  void sbPrintClick();
  // Asks what to print and where, then previews the report or runs the
  // export of the current folder, the current mailbox or all mailboxes.
  void PrintOrExport();
  // Releases everything the window holds; runs once.
  void FormClose();

  // --- state read by the reports, the exports and the tests ----------------
  const core::TMessageRows& MessageRows() const { return rows_; }
  // Created on the first statistics walk; the reports empty and free it.
  std::optional<core::TMsgBoxReportList>& FolderStatistics() { return statistics_; }
  bool Busy() const { return hold_.Busy(); }
  bool PrivateStoreOpen() const { return static_cast<bool>(privateStore_); }
  TMessageListModel* ListModel() const { return listModel_; }
  static TFolderNodeData* NodeData(const QTreeWidgetItem* node);
  static int NodeImage(const QTreeWidgetItem* node);
  // The texts of the nodes from the mailbox down to `node`, joined by "\".
  static QString NodePath(const QTreeWidgetItem* node);

  // --- controls ------------------------------------------------------------
  TBevelPanel* pnTop = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* sbPrint = nullptr;
  TBevelPanel* pnMain = nullptr;
  QTreeWidget* TreeViewMailboxes = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTableView* lvMailbox = nullptr;
  TStatusBar* StatusBar1 = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TDetailsTreeListener;
  friend class TDetailsContentsListener;

  void BuildControls();
  void BuildList();
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& text, int image,
                           TFolderNodeData data);
  void BuildFolderTree(QTreeWidgetItem* mailboxNode, const std::string& mailboxDn);
  // False when the load raised an error (already shown).
  bool ShowFolderContents(const TFolderNodeData& data);
  void ShowContentsPanels(ULONG count, std::uint64_t total);
  void ClearRows();
  void Report(const core::DetailsReport& report);
  // The print command's three scopes; `destination` is a TPrintDestination.
  void PrintFolder(const QTreeWidgetItem* node, int destination);
  void PrintMailbox(QTreeWidgetItem* node, int destination);
  void PrintAllMailboxes(int destination);
  // Empties the folder statistics, keeping the list when there is one.
  void ClearStatistics();

  TGuiDialogs& dialogs_;
  mapi::ComPtr<IMAPISession> session_;  // a reference of its own, released on close
  std::string serverDn_;
  std::string privateMdbDn_;
  mapi::ComPtr<IMsgStore> privateStore_;
  QTreeWidgetItem* lastSelected_ = nullptr;
  core::TMessageRows rows_;
  std::optional<core::TMsgBoxReportList> statistics_;
  std::vector<std::unique_ptr<TFolderNodeData>> nodeData_;
  TMessageListModel* listModel_ = nullptr;
  QIcon nodeIcons_[2];                // the mailbox and the folder image, drawn once
  TProgressBar* progress_ = nullptr;  // lives while a contents load runs
  // The busy flag: held while a tree is built, statistics are collected or
  // a folder's contents load, so a click cannot start a second walk.
  TInputHold hold_{*this};
  bool closed_ = false;
};

}  // namespace gui
