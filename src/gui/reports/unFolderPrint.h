// The folder report: one line per message of a folder (attachment mark,
// subject, size, delivery time) and the folder's totals.
#pragma once

#include <QWidget>

#include "FolderRecords.h"
#include "GuiDialogs.h"
#include "ReportDialogs.h"
#include "ReportFeed.h"
#include "ReportModel.h"

namespace gui {

class TfrmFolderPrint final : public QWidget {
 public:
  TfrmFolderPrint(TGuiDialogs& dialogs, QWidget* owner);

  void SetMessages(const core::TFolderMessageList& messages);  // borrowed
  void SetTitle(const QString& title);
  // The standard preview without thumbnails; false when the report could
  // not be built (the error box has been shown).
  bool Preview();

  reportengine::Report QuickRepFolder;

 private:
  TReportDialogs dialogs_;
  reports::TReportFeed feed_;
  const core::TFolderMessageList* messages_ = nullptr;
};

}  // namespace gui
