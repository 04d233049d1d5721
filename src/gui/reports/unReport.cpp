#include "unReport.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <cmath>

#include "AnsiText.h"
#include "MailboxColumns.h"
#include "ReportBands.h"

namespace gui {

namespace {

using reports::Align;
using reports::BandKind;
using reports::Cell;
using reports::Fit;

constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 4000;

constexpr std::array kHeaderCells = {
    Cell{"QR_Mailbox", "Mailbox", 0, 29.4, Align::Left, Fit::Fixed, 1},
    Cell{"QR_Account", "Last Logged on By Account", 35.4, 25.6, Align::Left, Fit::Stretch, 1},
    Cell{"QR_TotalK", "Total Message Size (K)", 65.6, 25.7, Align::Right, Fit::Stretch, 1},
    Cell{"QR_Total_Items", "Total Items", 93.1, 17.2, Align::Left, Fit::Stretch, 1},
    Cell{"QR_Storage_Limits", "Storage Limits", 114.1, 0, Align::Left, Fit::Auto, 1},
    Cell{"QR_Last_Logon_Time", "Last Logon", 140.2, 0, Align::Left, Fit::Auto, 1},
    Cell{"QR_Last_Logoff_Time", "Last Logoff", 178.2, 0, Align::Left, Fit::Auto, 1},
};

// The detail items with the mailbox list's column each prints.
struct DetailCell {
  Cell cell;
  int column;
};
constexpr std::array kDetailCells = {
    DetailCell{{"QRMailbox", "", 0, 33.5, Align::Left, Fit::Stretch, 0.5}, 0},
    DetailCell{{"QRAccount", "", 35.4, 35.2, Align::Left, Fit::Stretch, 0.5}, 1},
    DetailCell{{"QRTotalK", "", 74.1, 17.2, Align::Right, Fit::Stretch, 0.5}, 2},
    DetailCell{{"QRTotalItems", "", 95.6, 15.0, Align::Right, Fit::Stretch, 0.5}, 3},
    DetailCell{{"QRStorageLimits", "", 113.9, 17.2, Align::Left, Fit::Stretch, 0.5}, 5},
    DetailCell{{"QRLastLogonTime", "", 133.6, 29.3, Align::Right, Fit::Stretch, 0.5}, 6},
    DetailCell{{"QRLastLogoffTime", "", 164.0, 31.3, Align::Right, Fit::Stretch, 0.5}, 7},
};
constexpr Cell kPathCell{"QRLabelPath", "", 0, 194.5, Align::Left, Fit::Stretch, 0.5};
constexpr int kDirectoryColumn = 8;

constexpr std::array kSummaryCells = {
    Cell{"QRLabel1", "Summary:", 0, 0, Align::Left, Fit::Auto, 1.5},
    Cell{"QRSummaryMS", "", 91.4, 0, Align::Right, Fit::RightEdge, 1.8},
    Cell{"QRSummaryItems", "", 95.2, 0, Align::Left, Fit::Auto, 1.8},
};

std::vector<const char*> FeedItems() {
  std::vector<const char*> names;
  for (const DetailCell& d : kDetailCells) names.push_back(d.cell.name);
  names.push_back(kPathCell.name);
  return names;
}

reportengine::Report MakeListReport() {
  reportengine::Report report;
  reports::SetPageDefaults(report);
  report.titleBand = reports::TitleBand(reports::TitleWidth::Automatic);
  report.columnHeader = reports::MakeBand(
      BandKind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), 10.6, reports::Arial(10),
      reports::Cells(kHeaderCells), {.top = true, .bottom = true});
  std::array<Cell, kDetailCells.size()> detail{};
  for (std::size_t i = 0; i < kDetailCells.size(); ++i) detail[i] = kDetailCells[i].cell;
  report.detail = reports::MakeBand(BandKind::Detail, QStringLiteral("DetailBand1"), 5.6,
                                    reports::Arial(8), reports::Cells(detail));
  report.detail.children.push_back(
      reports::MakeBand(BandKind::Child, QStringLiteral("ChildBand1"), 5.6, reports::Arial(8),
                        reports::Cells(std::span(&kPathCell, 1)), {.bottom = true}));
  std::vector<reportengine::Item> summary = reports::Cells(kSummaryCells);
  summary[0].font = reports::Arial(10, true);
  summary[1].font = reports::Arial(9);
  summary[2].font = reports::Arial(9);
  report.summary =
      reports::MakeBand(BandKind::Summary, QStringLiteral("SummaryBand1"), 7.6, std::nullopt,
                        std::move(summary), {.top = true, .bottom = true});
  report.pageFooter = reports::PageFooterBand(5.6, 160.2);
  return report;
}

// A magnifying glass with a plus or a minus: the two extra tool buttons.
QIcon ZoomIcon(bool in) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
  painter.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
  painter.drawLine(QPointF(4, 6), QPointF(8, 6));
  if (in) painter.drawLine(QPointF(6, 4), QPointF(6, 8));
  return QIcon(pixmap);
}

}  // namespace

