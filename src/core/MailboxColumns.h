// The nine columns of the mailbox list: captions, widths, alignment, the
// record field each shows and sorts by, and the text of a record in each.
#pragma once

#include <cstdint>
#include <string>

#include "MailboxCompare.h"
#include "acTableContent.h"

namespace core {

// How a column shows its field; the two number kinds sort alike.
enum class ColumnKind { Text, Kilobytes, Count, Time };

struct MailboxColumn {
  const char* caption;
  int width;  // pixels
  bool rightAligned;
  ColumnKind kind;
  // The record's field: `text` for Text, `number` for Kilobytes and Count,
  // `time` for Time; the other two are null.
  std::string core::acTableContent::*text;
  std::int64_t core::acTableContent::*number;
  mapi::OptionalDateTime core::acTableContent::*time;
};

inline constexpr MailboxColumn kMailboxColumnsShown[kMailboxListColumns] = {
    {"Mailbox", 100, false, ColumnKind::Text, &core::acTableContent::displayName, nullptr, nullptr},
    {"Last Logged on By", 150, false, ColumnKind::Text, &core::acTableContent::ntUserName, nullptr,
     nullptr},
    {"Total Message Size (Kb)", 100, true, ColumnKind::Kilobytes, nullptr,
     &core::acTableContent::messageSize, nullptr},
    {"Total Items", 100, true, ColumnKind::Count, nullptr, &core::acTableContent::contentCount,
     nullptr},
    {"Total no. Associated Messages", 100, true, ColumnKind::Count, nullptr,
     &core::acTableContent::assocContentCount, nullptr},
    {"Storage Limits", 100, true, ColumnKind::Text, &core::acTableContent::storageLimitInformation,
     nullptr, nullptr},
    {"Last Logon Time", 100, true, ColumnKind::Time, nullptr, nullptr,
     &core::acTableContent::lastLogonTime},
    {"Last Logoff Time", 100, true, ColumnKind::Time, nullptr, nullptr,
     &core::acTableContent::lastLogoffTime},
    {"Full Mailbox Directory Name", 150, false, ColumnKind::Text,
     &core::acTableContent::emailAddress, nullptr, nullptr},
};

// The text the list shows for `record` in `column` (0 to 8); empty for any
// other column.
std::string MailboxCellText(const core::acTableContent& record, int column);

}  // namespace core
