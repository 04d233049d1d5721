// Small text forms that both programs use around MAPI calls.
#pragma once

#include <string>
#include <string_view>

#include "MAPIDefs.h"

namespace mapi {

// Leading and trailing blanks and control characters (bytes up to 0x20)
// removed; bytes above 0x7F stay.
std::string TrimBlanks(std::string_view text);

// Equality without regard to ASCII case; bytes above 0x7F compare exactly.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Letters a to z as A to Z; every other byte unchanged. Inline: the list's
// sort folds every byte of its keys with it.
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string AsciiUpper(std::string_view text);

// The code as eight upper-case hexadecimal digits.
std::string Hex8(HRESULT hr);

}  // namespace mapi
