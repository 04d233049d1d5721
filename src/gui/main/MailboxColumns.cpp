#include "MailboxColumns.h"

#include "DateTimeText.h"
#include "NumberText.h"

namespace gui {

std::string MailboxCellText(const core::acTableContent& record, int column) {
  switch (column) {
    case 0:
      return record.displayName;
    case 1:
      return record.ntUserName;
    case 2:
      return core::KilobytesText(static_cast<double>(record.messageSize));
    case 3:
      return core::GroupedCountText(static_cast<double>(record.contentCount));
    case 4:
      return core::GroupedCountText(static_cast<double>(record.assocContentCount));
    case 5:
      return record.storageLimitInformation;
    case 6:
      return core::DateTimeText(record.lastLogonTime);
    case 7:
      return core::DateTimeText(record.lastLogoffTime);
    case 8:
      return record.emailAddress;
    default:
      return {};
  }
}

}  // namespace gui
