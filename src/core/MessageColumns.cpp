#include "MessageColumns.h"

#include <algorithm>
#include <numeric>

#include "DateTimeText.h"
#include "MailboxCompare.h"
#include "NumberText.h"

namespace core {

namespace {

constexpr double kMillisecond = 1.0 / 86400000.0;

int CompareTime(const mapi::OptionalDateTime& a, const mapi::OptionalDateTime& b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  const double d = *a - *b;
  if (d > -kMillisecond && d < kMillisecond) return 0;
  return d < 0 ? -1 : 1;
}

}  // namespace

std::string MessageCellText(const TOneFolderMessages& message, int column) {
  switch (column) {
    case 1:
      return message.subject;
    case 2:
      return KilobytesText(static_cast<double>(message.size)) + "K";
    case 3:
      return DateTimeText(message.deliveryTime);
    default:
      return {};
  }
}

int CompareMessages(const TOneFolderMessages& a, const TOneFolderMessages& b, int column) {
  switch (column) {
    case 0:
      return (b.hasAttachment ? 1 : 0) - (a.hasAttachment ? 1 : 0);
    case 1:
      return CompareTextKey(a.subject, b.subject);
    case 2:
      return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
    case 3:
      return CompareTime(a.deliveryTime, b.deliveryTime);
    default:
      return 0;
  }
}

void SortMessages(TMessageRows& rows, int column, bool ascending) {
  if (column < 0 || column >= kMessageListColumns) return;
  // A merge sort never compares an element with itself and stays within the
  // list whatever an intransitive comparison answers.
  std::stable_sort(rows.begin(), rows.end(),
                   [column, ascending](const TOneFolderMessages& a, const TOneFolderMessages& b) {
                     const int c = CompareMessages(a, b, column);
                     return ascending ? c < 0 : c > 0;
                   });
}

}  // namespace core
