// The one frame of the reports fed record by record: a counter and running
// totals that start over before every run over the data (preview, print,
// save), one detail band per record, the progress in percent, and the
// summary texts kept current so the summary band shows the totals over all
// records. What differs between the reports is the row function and the
// summary's wording.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "ReportModel.h"

namespace gui::reports {

// Sizes are added as 64-bit values, so unsigned 32-bit folder and message
// sizes cannot wrap however many records a report holds.
struct FeedTotals {
  std::int64_t size = 0;   // bytes
  std::int64_t items = 0;  // messages or items
};

class TReportFeed {
 public:
  // The texts of the detail items for record `index`, in the order of the
  // names handed to the constructor; adds the record to `totals`.
  using Row = std::function<QStringList(std::size_t index, FeedTotals& totals)>;

  // `report`'s bands must be in place: the named items are looked up once.
  TReportFeed(reportengine::Report& report, const std::vector<const char*>& detailItems,
              const char* sizePrefix);

  // The records: their number is asked at every step, `row` gives the texts.
  void Bind(std::function<std::size_t()> count, Row row);
  // The records of a borrowed list that `list` points to (null: none);
  // `row` takes a record and the totals.
  template <class List, class RecordRow>
  void BindList(const List* const& list, RecordRow row) {
    Bind([&list] { return list ? list->size() : 0; },
         [&list, row](std::size_t index, FeedTotals& totals) {
           return row((*list)[index], totals);
         });
  }

  void BeforePrint();
  bool NeedData();

  const FeedTotals& Totals() const { return totals_; }

 private:
  void SetSummary();

  reportengine::Report& report_;
  std::vector<reportengine::Item*> detail_;
  reportengine::Item* summarySize_;
  reportengine::Item* summaryItems_;
  const char* sizePrefix_;  // before the summary's kilobytes, e.g. "Mailbox Size: "
  std::function<std::size_t()> count_;
  Row row_;
  std::int32_t counter_ = 0;
  FeedTotals totals_;
};

}  // namespace gui::reports
