#include "unFolderPrint.h"

#include <array>

#include "AnsiText.h"
#include "DateTimeText.h"
#include "DetailsReport.h"
#include "Icons.h"
#include "NumberText.h"
#include "PreviewWindow.h"

namespace gui {

namespace {

using reports::Align;
using reports::Cell;
using reports::Fit;

constexpr std::array kHeaderCells = {
    Cell{"QRImage", "", 2.1, 4.2, Align::Left, Fit::Fixed, 1.2},
    Cell{"QRSubject", "Subject", 10.6, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRSize", "Size K", 150.3, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRDate", "Date", 186.3, 0, Align::Left, Fit::Auto, 1.2},
};
constexpr std::array kDetailCells = {
    Cell{"QRHasAtt", "", 0, 7.7, Align::Left, Fit::Fixed, 0.5},
    Cell{"QRHasSubj", "", 10.6, 133.6, Align::Left, Fit::Stretch, 0.5},
    Cell{"QRHasSize", "", 163.2, 0, Align::Right, Fit::RightEdge, 0.5},
    Cell{"QRHasDate", "", 195.0, 0, Align::Right, Fit::RightEdge, 0.5},
};
constexpr int kPaperClip = 8;  // in the details window's image list

reportengine::Report MakeFolderReport() {
  reportengine::Report report = reports::MakeDetailsReport({kHeaderCells, kDetailCells, 12.4, 6.6});
  reportengine::Item* clip = report.FindItem(QStringLiteral("QRImage"));
  clip->kind = reportengine::ItemKind::Picture;
  clip->picture = DetailsImage(kPaperClip).toImage();
  clip->height = 4.2;
  return report;
}

}  // namespace

TfrmFolderPrint::TfrmFolderPrint(TGuiDialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window),
      QuickRepFolder(MakeFolderReport()),
      dialogs_(dialogs),
      feed_(QuickRepFolder, reports::CellNames(kDetailCells), "") {
  setWindowTitle(QStringLiteral("Folder Print"));
  feed_.BindList(
      messages_, [](const core::TOneFolderMessages& message, reports::FeedTotals& totals) {
        totals.size += message.size;
        totals.items += 1;
        return QStringList{message.hasAttachment ? QStringLiteral("*") : QString(),
                           FromAnsi(message.subject),
                           FromAnsi(core::KilobytesText(static_cast<double>(message.size))),
                           FromAnsi(core::DateTimeText(message.deliveryTime))};
      });
}

void TfrmFolderPrint::SetMessages(const core::TFolderMessageList& messages) {
  messages_ = &messages;
}

void TfrmFolderPrint::SetTitle(const QString& title) {
  reports::SetReportTitle(QuickRepFolder, title);
}

bool TfrmFolderPrint::Preview() {
  return reportengine::ShowPreview(QuickRepFolder, dialogs_, this, {.thumbnails = false});
}

}  // namespace gui
