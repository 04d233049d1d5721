// The only place that paginates: walks the report's records, lays out
// bands and stacks them onto pages. Bands never split; one that does not
// fit moves to the next page, one taller than an empty page is cut there.
#pragma once

#include <QDateTime>
#include <functional>
#include <optional>
#include <stdexcept>

#include "DisplayList.h"
#include "ReportModel.h"

namespace reportengine {

// A report that cannot be built: a bad expression (with the item's name)
// or a failing callback. what() is a text for the user.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BuildOptions {
  QDateTime printTime = QDateTime::currentDateTime();  // what date-time items print
  // Told the progress in percent after every record; false cancels.
  std::function<bool(int percent)> progress;
};

// Calls the before-print callback, then walks the data. Nothing when
// cancelled; throws ReportError.
std::optional<Document> BuildPages(Report& report, const BuildOptions& options = {});

}  // namespace reportengine
