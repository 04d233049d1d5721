// Kilobyte forms, grouped counts and the date-time text, with the locale
// pinned through the platform's seam.
#include <gtest/gtest.h>

#include "DateTimeText.h"
#include "LocaleSettings.h"
#include "NumberText.h"

namespace {

class TextForms : public ::testing::Test {
 protected:
  void Pin(std::string thousands, std::string decimal, std::string date = "%m/%d/%Y",
           std::string time = "%H:%M:%S") {
    platform::SetLocaleForTesting({thousands, decimal, date, time});
  }
  void SetUp() override { Pin(",", "."); }
  void TearDown() override { platform::ResetLocaleForTesting(); }
};

TEST_F(TextForms, GuiKilobytes) {
  const struct {
    double bytes;
    const char* text;
  } cases[] = {
      {0, "0.0"},
      {1536, "1.5"},
      {1023, "1.0"},  // 0.999 rounds to one decimal
      {1, "0.0"},
      {51, "0.0"},                 // 0.0498...
      {52, "0.1"},                 // 0.0507...
      {256, "0.3"},                // exactly 0.25: half away from zero
      {1024 * 999.95, "1,000.0"},  // 999.95 rounds up into a new group
      {1024 * 999.94, "999.9"},
      {1288490189, "1,258,291.2"},
      {1024.0 * 1000000, "1,000,000.0"},
      {1024.0 * 999999.96, "1,000,000.0"},  // rounding carries into a new group
      {5368709120.0, "5,242,880.0"},
      {1024.0 * 1234567890123.0, "1,234,567,890,123.0"},  // grouping goes on past the pattern
      {-1536, "-1.5"},
      {-1, "0.0"},  // no "-0.0"
  };
  for (const auto& c : cases) EXPECT_EQ(core::KilobytesText(c.bytes), c.text) << c.bytes;
}

TEST_F(TextForms, GroupedCounts) {
  EXPECT_EQ(core::GroupedCountText(0), "0");
  EXPECT_EQ(core::GroupedCountText(999), "999");
  EXPECT_EQ(core::GroupedCountText(1000), "1,000");
  EXPECT_EQ(core::GroupedCountText(12345), "12,345");
  EXPECT_EQ(core::GroupedCountText(2147483647), "2,147,483,647");
  EXPECT_EQ(core::GroupedCountText(-2147483648.0), "-2,147,483,648");
}

TEST_F(TextForms, SeparatorsComeFromTheLocale) {
  Pin(".", ",");
  EXPECT_EQ(core::KilobytesText(1288490189), "1.258.291,2");
  EXPECT_EQ(core::GroupedCountText(12345), "12.345");
  Pin("", ".");  // no thousands separator: no grouping
  EXPECT_EQ(core::KilobytesText(1288490189), "1258291.2");
  Pin("\xC2\xA0", ",");  // a multi-byte separator stays whole
  EXPECT_EQ(core::GroupedCountText(1234567),
            "1\xC2\xA0"
            "234\xC2\xA0"
            "567");
}

TEST_F(TextForms, ConsoleKilobytesTruncate) {
  EXPECT_EQ(core::KilobytesConsoleText(1535), "1");
  EXPECT_EQ(core::KilobytesConsoleText(1023), "0");
  EXPECT_EQ(core::KilobytesConsoleText(102400), "100");
  EXPECT_EQ(core::KilobytesConsoleText(5LL * 1024 * 1024 * 1024), "5242880");
  EXPECT_EQ(core::KilobytesConsoleText(INT64_MAX), "9007199254740991");
  EXPECT_EQ(core::KilobytesConsoleText(-1535), "-1");  // truncation toward zero
}

TEST_F(TextForms, DateTimeText) {
  const mapi::TDateTime morning = mapi::EncodeDateTime(2006, 3, 11, 8, 15, 2, 0);
  EXPECT_EQ(core::DateTimeText(morning), "03/11/2006 08:15:02");
  // Exactly midnight: the date alone.
  EXPECT_EQ(core::DateTimeText(mapi::EncodeDate(2006, 3, 11)), "03/11/2006");
  // A millisecond after midnight is not midnight.
  EXPECT_EQ(core::DateTimeText(mapi::EncodeDateTime(2006, 3, 11, 0, 0, 0, 1)),
            "03/11/2006 00:00:00");
  EXPECT_EQ(core::DateTimeText(mapi::OptionalDateTime()), "");
  EXPECT_EQ(core::DateTimeText(mapi::OptionalDateTime(morning)), "03/11/2006 08:15:02");
  Pin(".", ",", "%d.%m.%Y", "%H:%M:%S");
  EXPECT_EQ(core::DateTimeText(morning), "11.03.2006 08:15:02");
  Pin(",", ".", "%Y-%m-%d", "%I:%M:%S %p");
  EXPECT_EQ(core::DateTimeText(mapi::EncodeDateTime(2024, 12, 31, 17, 40, 10, 0)),
            "2024-12-31 05:40:10 PM");
  // Dates far from today still format.
  EXPECT_EQ(core::DateTimeText(mapi::EncodeDate(1601, 1, 1)), "1601-01-01");
  EXPECT_EQ(core::DateTimeText(mapi::EncodeDateTime(9999, 12, 31, 23, 59, 59, 0)),
            "9999-12-31 11:59:59 PM");
}

}  // namespace
