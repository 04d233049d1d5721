#include "DetailsReport.h"

#include <array>

namespace gui::reports {

namespace {

constexpr std::array kSummaryCells = {
    Cell{"QRSummaryItems", "", 4.2, 0, Align::Left, Fit::Auto, 1.0},
    Cell{"QRSummaryMS", "", 4.2, 0, Align::Left, Fit::Auto, 5.5},
};

}  // namespace

reportengine::Report MakeDetailsReport(const DetailsReportTable& table) {
  reportengine::Report report;
  SetPageDefaults(report);
  report.titleBand = TitleBand(TitleWidth::Wide);
  report.columnHeader = MakeBand(BandKind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), 7.1,
                                 Arial(10), Cells(table.header), {.bottom = true});
  report.detail =
      MakeBand(BandKind::Detail, QStringLiteral("DetailBand1"), 5.3, Arial(8), Cells(table.detail));
  report.summary = MakeBand(BandKind::Summary, QStringLiteral("SummaryBand1"), table.summaryHeight,
                            Arial(10), Cells(kSummaryCells), {.top = true});
  report.pageFooter = PageFooterBand(table.footerHeight, 160.3);
  return report;
}

std::vector<const char*> CellNames(std::span<const Cell> cells) {
  std::vector<const char*> names;
  for (const Cell& cell : cells) names.push_back(cell.name);
  return names;
}

}  // namespace gui::reports
