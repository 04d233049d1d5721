// Temporary profiles left by runs that ended without their clean-up (a
// process killed with SIGKILL cannot delete its profile). A temporary
// profile's name carries the creating process and the time it was made
// (MakeProfileName), which is enough to tell a leftover from the profile of
// a run still going.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MAPIInterfaces.h"
#include "WinTypes.h"

namespace mapi {

// The process and the time (UTC FILETIME) a temporary profile's name
// carries.
struct TempProfileOrigin {
  DWORD processId = 0;
  FILETIME created{};
};

// The origin in `name` when it is a temporary profile name of `prefix`
// ("<prefix> <8 hex> <8 hex> <8 hex>"); nullopt for any other name.
std::optional<TempProfileOrigin> ParseTempProfileName(std::string_view prefix,
                                                      std::string_view name);

// True when the process that made the profile is gone: no process has its
// identifier, or the one that has it started after the profile was made (a
// reused identifier; process start times are known to the second, so a
// start up to two seconds later still counts as the maker).
bool IsLeftOver(const TempProfileOrigin& origin);

// Deletes the leftover temporary profiles of `prefix` through `admin`.
// Returns the names deleted, in the profile table's order. A failure ends
// the clean-up quietly: the run's own profile does not depend on it.
std::vector<std::string> DeleteLeftOverTempProfiles(IProfAdmin* admin, std::string_view prefix);

}  // namespace mapi
