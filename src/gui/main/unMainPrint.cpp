// The main window's "Print/Save": the mailbox list as a report preview or
// as an export into the spreadsheet or the document application.
#include "AnsiText.h"
#include "RadioGroup.h"
#include "unChoose.h"
#include "unExportingDlg.h"
#include "unMain.h"
#include "unReport.h"

namespace gui {

void TfrmMainExecute::sbPrintClick() {
  if (mailboxes_.empty()) return;
  int index = -1;
  {
    TfrmChoose choose(this);
    if (dialogs_.ExecModal(choose) != QDialog::Accepted) return;
    index = choose.RadioGroup1->ItemIndex();
  }
  switch (static_cast<TPrintDestination>(index)) {
    case TPrintDestination::Preview: {
      // Freed on every path out of the preview, a failed one included.
      TQRReport report(dialogs_, this);
      report.SetMailboxes(mailboxes_);
      report.SetTitle(QStringLiteral("Mailbox Statistis for ") + FromAnsi(HomeServerName()));
      report.Preview();
      break;
    }
    case TPrintDestination::Excel:
      RunExport(dialogs_, this, &mailboxes_, HomeServerName(), TExportKind::ekMailboxesToExcel);
      break;
    case TPrintDestination::Word:
      RunExport(dialogs_, this, &mailboxes_, HomeServerName(), TExportKind::ekMailboxesToWord);
      break;
  }
}

}  // namespace gui
