// What the windows opened from the main window borrow from it for the
// length of one modal showing. The main window owns all of it; a borrower
// neither frees nor keeps any of it after it closes.
#pragma once

#include <string>

#include "MailboxCompare.h"

struct IMAPISession;

namespace gui {

struct TMainWindowState {
  IMAPISession* session = nullptr;          // the logged-on session
  std::string serverDn;                     // legacy DN of the server shown
  std::string homeServerName;               // the home server's name
  core::TMailboxList* mailboxes = nullptr;  // the mailbox list, in list order
};

}  // namespace gui
