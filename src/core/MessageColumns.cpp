#include "MessageColumns.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

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

namespace {

// Sorts the rows by keys taken out of them once, each beside its row's
// position: a stable merge sort of the pairs, then one move of each row
// into its place.
template <class Key, class Take, class Compare>
void SortBy(TMessageRows& rows, Take take, Compare compare, bool ascending) {
  std::vector<std::pair<Key, std::uint32_t>> keys;
  keys.reserve(rows.size());
  for (std::uint32_t i = 0; i < rows.size(); ++i) keys.emplace_back(take(rows[i]), i);
  // A merge sort never compares an element with itself and stays within the
  // list whatever an intransitive comparison answers.
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    const int c = compare(a.first, b.first);
    return ascending ? c < 0 : c > 0;
  });
  TMessageRows sorted;
  sorted.reserve(rows.size());
  for (const auto& key : keys) sorted.push_back(std::move(rows[key.second]));
  rows.swap(sorted);
}

// The subjects with a to z folded to A to Z, one after the other in one
// block: compared byte by byte as unsigned values, as std::string_view
// compares, they order as the text key does.
std::vector<std::string_view> FoldedSubjects(const TMessageRows& rows, std::string& block) {
  std::size_t total = 0;
  for (const auto& row : rows) total += row.subject.size();
  block.clear();
  block.reserve(total);
  for (const auto& row : rows) block += row.subject;
  for (char& c : block)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  std::vector<std::string_view> views;
  views.reserve(rows.size());
  std::size_t at = 0;
  for (const auto& row : rows) {
    views.emplace_back(block.data() + at, row.subject.size());
    at += row.subject.size();
  }
  return views;
}

}  // namespace

void SortMessages(TMessageRows& rows, int column, bool ascending) {
  switch (column) {
    case 0:
      SortBy<int>(
          rows, [](const TOneFolderMessages& m) { return m.hasAttachment ? 1 : 0; },
          [](int a, int b) { return b - a; }, ascending);
      break;
    case 1: {
      std::string block;
      const std::vector<std::string_view> folded = FoldedSubjects(rows, block);
      const TOneFolderMessages* first = rows.data();
      SortBy<std::string_view>(
          rows, [&](const TOneFolderMessages& m) { return folded[&m - first]; },
          [](std::string_view a, std::string_view b) { return a.compare(b); }, ascending);
      break;
    }
    case 2:
      SortBy<std::uint32_t>(
          rows, [](const TOneFolderMessages& m) { return m.size; },
          [](std::uint32_t a, std::uint32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }, ascending);
      break;
    case 3:
      SortBy<mapi::OptionalDateTime>(
          rows, [](const TOneFolderMessages& m) { return m.deliveryTime; }, CompareTime, ascending);
      break;
    default:
      break;
  }
}

}  // namespace core
