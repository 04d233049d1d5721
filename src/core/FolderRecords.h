// The plain records of the details window's walks, read by the window, the
// folder and mailbox reports and the exports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MAPIDateUtils.h"
#include "MAPIDefs.h"

namespace core {

// Statistics of one folder below a mailbox's top of information store. Sizes
// and counts are the folder's own; nothing is rolled up into parents.
struct TMsgBoxReport {
  std::string mailbox;         // the display name of the mailbox node
  std::string folderPath;      // PR_URL_NAME; empty when absent
  std::int32_t itemCount = 0;  // PR_CONTENT_COUNT; 0 when absent
  std::uint32_t size = 0;      // PR_MESSAGE_SIZE in bytes; 0 when absent
};

// One message of a folder's contents list.
struct TOneFolderMessages {
  bool hasAttachment = false;           // PR_HASATTACH not 0
  std::string subject;                  // PR_SUBJECT; empty when absent or null
  std::uint32_t size = 0;               // PR_MESSAGE_SIZE in bytes; 0 when absent
  mapi::OptionalDateTime deliveryTime;  // PR_MESSAGE_DELIVERY_TIME, local; none when absent
};

// The details window's record lists, which the reports and the export
// dialog borrow and read by position.
using TMsgBoxReportList = std::vector<TMsgBoxReport>;
using TFolderMessageList = std::vector<TOneFolderMessages>;

// The four columns of a contents row, in the order the load sets them.
inline constexpr ULONG kMessageColumnCount = 4;
extern const ULONG kMessageColumns[kMessageColumnCount];

// A contents row as a record. A column counts only when its tag is exactly
// the requested one; a delivery time that gives no calendar date reads as
// none.
TOneFolderMessages MessageFromRow(const SRow& row);

}  // namespace core
