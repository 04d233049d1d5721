// Small text forms that both programs use around MAPI calls. Case-blind
// comparison and case folding are platform's (TextUtil.h).
#pragma once

#include <string>
#include <string_view>

#include "MAPIDefs.h"

namespace mapi {

// Leading and trailing blanks and control characters (bytes up to 0x20)
// removed; bytes above 0x7F stay. Unlike platform::TrimBlanks (spaces and
// tabs only), a typed name loses stray line breaks too.
std::string TrimControls(std::string_view text);

// The code as eight upper-case hexadecimal digits.
std::string Hex8(HRESULT hr);

}  // namespace mapi
