// Word wrapping of the long MAPI texts. Breaks are inserted as CR LF after
// a break character, which stays at the end of its line; breaks already in
// the text (CR LF, CR or LF) are kept and restart the column count. A word
// longer than a line is not split: its line simply runs long.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mapi {

struct WrapRule {
  std::size_t maxColumn;        // a line holds at most this many characters
  std::string_view breakChars;  // a line may end after any of these
  // No break inside a quoted passage: text between a quote (" or ') and the
  // next same quote. An apostrophe between two letters is no quote, and a
  // quote without a partner opens no passage.
  bool keepQuotesTogether;
};

std::string WrapText(std::string_view text, const WrapRule& rule);

// MAPI error texts: 60 columns, after a space, hyphen or tab, never inside
// quotes.
std::string WrapErrorText(std::string_view text);
// Logon failures: 42 columns, after a blank or a full stop.
std::string WrapLogonText(std::string_view text);
// The name-resolution message: 80 columns, after blanks, hyphens or tabs.
std::string WrapResolutionText(std::string_view text);

}  // namespace mapi
