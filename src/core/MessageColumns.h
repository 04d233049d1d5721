// The four columns of the details window's message list: headers, widths,
// the text of a record in each, and the order each sorts by.
#pragma once

#include <string>
#include <vector>

#include "FolderRecords.h"

namespace core {

inline constexpr int kMessageListColumns = 4;

struct MessageColumn {
  const char* caption;  // column 0 shows the paper clip instead
  int width;            // pixels; the last column fills the rest
  bool rightAligned;
};

inline constexpr MessageColumn kMessageColumnsShown[kMessageListColumns] = {
    {"", 30, false},
    {"Subject", 180, false},
    {"Size K", 50, true},
    {"Date", 0, true},
};

// The rows of the message list, in list order; the details window owns them.
using TMessageRows = TFolderMessageList;

// Column 0 has no text; 1 the subject; 2 the size in kilobytes with one
// decimal followed by "K" (1536 bytes read 1.5K); 3 the delivery time's
// date-time text, empty without one.
std::string MessageCellText(const TOneFolderMessages& message, int column);

// Negative, zero or positive as a sorts before, with or after b on
// `column` ascending: rows with attachments first, subjects by the list's
// text key, sizes, delivery times (a row without one is the oldest; times
// less than a millisecond apart are equal).
int CompareMessages(const TOneFolderMessages& a, const TOneFolderMessages& b, int column);

// Sorts stably by `column` (0 to 3), so rows with equal keys keep their
// order; the time tolerance cannot make it leave the rows.
void SortMessages(TMessageRows& rows, int column, bool ascending);

}  // namespace core
