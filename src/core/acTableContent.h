// The statistics of one mailbox, as read from one row of a server's mailbox
// table. One record type serves both programs: the GUI uses the selected
// flag, the console the mailbox owner; each leaves the other at its default.
#pragma once

#include <cstdint>
#include <string>

#include "MAPIDateUtils.h"
#include "MAPIDefs.h"

namespace core {

struct acTableContent {
  std::string emailAddress;               // PR_EMAIL_ADDRESS, the mailbox's Exchange address
  std::string displayName;                // PR_DISPLAY_NAME
  std::string ntUserName;                 // PR_NT_USER_NAME (the GUI drops a leading "?")
  std::string mailboxOwner;               // console only: DOMAIN\account, or empty
  std::int64_t messageSize = 0;           // PR_MESSAGE_SIZE_EXTENDED, bytes
  std::int64_t contentCount = 0;          // PR_CONTENT_COUNT, sign-extended
  std::int64_t assocContentCount = 0;     // PR_ASSOC_CONTENT_COUNT, sign-extended
  mapi::OptionalDateTime lastLogonTime;   // local time; empty when absent
  mapi::OptionalDateTime lastLogoffTime;  // local time; empty when absent
  std::string storageLimitInformation;    // the storage-limit text, or empty when absent
  bool selected = false;                  // GUI only: checked in the selection dialog
};

// The nine columns of the mailbox table, in the order they are requested and
// read back.
inline constexpr ULONG kMailboxColumnCount = 9;
inline constexpr ULONG kMailboxColumns[kMailboxColumnCount] = {
    PR_EMAIL_ADDRESS,         PR_DISPLAY_NAME,     PR_NT_USER_NAME,
    PR_MESSAGE_SIZE_EXTENDED, PR_CONTENT_COUNT,    PR_ASSOC_CONTENT_COUNT,
    PR_LAST_LOGON_TIME,       PR_LAST_LOGOFF_TIME, PR_STORAGE_LIMIT_INFORMATION};

}  // namespace core
