// The layout the details window's two fed reports share: the wide title,
// a column header with a line below, one detail band, a summary with the
// item count above the size, and the page footer. Each report gives its
// own columns and heights as a table.
#pragma once

#include <span>

#include "ReportBands.h"
#include "ReportModel.h"

namespace gui::reports {

struct DetailsReportTable {
  std::span<const Cell> header;
  std::span<const Cell> detail;
  double summaryHeight;  // mm
  double footerHeight;   // mm
};

reportengine::Report MakeDetailsReport(const DetailsReportTable& table);

// The detail items' names, in table order: what the feed fills per record.
std::vector<const char*> CellNames(std::span<const Cell> cells);

}  // namespace gui::reports
