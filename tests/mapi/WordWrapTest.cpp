#include "WordWrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mapi::WrapErrorText;
using mapi::WrapLogonText;
using mapi::WrapResolutionText;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Lines of a wrapped text, split at CR LF, CR or LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

struct WrapCase {
  const char* why;
  std::string input;
  std::string expected;
};

void PrintTo(const WrapCase& c, std::ostream* os) {
  *os << c.why;
}

class ErrorTextWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(ErrorTextWrap, BreaksAsExpected) {
  EXPECT_EQ(WrapErrorText(GetParam().input), GetParam().expected) << GetParam().why;
}

// Units of ten characters ("aaaaaaaaa ") make the columns easy to count.
const std::string kUnit = "aaaaaaaaa ";

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorTextWrap,
    ::testing::Values(
        WrapCase{"short text stays as it is", "MAPI_E_NOT_FOUND\r\nError Code: $8004010F",
                 "MAPI_E_NOT_FOUND\r\nError Code: $8004010F"},
        WrapCase{"a line holds 60 characters, the space staying at its end", Repeat(kUnit, 8),
                 Repeat(kUnit, 6) + "\r\n" + Repeat(kUnit, 2)},
        WrapCase{"exactly 60 characters need no break", Repeat(kUnit, 5) + "aaaaaaaaaa",
                 Repeat(kUnit, 5) + "aaaaaaaaaa"},
        WrapCase{"a hyphen is a break character", Repeat("aaaaaaaaa-", 7),
                 Repeat("aaaaaaaaa-", 6) + "\r\n" + "aaaaaaaaa-"},
        WrapCase{"a tab is a break character", Repeat("aaaaaaaaa\t", 7),
                 Repeat("aaaaaaaaa\t", 6) + "\r\n" + "aaaaaaaaa\t"},
        WrapCase{"existing CR LF restarts the column", "MAPI:\r\n" + Repeat(kUnit, 7) + "x",
                 "MAPI:\r\n" + Repeat(kUnit, 6) + "\r\n" + kUnit + "x"},
        WrapCase{"a lone CR is kept and restarts the column",
                 Repeat(kUnit, 5) + "\r" + Repeat(kUnit, 5) + "x",
                 Repeat(kUnit, 5) + "\r" + Repeat(kUnit, 5) + "x"},
        WrapCase{"no break inside a quoted passage: the line ends before the quote",
                 Repeat("aaaa ", 11) + "\"bb cc dd ee\" ff",
                 Repeat("aaaa ", 11) + "\r\n" + "\"bb cc dd ee\" ff"},
        WrapCase{"apostrophes inside words are no quotes, so the text between them breaks",
                 "There wasn't enough memory " + Repeat(kUnit, 4) + "isn't",
                 "There wasn't enough memory " + Repeat(kUnit, 3) + "\r\n" + kUnit + "isn't"},
        WrapCase{"a quote without a partner opens no passage", "a \"b " + Repeat(kUnit, 6) + "end",
                 "a \"b " + Repeat(kUnit, 5) + "\r\n" + kUnit + "end"},
        WrapCase{"a word longer than a line is not split, the break follows it",
                 std::string(70, 'x') + " tail", std::string(70, 'x') + " \r\ntail"},
        WrapCase{"a word longer than a line and no break character at all", std::string(70, 'x'),
                 std::string(70, 'x')}));

TEST(ErrorTextWrapProperties, LongProviderMessageComesBackInLinesOfAtMost60) {
  const std::string message =
      "The information store could not be opened because the Microsoft Exchange Server "
      "computer is not available, or the mailbox has been moved to another server in the "
      "site and the profile still names the old one.";
  const auto lines = Lines(WrapErrorText(message));
  EXPECT_GT(lines.size(), 3u);
  std::string rejoined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 60u) << lines[i];
    if (i + 1 < lines.size()) {
      EXPECT_EQ(lines[i].back(), ' ') << lines[i];
    }
    rejoined += lines[i];
  }
  EXPECT_EQ(rejoined, message);  // only CR LF was added
}

TEST(LogonTextWrap, LogonFailedTextBreaksAfterBlanksAt42) {
  EXPECT_EQ(WrapLogonText("The logon did not succeed, either because one or more of the "
                          "parameters to Profile were invalid or because there were too many "
                          "sessions open already."),
            "The logon did not succeed, either because \r\n"
            "one or more of the parameters to Profile \r\n"
            "were invalid or because there were too \r\n"
            "many sessions open already.");
}

TEST(LogonTextWrap, FullStopIsABreakCharacterAndStaysOnItsLine) {
  EXPECT_EQ(WrapLogonText(std::string(40, 'x') + ".yyyy zz"),
            std::string(40, 'x') + ".\r\nyyyy zz");
}

TEST(LogonTextWrap, HyphenIsNoBreakCharacterAt42) {
  const std::string text = Repeat("aaaa-", 10);  // 50 characters, no blank or full stop
  EXPECT_EQ(WrapLogonText(text), text);
}

TEST(LogonTextWrap, ShortTextUnchanged) {
  EXPECT_EQ(WrapLogonText("The logon did not succeed"), "The logon did not succeed");
}

TEST(ResolutionTextWrap, BreaksAt80AndKeepsExistingBreaks) {
  const std::string text =
      "The name could not be resolved. Check to make sure you are connected to the network and "
      "are using the proper server and mailbox name. Network problems are preventing "
      "connection to the Microsoft Exchange Server computer. Contact your system administrator "
      "if this condition persists.\r\n\r\nConfigure MsgService Failed.\r\nMAPI_E_NOT_FOUND";
  const std::string wrapped = WrapResolutionText(text);
  const auto lines = Lines(wrapped);
  EXPECT_EQ(lines.front(),
            "The name could not be resolved. Check to make sure you are connected to the ");
  for (const std::string& line : lines) EXPECT_LE(line.size(), 80u) << line;
  // The detail part keeps its own lines after the empty line.
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[lines.size() - 3], "");
  EXPECT_EQ(lines[lines.size() - 2], "Configure MsgService Failed.");
  EXPECT_EQ(lines.back(), "MAPI_E_NOT_FOUND");
}

TEST(ResolutionTextWrap, BreaksInsideQuotesAndAfterHyphens) {
  // The 80-column rule knows no quoted passages.
  const std::string text = Repeat(kUnit, 7) + "\"bb cc dd ee\"";
  EXPECT_EQ(WrapResolutionText(text), Repeat(kUnit, 7) + "\"bb cc dd \r\nee\"");
  EXPECT_EQ(WrapResolutionText(Repeat("aaaaaaaaa-", 9)),
            Repeat("aaaaaaaaa-", 8) + "\r\naaaaaaaaa-");
}

TEST(WrapText, EmptyAndBreakOnlyTexts) {
  EXPECT_EQ(WrapErrorText(""), "");
  EXPECT_EQ(WrapErrorText("\r\n\r\n"), "\r\n\r\n");
  EXPECT_EQ(WrapErrorText(std::string(200, ' ')).find("\r\n"), 60u);
}

}  // namespace
