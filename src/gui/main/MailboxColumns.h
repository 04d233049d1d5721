// The nine columns of the mailbox list: captions, widths, alignment, and the
// text of a record in each.
#pragma once

#include <string>

#include "acTableContent.h"

namespace gui {

struct MailboxColumn {
  const char* caption;
  int width;  // pixels
  bool rightAligned;
};

inline constexpr MailboxColumn kMailboxColumnsShown[9] = {
    {"Mailbox", 100, false},
    {"Last Logged on By", 150, false},
    {"Total Message Size (Kb)", 100, true},
    {"Total Items", 100, true},
    {"Total no. Associated Messages", 100, true},
    {"Storage Limits", 100, true},
    {"Last Logon Time", 100, true},
    {"Last Logoff Time", 100, true},
    {"Full Mailbox Directory Name", 150, false},
};

// The text the list shows for `record` in `column` (0 to 8); empty for any
// other column.
std::string MailboxCellText(const core::acTableContent& record, int column);

}  // namespace gui
