// The system's message texts for result codes, as FormatMessage with
// FORMAT_MESSAGE_FROM_SYSTEM gives them in English, without the line break
// that ends each. Only the common COM codes are known; MAPI codes have no
// system text.
#pragma once

#include <optional>
#include <string>

#include "WinTypes.h"

namespace platform {

std::optional<std::string> SystemMessageText(DWORD code);

}  // namespace platform
