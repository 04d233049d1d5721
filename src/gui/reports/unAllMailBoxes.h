// The all-mailboxes report: the folder statistics of every mailbox copied
// into a table that the engine walks, grouped by mailbox, with each group's
// totals in its footer.
#pragma once

#include <QWidget>

#include "FolderRecords.h"
#include "GuiDialogs.h"
#include "RecordSource.h"
#include "ReportDialogs.h"
#include "ReportModel.h"

namespace gui {

class TfrmAllMailBoxes final : public QWidget {
 public:
  TfrmAllMailBoxes(TGuiDialogs& dialogs, QWidget* owner);

  // Copies the records into MemoryTable: mailbox cut to 64 characters,
  // folder path to 128, items, size in kilobytes. The caller may free its
  // list afterwards.
  void FillTable(const core::TMsgBoxReportList& folders);
  void SetTitle(const QString& title);
  // The standard preview with its thumbnails; false when the report could
  // not be built (the error box has been shown).
  bool Preview();

  reportengine::MemoryTable MemoryTable;
  reportengine::Report QuickRepAllBox;

 private:
  TReportDialogs dialogs_;
};

}  // namespace gui
