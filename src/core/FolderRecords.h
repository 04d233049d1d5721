// The details window's records as the exports and reports read them: the
// statistics of one folder and one message row of a folder. Plain data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MAPIDateUtils.h"

namespace core {

// One folder of a mailbox; sizes and counts are the folder's own, not
// rolled up into its parents.
struct TMsgBoxReport {
  std::string mailbox;         // display name of the folder's mailbox (its tree node's text)
  std::string folderPath;      // PR_URL_NAME, "/Inbox/Projects"; empty when absent
  std::int32_t itemCount = 0;  // PR_CONTENT_COUNT
  std::uint32_t size = 0;      // PR_MESSAGE_SIZE, bytes
};

// One message of a folder.
struct TOneFolderMessages {
  bool hasAttachment = false;           // PR_HASATTACH
  std::string subject;                  // PR_SUBJECT, 8-bit text; empty when absent
  std::uint32_t size = 0;               // PR_MESSAGE_SIZE, bytes
  mapi::OptionalDateTime deliveryTime;  // local time; empty when the message has none
};

using TMsgBoxReportList = std::vector<std::unique_ptr<TMsgBoxReport>>;
using TFolderMessageList = std::vector<std::unique_ptr<TOneFolderMessages>>;

}  // namespace core
