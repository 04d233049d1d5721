#include "ReportFeed.h"

#include <stdexcept>

#include "AnsiText.h"
#include "NumberText.h"

namespace gui::reports {

namespace {

reportengine::Item* MustFind(reportengine::Report& report, const QString& name) {
  reportengine::Item* item = report.FindItem(name);
  if (!item) throw std::logic_error("report item missing: " + name.toStdString());
  return item;
}

}  // namespace

TReportFeed::TReportFeed(reportengine::Report& report, const std::vector<const char*>& detailItems,
                         const char* sizePrefix)
    : report_(report),
      summarySize_(MustFind(report, QStringLiteral("QRSummaryMS"))),
      summaryItems_(MustFind(report, QStringLiteral("QRSummaryItems"))),
      sizePrefix_(sizePrefix) {
  for (const char* name : detailItems)
    detail_.push_back(MustFind(report, QString::fromLatin1(name)));
  report_.beforePrint = [this] { BeforePrint(); };
  report_.needData = [this] { return NeedData(); };
  SetSummary();
}

void TReportFeed::Bind(std::function<std::size_t()> count, Row row) {
  count_ = std::move(count);
  row_ = std::move(row);
}

void TReportFeed::BeforePrint() {
  counter_ = 0;
  totals_ = {};
  SetSummary();
}

bool TReportFeed::NeedData() {
  const std::size_t count = count_ ? count_() : 0;
  const bool more = static_cast<std::size_t>(counter_) < count;
  if (more) {
    const QStringList texts = row_(static_cast<std::size_t>(counter_), totals_);
    for (std::size_t i = 0; i < detail_.size(); ++i)
      detail_[i]->text = i < static_cast<std::size_t>(texts.size()) ? texts[i] : QString();
    report_.SetProgress(static_cast<int>(static_cast<std::int64_t>(counter_) * 100 /
                                         static_cast<std::int64_t>(count)));
    SetSummary();
  } else {
    report_.SetProgress(100);
  }
  ++counter_;
  return more;
}

void TReportFeed::SetSummary() {
  summarySize_->text = QString::fromLatin1(sizePrefix_) +
                       FromAnsi(core::KilobytesText(static_cast<double>(totals_.size))) +
                       QStringLiteral(" K");
  summaryItems_->text = FromAnsi(core::GroupedCountText(static_cast<double>(totals_.items))) +
                        QStringLiteral(" Item(s)");
}

}  // namespace gui::reports