int RoundHalfEven(double value) {
  const double down = std::floor(value);
  const double fraction = value - down;
  double result = down;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0)) result = down + 1;
  return static_cast<int>(result);
}

std::optional<int> ZoomInStep(int percent) {
  const int z = RoundHalfEven(percent * 1.2);
  if (z < kMaxZoom) return z;
  return std::nullopt;
}

std::optional<int> ZoomOutStep(int percent) {
  const int z = RoundHalfEven(percent / 1.2);
  if (z > kMinZoom) return z;
  return std::nullopt;
}

TMyQrPreview::TMyQrPreview(reportengine::Report& report, reportengine::PreviewDialogs& dialogs,
                           QWidget* owner)
    : PreviewWindow(report, dialogs, owner) {
  setWindowState(windowState() | Qt::WindowMaximized);
  const auto add = [this](bool in, const QString& caption, void (TMyQrPreview::*click)()) {
    QAction* action = ToolBar()->addAction(ZoomIcon(in), caption);
    action->setToolTip(caption);
    action->setShortcut(in ? QKeySequence::ZoomIn : QKeySequence::ZoomOut);
    connect(action, &QAction::triggered, this, click);
    // Caption and picture both, as the tool bar's Close button shows them.
    if (auto* button = qobject_cast<QToolButton*>(ToolBar()->widgetForAction(action)))
      button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  };
  add(false, QStringLiteral("Zoom out"), &TMyQrPreview::ZoomOutClick);
  add(true, QStringLiteral("Zoom in"), &TMyQrPreview::ZoomInClick);
}

void TMyQrPreview::ZoomOutClick() {
  if (const auto z = ZoomOutStep(Zoom())) SetZoom(*z);
}

void TMyQrPreview::ZoomInClick() {
  if (const auto z = ZoomInStep(Zoom())) SetZoom(*z);
}

TQRReport::TQRReport(TGuiDialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window),
      QuickRep1(MakeListReport()),
      dialogs_(dialogs),
      feed_(QuickRep1, FeedItems(), "") {
  setWindowTitle(QStringLiteral("QRReport"));
  setWindowState(Qt::WindowMaximized);
  feed_.BindList(mailboxes_, [](const std::unique_ptr<core::acTableContent>& mailbox,
                                reports::FeedTotals& totals) {
    const core::acTableContent& record = *mailbox;
    QStringList texts;
    for (const DetailCell& d : kDetailCells)
      texts << FromAnsi(core::MailboxCellText(record, d.column));
    texts << FromAnsi(core::MailboxCellText(record, kDirectoryColumn)).toLower();
    totals.size += record.messageSize;
    totals.items += record.contentCount;
    return texts;
  });
  QuickRep1.beforePrint = [this] { QuickRep1BeforePrint(); };
  QuickRep1.needData = [this] { return QuickRep1NeedData(); };
  QuickRep1.preview = [this] { QuickRep1Preview(); };
}

void TQRReport::SetMailboxes(const core::TMailboxList& mailboxes) {
  mailboxes_ = &mailboxes;
}

void TQRReport::SetTitle(const QString& title) {
  reports::SetReportTitle(QuickRep1, title);
}

bool TQRReport::Preview() {
  built_ = true;
  reportengine::ShowPreview(QuickRep1, dialogs_, this, {.thumbnails = false});
  return built_;
}

void TQRReport::QuickRep1BeforePrint() {
  feed_.BeforePrint();
}

bool TQRReport::QuickRep1NeedData() {
  return feed_.NeedData();
}

void TQRReport::QuickRep1Preview() {
  TMyQrPreview preview(QuickRep1, dialogs_, this);
  built_ = preview.Build();
  if (!built_) return;
  preview.SetThumbnailsVisible(false);
  dialogs_.RunPreview(preview);
}

}  // namespace gui
