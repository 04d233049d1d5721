#include "MailboxCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MailboxColumns.h"
#include "TextUtil.h"

namespace core {

namespace {

constexpr double kOneMillisecond = 1.0 / 86400000.0;

int CompareNumber(std::int64_t a, std::int64_t b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareTime(const mapi::OptionalDateTime& a, const mapi::OptionalDateTime& b) {
  const double x = a.value_or(0.0);
  const double y = b.value_or(0.0);
  if (std::fabs(x - y) < kOneMillisecond) return 0;
  return x < y ? -1 : 1;
}

}  // namespace

int CompareTextKey(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(platform::AsciiUpper(a[i]));
    const auto y = static_cast<unsigned char>(platform::AsciiUpper(b[i]));
    if (x != y) return static_cast<int>(x) - static_cast<int>(y);
  }
  return CompareNumber(static_cast<std::int64_t>(a.size()), static_cast<std::int64_t>(b.size()));
}

int CompareMailboxes(const core::acTableContent& a, const core::acTableContent& b, int column) {
  if (column < 0 || column >= kMailboxListColumns) return 0;
  const MailboxColumn& c = kMailboxColumnsShown[column];
  switch (c.kind) {
    case ColumnKind::Text:
      return CompareTextKey(a.*c.text, b.*c.text);
    case ColumnKind::Kilobytes:
    case ColumnKind::Count:
      return CompareNumber(a.*c.number, b.*c.number);
    case ColumnKind::Time:
      return CompareTime(a.*c.time, b.*c.time);
  }
  return 0;
}

namespace {

// Sorts the records by keys taken out of them once, so that the sort works
// on one contiguous array instead of following every record for every
// comparison. Text and number keys are totally ordered and take the quicker
// unstable sort. Times are not: with their millisecond tolerance the
// comparison is intransitive, and only a merge sort, which never compares
// outside the range, stays safe with it.
template <class Key, class Compare>
void SortByKeys(TMailboxList& list, std::vector<std::pair<Key, std::uint32_t>>& keys,
                Compare compare, bool ascending, bool totalOrder) {
  const auto less = [&](const auto& a, const auto& b) {
    const int c = compare(a.first, b.first);
    return ascending ? c < 0 : c > 0;
  };
  if (totalOrder)
    std::sort(keys.begin(), keys.end(), less);
  else
    std::stable_sort(keys.begin(), keys.end(), less);
  TMailboxList sorted;
  sorted.reserve(list.size());
  for (auto& key : keys) sorted.push_back(std::move(list[key.second]));
  list.swap(sorted);
}

template <class Key, class Field>
std::vector<std::pair<Key, std::uint32_t>> Keys(const TMailboxList& list, Field field) {
  std::vector<std::pair<Key, std::uint32_t>> keys;
  keys.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i)
    keys.emplace_back(field(*list[i]), static_cast<std::uint32_t>(i));
  return keys;
}

// Text keys: folded copies (a to z as A to Z, so that plain unsigned byte
// order is the order of CompareTextKey) in one block, each key a view into
// it past the prefix that all of them share, which cannot decide any
// comparison (mailbox addresses share a long one).
void SortByText(TMailboxList& list, std::string core::acTableContent::*field, bool ascending) {
  std::size_t total = 0;
  for (const auto& r : list) total += ((*r).*field).size();
  std::string block(total, '\0');
  std::vector<std::pair<std::string_view, std::uint32_t>> keys;
  keys.reserve(list.size());
  std::size_t at = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string& text = (*list[i]).*field;
    for (std::size_t k = 0; k < text.size(); ++k) block[at + k] = platform::AsciiUpper(text[k]);
    keys.emplace_back(std::string_view(block.data() + at, text.size()),
                      static_cast<std::uint32_t>(i));
    at += text.size();
  }
  std::size_t common = keys.empty() ? 0 : keys.front().first.size();
  for (const auto& key : keys) {
    std::size_t same = 0;
    const std::size_t limit = std::min(common, key.first.size());
    while (same < limit && key.first[same] == keys.front().first[same]) ++same;
    common = same;
    if (common == 0) break;
  }
  for (auto& key : keys) key.first.remove_prefix(common);
  SortByKeys(
      list, keys, [](std::string_view a, std::string_view b) { return a.compare(b); }, ascending,
      true);
}

}  // namespace

void SortMailboxes(TMailboxList& list, int column, bool ascending) {
  if (column < 0 || column >= kMailboxListColumns) return;
  const MailboxColumn& c = kMailboxColumnsShown[column];
  switch (c.kind) {
    case ColumnKind::Text:
      SortByText(list, c.text, ascending);
      break;
    case ColumnKind::Kilobytes:
    case ColumnKind::Count: {
      auto keys =
          Keys<std::int64_t>(list, [&c](const core::acTableContent& r) { return r.*c.number; });
      SortByKeys(list, keys, CompareNumber, ascending, true);
      break;
    }
    case ColumnKind::Time: {
      auto keys = Keys<mapi::OptionalDateTime>(
          list, [&c](const core::acTableContent& r) { return r.*c.time; });
      SortByKeys(list, keys, CompareTime, ascending, false);
      break;
    }
  }
}

}  // namespace core
