// Whether a server name that a Win32 call was given names this computer.
#pragma once

#include <string_view>

namespace platform::detail {

// True when `name` is this computer's host name, compared without regard to
// case. Callers strip their own "\\" prefix and accept their own aliases.
bool IsThisHost(std::string_view name);

}  // namespace platform::detail
