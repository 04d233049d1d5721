#include "WordWrap.h"

#include <vector>

namespace mapi {
namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         static_cast<unsigned char>(c) >= 0x80;
}

// A quote character that can open or close a passage: " always, ' unless it
// is an apostrophe inside a word (wasn't).
bool IsQuote(std::string_view s, std::size_t i) {
  if (s[i] == '"') return true;
  if (s[i] != '\'') return false;
  bool letterBefore = i > 0 && IsLetterOrDigit(s[i - 1]);
  bool letterAfter = i + 1 < s.size() && IsLetterOrDigit(s[i + 1]);
  return !(letterBefore && letterAfter);
}

// Marks the characters strictly inside a quoted passage of one line segment.
std::vector<bool> QuotedMask(std::string_view s) {
  std::vector<bool> quoted(s.size(), false);
  std::size_t i = 0;
  while (i < s.size()) {
    if (!IsQuote(s, i)) {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < s.size() && !(s[j] == s[i] && IsQuote(s, j))) ++j;
    if (j >= s.size()) {  // no partner: not a passage
      ++i;
      continue;
    }
    for (std::size_t k = i + 1; k < j; ++k) quoted[k] = true;
    i = j + 1;
  }
  return quoted;
}

// Wraps one segment that holds no line break.
void WrapSegment(std::string_view s, const WrapRule& rule, std::string& out) {
  std::vector<bool> quoted;
  if (rule.keepQuotesTogether) quoted = QuotedMask(s);
  auto canBreakAfter = [&](std::size_t k) {
    return rule.breakChars.find(s[k]) != std::string_view::npos && (quoted.empty() || !quoted[k]);
  };
  const std::size_t width = rule.maxColumn == 0 ? 1 : rule.maxColumn;
  std::size_t start = 0;
  while (s.size() - start > width) {
    std::size_t cut = 0;  // index after the chosen break character
    for (std::size_t k = start + width; k-- > start;)
      if (canBreakAfter(k)) {
        cut = k + 1;
        break;
      }
    if (cut == 0)  // a word longer than the line: break at its end
      for (std::size_t k = start + width; k < s.size(); ++k)
        if (canBreakAfter(k)) {
          cut = k + 1;
          break;
        }
    if (cut == 0 || cut >= s.size()) break;
    out.append(s.substr(start, cut - start));
    out.append("\r\n");
    start = cut;
  }
  out.append(s.substr(start));
}

}  // namespace

std::string WrapText(std::string_view text, const WrapRule& rule) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      WrapSegment(text.substr(start), rule, out);
      break;
    }
    WrapSegment(text.substr(start, end - start), rule, out);
    // Keep the existing break as it stands: CR LF, CR or LF.
    std::size_t breakLength =
        (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    out.append(text.substr(end, breakLength));
    start = end + breakLength;
  }
  return out;
}

std::string WrapErrorText(std::string_view text) {
  return WrapText(text, {60, " -\t", true});
}

std::string WrapLogonText(std::string_view text) {
  return WrapText(text, {42, " .", false});
}

std::string WrapResolutionText(std::string_view text) {
  return WrapText(text, {80, " -\t", false});
}

}  // namespace mapi
