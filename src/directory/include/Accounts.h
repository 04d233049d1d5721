// The account stand-in: LookupAccountSidA answered from the organisation's
// NT accounts (see AccountLookup.cpp for the contract).
#pragma once

#include "Win32.h"

enum SID_NAME_USE {
  SidTypeUser = 1,
  SidTypeGroup,
  SidTypeDomain,
  SidTypeAlias,
  SidTypeWellKnownGroup
};
BOOL LookupAccountSidA(LPCSTR lpSystemName, PSID Sid, LPSTR Name, LPDWORD cchName,
                       LPSTR ReferencedDomainName, LPDWORD cchReferencedDomainName,
                       SID_NAME_USE* peUse);
