// MAPILogonEx: choosing the profile, checking its Exchange service, and
// opening a session on the mailbox it was configured for.
#pragma once

#include <string>

#include "MAPIDefs.h"

namespace mapisim {

// The logon itself, after the exported function's fault check. When the
// organisation database is the problem, *databaseProblem gets the sentence
// that MAPILogonEx also writes to standard error.
HRESULT Logon(const char* profileName, ULONG flags, LPMAPISESSION* session,
              std::string* databaseProblem);

}  // namespace mapisim
