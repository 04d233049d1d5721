#include "unMailboxReport.h"

#include <array>

#include "AnsiText.h"
#include "DetailsReport.h"
#include "NumberText.h"
#include "PreviewWindow.h"

namespace gui {

namespace {

using reports::Align;
using reports::Cell;
using reports::Fit;

constexpr std::array kHeaderCells = {
    Cell{"QRFolder", "Folder", 2.1, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRFolderItem", "Folder Items #", 147.1, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRSize", "Folder Size (K)", 171.4, 0, Align::Left, Fit::Auto, 1.2},
};
constexpr std::array kDetailCells = {
    Cell{"QRFolderPath", "", 2.1, 144.2, Align::Left, Fit::Stretch, 0.5},
    Cell{"QRFolderItemCount", "", 169.3, 0, Align::Right, Fit::RightEdge, 0.5},
    Cell{"QRFolderMessageSize", "", 194.8, 0, Align::Right, Fit::RightEdge, 0.5},
};
constexpr int kPathLength = 260;  // characters kept after a leading "/"

// URL names begin with "/"; the report prints the path below the mailbox.
QString PrintedPath(const std::string& path) {
  const QString text = FromAnsi(path);
  if (!text.startsWith(QLatin1Char('/'))) return text;
  return text.mid(1, kPathLength);
}

}  // namespace

TfrmMailboxReport::TfrmMailboxReport(TGuiDialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window),
      QuickRep(reports::MakeDetailsReport({kHeaderCells, kDetailCells, 10.6, 6.1})),
      dialogs_(dialogs),
      feed_(QuickRep, reports::CellNames(kDetailCells), "Mailbox Size: ") {
  setWindowTitle(QStringLiteral("Mailbox Report"));
  feed_.BindList(folders_, [](const core::TMsgBoxReport& folder, reports::FeedTotals& totals) {
    totals.size += folder.size;
    totals.items += folder.itemCount;
    return QStringList{PrintedPath(folder.folderPath),
                       FromAnsi(core::GroupedCountText(static_cast<double>(folder.itemCount))),
                       FromAnsi(core::KilobytesText(static_cast<double>(folder.size)))};
  });
}

void TfrmMailboxReport::SetFolders(const core::TMsgBoxReportList& folders) {
  folders_ = &folders;
}

void TfrmMailboxReport::SetTitle(const QString& title) {
  reports::SetReportTitle(QuickRep, title);
}

bool TfrmMailboxReport::Preview() {
  return reportengine::ShowPreview(QuickRep, dialogs_, this, {.thumbnails = false});
}

}  // namespace gui
