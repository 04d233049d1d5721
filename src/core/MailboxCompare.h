// The order of the mailbox list's columns: which key each column sorts by
// and how two records compare on it.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "acTableContent.h"

namespace core {

// The main window's records, in list order; the list owns them.
using TMailboxList = std::vector<std::unique_ptr<core::acTableContent>>;

inline constexpr int kMailboxListColumns = 9;

// Letters a to z fold to A to Z, every other byte compares by its code
// (unsigned); a text that is a prefix of the other is the smaller.
int CompareTextKey(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, with or after b on `column`
// (0 to 8) ascending. Times: an absent time is 0, times less than one
// millisecond apart are equal.
int CompareMailboxes(const core::acTableContent& a, const core::acTableContent& b, int column);

// Sorts the list by `column`, ascending or descending. Equal keys may end in
// any order. The time comparison's tolerance makes it intransitive, so the
// sort is one that stays within the list whatever the comparison answers.
void SortMailboxes(TMailboxList& list, int column, bool ascending);

}  // namespace core
