// The error record that GetLastError hands out: the message and component
// left by the last failing call on an object.
#pragma once

#include <optional>
#include <string>

#include "MAPIDefs.h"

namespace mapisim {

struct ErrorRecord {
  std::optional<std::string> message;
  std::optional<std::string> component;
};

// Components named in the records.
inline constexpr const char* kComponentMapi = "MAPI Subsystem";
inline constexpr const char* kComponentStore = "Microsoft Exchange Information Store";
inline constexpr const char* kComponentDirectory = "Microsoft Exchange Address Book";
inline constexpr const char* kComponentTransport = "Microsoft Exchange Server";

// GetLastError's answer: S_OK with a MAPIERROR in MAPI memory (strings
// chained with MAPIAllocateMore), or S_OK and null when there is no record.
// 8-bit strings only: MAPI_UNICODE is refused with MAPI_E_BAD_CHARWIDTH.
HRESULT HandOutErrorRecord(const std::optional<ErrorRecord>& record, ULONG flags,
                           LPMAPIERROR* lppMAPIError);

}  // namespace mapisim
