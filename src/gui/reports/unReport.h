// The mailbox list report: one block per mailbox of the main window's list
// in the list's order, the totals in the summary, and a preview window of
// its own with two extra zoom buttons.
#pragma once

#include <QWidget>
#include <optional>

#include "GuiDialogs.h"
#include "MailboxCompare.h"
#include "PreviewWindow.h"
#include "ReportDialogs.h"
#include "ReportFeed.h"
#include "ReportModel.h"

namespace gui {

// The zoom steps of the list report's preview, in percent; nothing when the
// step is refused (it would leave the range 10 to 4000 exclusive).
int RoundHalfEven(double value);
std::optional<int> ZoomInStep(int percent);   // percent x 1.2, only below 4000
std::optional<int> ZoomOutStep(int percent);  // percent / 1.2, only above 10

// The standard preview, maximized, with "Zoom out" and "Zoom in" after its
// own tool buttons.
class TMyQrPreview final : public reportengine::PreviewWindow {
 public:
  TMyQrPreview(reportengine::Report& report, reportengine::PreviewDialogs& dialogs,
               QWidget* owner = nullptr);

  void ZoomOutClick();
  void ZoomInClick();
};

// The report window; it only carries the report and is never shown.
class TQRReport final : public QWidget {
 public:
  TQRReport(TGuiDialogs& dialogs, QWidget* owner);

  // Borrowed for the window's life; printed in list order.
  void SetMailboxes(const core::TMailboxList& mailboxes);
  void SetTitle(const QString& title);
  // Runs the report's own preview; returns when it has closed. False when
  // the report could not be built (the error box has been shown).
  bool Preview();

  reportengine::Report QuickRep1;

  void QuickRep1BeforePrint();
  bool QuickRep1NeedData();
  void QuickRep1Preview();

 private:
  TReportDialogs dialogs_;
  reports::TReportFeed feed_;
  const core::TMailboxList* mailboxes_ = nullptr;
  bool built_ = true;  // the last preview's pages were built
};

}  // namespace gui
