// Texts as the MAPI provider serves them: 8-bit, in the ANSI code page
// (Windows-1252), as an Exchange store gives them to a program that asks for
// the 8-bit form. Folder names arrive in modified UTF-7 (decoded to UTF-8
// first), subjects as sent, with MIME encoded words.
#pragma once

#include <string>
#include <string_view>

namespace mapidove {

// UTF-8 to Windows-1252; a character the code page lacks becomes its
// transliteration or "?". Bytes that are no UTF-8 are taken as
// Windows-1252 already.
std::string Utf8ToAnsi(std::string_view utf8);

// A header as sent to its text in Windows-1252: folded lines joined, encoded
// words (=?charset?B|Q?...?=) decoded from their charset, the space between
// two adjacent encoded words dropped. An encoded word in a charset the
// system does not know, or one that is malformed, stays as it was written.
std::string DecodeHeaderText(std::string_view header);

}  // namespace mapidove
