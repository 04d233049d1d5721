// GetTimeZoneInformation over the machine's zone rule.
#include <ctime>

#include "TimeZoneRule.h"
#include "Win32.h"

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* lpTimeZoneInformation) {
  if (lpTimeZoneInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  return platform::detail::TimeZoneInformationAt(platform::detail::MachineZoneRule(),
                                                 static_cast<std::int64_t>(std::time(nullptr)),
                                                 lpTimeZoneInformation);
}
