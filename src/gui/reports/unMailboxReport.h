// The mailbox report: one line per folder of a mailbox (path, items, size)
// and the mailbox's totals.
#pragma once

#include <QWidget>

#include "FolderRecords.h"
#include "GuiDialogs.h"
#include "ReportDialogs.h"
#include "ReportFeed.h"
#include "ReportModel.h"

namespace gui {

class TfrmMailboxReport final : public QWidget {
 public:
  TfrmMailboxReport(TGuiDialogs& dialogs, QWidget* owner);

  void SetFolders(const core::TMsgBoxReportList& folders);  // borrowed
  void SetTitle(const QString& title);
  // The standard preview without thumbnails; false when the report could
  // not be built (the error box has been shown).
  bool Preview();

  reportengine::Report QuickRep;

 private:
  TReportDialogs dialogs_;
  reports::TReportFeed feed_;
  const core::TMsgBoxReportList* folders_ = nullptr;
};

}  // namespace gui
