#include "unAllMailBoxes.h"

#include <array>

#include "AnsiText.h"
#include "PreviewWindow.h"
#include "ReportBands.h"

namespace gui {

namespace {

using reportengine::ItemKind;
using reports::Align;
using reports::BandKind;
using reports::Cell;
using reports::Fit;

constexpr int kMailboxLength = 64;
constexpr int kFolderLength = 128;

constexpr std::array kHeaderCells = {
    Cell{"QRDBText1", "Mailbox", 1.1, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRLabel2", "Items", 154.5, 0, Align::Left, Fit::Auto, 1.2},
    Cell{"QRLabel3", "Message Size", 173.6, 0, Align::Left, Fit::Auto, 1.2},
};
constexpr std::array kDetailCells = {
    Cell{"QRDBText2", "Folder", 1.1, 0, Align::Left, Fit::Auto, 1.0},
    Cell{"QRDBText3", "FolderItems", 163.0, 0, Align::Right, Fit::RightEdge, 1.0},
    Cell{"QRExpr1", "FORMATNUMERIC('##0.0',FolderSize)", 193.7, 0, Align::Right, Fit::RightEdge,
         1.0},
};
constexpr std::array kFooterCells = {
    Cell{"QRLabel4", "Total Items:", 0, 0, Align::Left, Fit::Auto, 1.0},
    Cell{"QRExpr2", "SUM(FolderItems)", 39.7, 0, Align::Left, Fit::Auto, 1.0},
    Cell{"QRLabel5", "Total Message Size (K):", 0, 0, Align::Left, Fit::Auto, 6.0},
    Cell{"QRExpr3", "FORMATNUMERIC('##0.0',Sum(FolderSize))", 39.7, 0, Align::Left, Fit::Auto, 6.0},
};

// Marks the named items of `items` as `kind`.
void SetKinds(std::vector<reportengine::Item>& items, std::initializer_list<const char*> names,
              ItemKind kind) {
  for (auto& item : items)
    for (const char* name : names)
      if (item.name == QLatin1String(name)) item.kind = kind;
}

reportengine::Report MakeAllMailboxesReport(const reportengine::MemoryTable& table) {
  reportengine::Report report;
  reports::SetPageDefaults(report);
  report.source = &table;
  report.titleBand = reports::TitleBand(reports::TitleWidth::Wide);

  std::vector<reportengine::Item> header = reports::Cells(kHeaderCells);
  SetKinds(header, {"QRDBText1"}, ItemKind::DataField);
  header[0].font = reports::Arial(9, true, true);
  reportengine::Group group;
  group.expression = QStringLiteral("Mailbox");
  group.header =
      reports::MakeBand(BandKind::GroupHeader, QStringLiteral("QRGroup1"), 7.1, reports::Arial(9),
                        std::move(header), {.top = true, .left = true, .right = true});
  group.header.background = QColor(0xF5, 0xF5, 0xF5);
  group.header.keepOnOnePage = true;

  std::vector<reportengine::Item> footer = reports::Cells(kFooterCells);
  SetKinds(footer, {"QRExpr2", "QRExpr3"}, ItemKind::Expression);
  // Each footer shows its own mailbox's totals.
  for (auto& item : footer) item.resetAfterPrint = item.kind == ItemKind::Expression;
  group.footer = reports::MakeBand(BandKind::GroupFooter, QStringLiteral("QRFooter"), 12.7,
                                   reports::Arial(9, true, true), std::move(footer),
                                   {.bottom = true, .left = true, .right = true});
  group.footer->keepOnOnePage = true;
  // A gap after every mailbox group.
  group.footer->children.push_back(
      reports::MakeBand(BandKind::Child, QStringLiteral("ChildBand1"), 3.2, std::nullopt, {}));
  report.groups.push_back(std::move(group));

  std::vector<reportengine::Item> detail = reports::Cells(kDetailCells);
  SetKinds(detail, {"QRDBText2", "QRDBText3"}, ItemKind::DataField);
  SetKinds(detail, {"QRExpr1"}, ItemKind::Expression);
  report.detail =
      reports::MakeBand(BandKind::Detail, QStringLiteral("QRBand1"), 6.4, reports::Arial(8),
                        std::move(detail), {.left = true, .right = true});
  report.detail.keepOnOnePage = true;
  report.pageFooter = reports::PageFooterBand(5.8, 160.3);
  return report;
}

}  // namespace

TfrmAllMailBoxes::TfrmAllMailBoxes(TGuiDialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window),
      MemoryTable({QStringLiteral("Mailbox"), QStringLiteral("Folder"),
                   QStringLiteral("FolderItems"), QStringLiteral("FolderSize")}),
      QuickRepAllBox(MakeAllMailboxesReport(MemoryTable)),
      dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Mailbox Statistics"));
  setWindowState(Qt::WindowMaximized);
}

void TfrmAllMailBoxes::FillTable(const core::TMsgBoxReportList& folders) {
  for (const core::TMsgBoxReport& folder : folders)
    MemoryTable.AddRow({FromAnsi(folder.mailbox).left(kMailboxLength),
                        FromAnsi(folder.folderPath).left(kFolderLength),
                        std::int64_t{folder.itemCount}, static_cast<double>(folder.size) / 1024.0});
}

void TfrmAllMailBoxes::SetTitle(const QString& title) {
  reports::SetReportTitle(QuickRepAllBox, title);
}

bool TfrmAllMailBoxes::Preview() {
  return reportengine::ShowPreview(QuickRepAllBox, dialogs_, this);
}

}  // namespace gui
