// Small text helpers for every layer. Windows compares registry, profile,
// module and directory names without regard to case; here that is ASCII case
// folding, bytes from 0x80 up compare exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiLowered(std::string_view text);
std::string AsciiUppered(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, on the lower-cased texts.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// The value of one hexadecimal digit, either case.
std::optional<unsigned> HexDigitValue(char c);
// 1 to maxDigits (at most 8) hexadecimal digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits);

// Blanks are spaces and tabs.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeftBlanks(std::string_view text);
std::string_view TrimRightBlanks(std::string_view text);

// Copies `text` into a caller's buffer of `size` bytes the Windows way: at
// most size-1 characters and a terminator. Returns the characters copied.
std::size_t CopyTruncated(std::string_view text, char* buffer, std::size_t size);

}  // namespace platform
