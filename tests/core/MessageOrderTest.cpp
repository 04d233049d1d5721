// The message list's columns: the text of each cell and the order of each
// column, one row per rule.
#include <gtest/gtest.h>

#include "LocaleSettings.h"
#include "MAPIDateUtils.h"
#include "MessageColumns.h"

namespace {

using core::TOneFolderMessages;

TOneFolderMessages Msg(std::string subject, std::uint32_t size = 0, bool attach = false,
                       mapi::OptionalDateTime time = std::nullopt) {
  return TOneFolderMessages{attach, std::move(subject), size, time};
}

class MessageColumns : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"}); }
  void TearDown() override { platform::ResetLocaleForTesting(); }
};

TEST_F(MessageColumns, CellTexts) {
  const mapi::TDateTime noon = mapi::EncodeDateTime(2006, 2, 1, 9, 1, 0, 0);
  struct Case {
    TOneFolderMessages message;
    int column;
    const char* text;
    const char* why;
  } cases[] = {
      {Msg("Hello", 0, true), 0, "", "the attachment column has only its image"},
      {Msg("Hello"), 1, "Hello", "the subject as it is"},
      {Msg(""), 1, "", "no subject"},
      {Msg("", 1024), 2, "1.0K", "kilobytes with one decimal and K, no blank"},
      {Msg("", 512), 2, "0.5K", "half a kilobyte"},
      {Msg("", 1536), 2, "1.5K", "1536 bytes"},
      {Msg("", 0), 2, "0.0K", "no size"},
      {Msg("", 1288490189), 2, "1,258,291.2K", "grouped by the locale's separator"},
      {Msg("", 0xFFFFFFFFu), 2, "4,194,304.0K", "the largest 32-bit size"},
      {Msg("", 0, false, noon), 3, "02/01/2006 09:01:00", "short date and long time"},
      {Msg("", 0, false, mapi::EncodeDate(2006, 2, 1)), 3, "02/01/2006", "midnight: the date"},
      {Msg(""), 3, "", "no delivery time"},
      {Msg("x"), 4, "", "no such column"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(core::MessageCellText(c.message, c.column), c.text) << c.why;
}

TEST_F(MessageColumns, Comparisons) {
  const mapi::TDateTime t = mapi::EncodeDateTime(2006, 2, 1, 9, 0, 0, 0);
  const double ms = 1.0 / 86400000.0;
  struct Case {
    TOneFolderMessages a, b;
    int column;
    int sign;  // of the comparison, ascending
    const char* why;
  } cases[] = {
      {Msg("", 0, true), Msg("", 0, false), 0, -1, "attachments first"},
      {Msg("", 0, true), Msg("", 0, true), 0, 0, "both with attachments"},
      {Msg("alpha"), Msg("ALPHA"), 1, 0, "letters fold to upper case"},
      {Msg("abc"), Msg("abcd"), 1, -1, "a prefix is the smaller"},
      {Msg("Zeta"), Msg("\xC4rger"), 1, -1, "other characters by their code: A-umlaut after Z"},
      {Msg("_x"), Msg("ax"), 1, 1, "underscore (5F) sorts after a letter folded to A (41)"},
      {Msg("", 5), Msg("", 0xFFFFFFF0u), 2, -1, "sizes as unsigned values"},
      {Msg("", 7), Msg("", 7), 2, 0, "equal sizes"},
      {Msg("", 0, false, t), Msg("", 0, false, t + 0.5 * ms), 3, 0, "under a millisecond: equal"},
      {Msg("", 0, false, t), Msg("", 0, false, t + 2 * ms), 3, -1, "earlier first"},
      {Msg(""), Msg("", 0, false, 0.0), 3, -1, "no time is older than any time, even day 0"},
      {Msg(""), Msg(""), 3, 0, "two rows without a time"},
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const Case& c : cases) {
    EXPECT_EQ(sign(core::CompareMessages(c.a, c.b, c.column)), c.sign) << c.why;
    EXPECT_EQ(sign(core::CompareMessages(c.b, c.a, c.column)), -c.sign) << c.why << " (reversed)";
  }
}

TEST_F(MessageColumns, SortIsStableInBothDirections) {
  const mapi::TDateTime t = mapi::EncodeDateTime(2006, 2, 1, 9, 0, 0, 0);
  const double ms = 1.0 / 86400000.0;
  // Times 0.6 ms apart chain into an intransitive run; the sort keeps to
  // the rows and keeps equal ones in their order.
  core::TMessageRows rows = {Msg("a", 1, false, t + 1.2 * ms), Msg("b", 2, false, t + 0.6 * ms),
                             Msg("c", 1, false, t), Msg("d", 2), Msg("e", 1, true, t)};
  auto subjects = [&] {
    std::string s;
    for (const auto& r : rows) s += r.subject;
    return s;
  };
  core::SortMessages(rows, 2, true);
  EXPECT_EQ(subjects(), "acebd");
  core::SortMessages(rows, 2, false);
  EXPECT_EQ(subjects(), "bdace");
  core::SortMessages(rows, 3, true);
  EXPECT_EQ(subjects().front(), 'd');  // no time: the oldest
  core::SortMessages(rows, 0, true);
  EXPECT_EQ(subjects().front(), 'e');
  EXPECT_EQ(rows.size(), 5u);
  // Subjects: letters fold, equal keys keep their order, other bytes by
  // their unsigned code.
  rows = {Msg("b"), Msg("\xC4x"), Msg("A"), Msg("a"), Msg("")};
  core::SortMessages(rows, 1, true);
  EXPECT_EQ(subjects(), "Aab\xC4x");
  core::SortMessages(rows, 1, false);
  EXPECT_EQ(subjects(), "\xC4xbAa");
}

}  // namespace
