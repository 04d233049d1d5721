// The machine's time zone as Windows reports it, checked against known
// Windows values and, instant by instant, against the C library.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "ScopedTz.h"
#include "TimeZoneRule.h"
#include "Win32.h"

using platform::detail::MachineZoneRule;
using platform::detail::ParsePosixTz;
using platform::detail::TimeZoneInformationAt;
using platform::detail::UtcOffsetAt;
using platform::detail::ZoneRule;
using platform::testing::ScopedTz;

namespace {

constexpr std::int64_t kJanuary2026 = 1768478400;  // 2026-01-15 12:00 UTC
constexpr std::int64_t kJuly2026 = 1784116800;     // 2026-07-15 12:00 UTC

struct Date {
  WORD year, month, dayOfWeek, day, hour, minute;
};

void ExpectDate(const SYSTEMTIME& st, const Date& d) {
  EXPECT_EQ(st.wYear, d.year);
  EXPECT_EQ(st.wMonth, d.month);
  EXPECT_EQ(st.wDayOfWeek, d.dayOfWeek);
  EXPECT_EQ(st.wDay, d.day);
  EXPECT_EQ(st.wHour, d.hour);
  EXPECT_EQ(st.wMinute, d.minute);
  EXPECT_EQ(st.wSecond, 0);
  EXPECT_EQ(st.wMilliseconds, 0);
}

std::u16string Name(const WCHAR* text) {
  return std::u16string(text);
}

ZoneRule RuleFor(const char* tz) {
  ScopedTz scope(tz);
  return MachineZoneRule();
}

}  // namespace

TEST(TimeZone, WindowsValuesForKnownZones) {
  struct Case {
    const char* zone;
    LONG bias, standardBias, daylightBias;
    Date standardDate, daylightDate;
    std::u16string standardName, daylightName;
    DWORD idInJanuary, idInJuly;
  };
  const std::vector<Case> cases = {
      // Last Sunday of March 02:00 into summer time, last Sunday of October 03:00 back.
      {"Europe/Berlin",
       -60,
       0,
       -60,
       {0, 10, 0, 5, 3, 0},
       {0, 3, 0, 5, 2, 0},
       u"CET",
       u"CEST",
       TIME_ZONE_ID_STANDARD,
       TIME_ZONE_ID_DAYLIGHT},
      // Second Sunday of March, first Sunday of November, both 02:00.
      {"America/New_York",
       300,
       0,
       -60,
       {0, 11, 0, 1, 2, 0},
       {0, 3, 0, 2, 2, 0},
       u"EST",
       u"EDT",
       TIME_ZONE_ID_STANDARD,
       TIME_ZONE_ID_DAYLIGHT},
      // Southern hemisphere: daylight time from the first Sunday of October, in January.
      {"Australia/Sydney",
       -600,
       0,
       -60,
       {0, 4, 0, 1, 3, 0},
       {0, 10, 0, 1, 2, 0},
       u"AEST",
       u"AEDT",
       TIME_ZONE_ID_DAYLIGHT,
       TIME_ZONE_ID_STANDARD},
      {"Asia/Tokyo",
       -540,
       0,
       0,
       {0, 0, 0, 0, 0, 0},
       {0, 0, 0, 0, 0, 0},
       u"JST",
       u"",
       TIME_ZONE_ID_UNKNOWN,
       TIME_ZONE_ID_UNKNOWN},
      {"UTC",
       0,
       0,
       0,
       {0, 0, 0, 0, 0, 0},
       {0, 0, 0, 0, 0, 0},
       u"UTC",
       u"",
       TIME_ZONE_ID_UNKNOWN,
       TIME_ZONE_ID_UNKNOWN},
      // Negative daylight saving in the zone file; Windows calls the winter time standard.
      {"Europe/Dublin",
       0,
       0,
       -60,
       {0, 10, 0, 5, 2, 0},
       {0, 3, 0, 5, 1, 0},
       u"GMT",
       u"IST",
       TIME_ZONE_ID_STANDARD,
       TIME_ZONE_ID_DAYLIGHT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    const ZoneRule rule = RuleFor(c.zone);
    TIME_ZONE_INFORMATION info{};
    EXPECT_EQ(TimeZoneInformationAt(rule, kJanuary2026, &info), c.idInJanuary);
    EXPECT_EQ(info.Bias, c.bias);
    EXPECT_EQ(info.StandardBias, c.standardBias);
    EXPECT_EQ(info.DaylightBias, c.daylightBias);
    ExpectDate(info.StandardDate, c.standardDate);
    ExpectDate(info.DaylightDate, c.daylightDate);
    EXPECT_EQ(Name(info.StandardName), c.standardName);
    EXPECT_EQ(Name(info.DaylightName), c.daylightName);
    EXPECT_EQ(TimeZoneInformationAt(rule, kJuly2026, &info), c.idInJuly);
  }
}

// The offset the rule gives must be the C library's at every quarter hour
// of three years (every transition of these zones falls on one) and one
// second before each.
TEST(TimeZone, OffsetsAgreeWithTheCLibrary) {
  for (const char* zone : {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Asia/Tokyo",
                           "UTC", "Europe/Dublin", "Asia/Jerusalem", "XST5XDT,J60/2,J300/2",
                           "XST5XDT,59,299", "<+0530>-5:30", "EST5EDT"}) {
    SCOPED_TRACE(zone);
    const ZoneRule rule = RuleFor(zone);
    ScopedTz scope(zone);
    int mismatches = 0;
    for (std::int64_t t = 1735689600; t < 1735689600 + 3 * 366 * 86400LL && mismatches < 5;
         t += 900) {
      for (std::int64_t at : {t, t - 1}) {
        const auto tt = static_cast<std::time_t>(at);
        std::tm local{};
        ::localtime_r(&tt, &local);
        if (UtcOffsetAt(rule, at) != local.tm_gmtoff) {
          ADD_FAILURE() << "at " << at << ": " << UtcOffsetAt(rule, at)
                        << " != " << local.tm_gmtoff;
          ++mismatches;
        }
      }
    }
  }
}

TEST(TimeZone, RulesTheRecurringFormCannotSayAreAbsoluteDatesOfTheYear) {
  TIME_ZONE_INFORMATION info{};
  // The Thursday of the fourth week of March at 26:00 is a Friday at 02:00.
  TimeZoneInformationAt(RuleFor("Asia/Jerusalem"), kJanuary2026, &info);
  ExpectDate(info.DaylightDate, {2026, 3, 5, 27, 2, 0});
  ExpectDate(info.StandardDate, {0, 10, 0, 5, 2, 0});
  // Julian days without 29 February: J60 is always 1 March.
  TimeZoneInformationAt(*ParsePosixTz("XST5XDT,J60/2,J300/2"), kJanuary2026 - 2 * 365 * 86400,
                        &info);
  ExpectDate(info.DaylightDate, {2024, 3, 5, 1, 2, 0});
  // Zero-based days count it: day 59 of 2024 is 29 February.
  TimeZoneInformationAt(*ParsePosixTz("XST5XDT,59/1:30,299"), kJanuary2026 - 2 * 365 * 86400,
                        &info);
  ExpectDate(info.DaylightDate, {2024, 2, 4, 29, 1, 30});
}

TEST(TimeZone, PosixRuleStrings) {
  struct Case {
    const char* text;
    bool valid;
    std::int32_t standardOffset;
    std::int32_t daylightOffset;
  };
  const std::vector<Case> cases = {
      {"UTC0", true, 0, 0},
      {"JST-9", true, 9 * 3600, 0},
      {"<+0530>-5:30", true, 5 * 3600 + 1800, 0},
      {"<-03>3", true, -3 * 3600, 0},
      {"CET-1CEST,M3.5.0,M10.5.0/3", true, 3600, 7200},
      {"EST5EDT", true, -5 * 3600, -4 * 3600},  // the customary dates
      {"NZST-12NZDT-13,M9.5.0,M4.1.0/3", true, 12 * 3600, 13 * 3600},
      {"XST3:30XDT,M3.2.0/-1,M11.1.0/25:30:15", true, -(3 * 3600 + 1800), -(2 * 3600 + 1800)},
      {"", false, 0, 0},
      {"AB1", false, 0, 0},               // names need three letters
      {"CET", false, 0, 0},               // no offset
      {"CET-1CEST,M3.5.0", false, 0, 0},  // no end
      {"CET-1CEST,M13.5.0,M10.5.0", false, 0, 0},
      {"CET-1CEST,M3.6.0,M10.5.0", false, 0, 0},
      {"CET-1CEST,M3.5.7,M10.5.0", false, 0, 0},
      {"CET-1CEST,J0,J365", false, 0, 0},
      {"CET-1CEST,M3.5.0/168,M10.5.0", false, 0, 0},
      {"CET-25", false, 0, 0},
      {"CET-1CEST,M3.5.0,M10.5.0 trailing", false, 0, 0},
      {"<+05", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto rule = ParsePosixTz(c.text);
    ASSERT_EQ(rule.has_value(), c.valid);
    if (!rule) continue;
    EXPECT_EQ(rule->standardOffset, c.standardOffset);
    if (rule->hasDaylight) {
      EXPECT_EQ(rule->daylightOffset, c.daylightOffset);
    }
  }
}

TEST(TimeZone, WhereTheZoneComesFrom) {
  const auto berlin = [](const ZoneRule& r) {
    return r.standardName == "CET" && r.daylightName == "CEST";
  };
  EXPECT_TRUE(berlin(RuleFor("Europe/Berlin")));
  EXPECT_TRUE(berlin(RuleFor(":Europe/Berlin")));
  EXPECT_TRUE(berlin(RuleFor("/usr/share/zoneinfo/Europe/Berlin")));
  EXPECT_TRUE(berlin(RuleFor("CET-1CEST,M3.5.0,M10.5.0/3")));
  for (const char* utcLike : {"", ":", "Nowhere/Zone", ":CET-1CEST"}) {
    SCOPED_TRACE(utcLike);
    const ZoneRule rule = RuleFor(utcLike);
    EXPECT_EQ(rule.standardOffset, 0);
    EXPECT_FALSE(rule.hasDaylight);
  }
  // No TZ: /etc/localtime.
  const auto local = platform::detail::ReadWholeFile("/etc/localtime");
  if (local) {
    const ZoneRule rule = RuleFor(nullptr);
    const auto expected = platform::detail::ZoneRuleFromTzif(*local);
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(rule.standardName, expected->standardName);
    EXPECT_EQ(rule.standardOffset, expected->standardOffset);
  }
}

namespace {

// A version 1 zone file (no footer) with one local time type.
std::string TzifV1(std::uint32_t offset, const std::string& abbreviation) {
  std::string file = "TZif";
  file.append(16, '\0');
  auto put32 = [&file](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
      file.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  for (std::uint32_t count :
       {0u, 0u, 0u, 0u, 1u, static_cast<std::uint32_t>(abbreviation.size() + 1)})
    put32(count);
  put32(offset);
  file.push_back('\0');  // not daylight time
  file.push_back('\0');  // abbreviation index
  file += abbreviation;
  file.push_back('\0');
  return file;
}

}  // namespace

TEST(TimeZone, ZoneFilesWithoutARuleGiveTheirFixedOffset) {
  const auto rule = platform::detail::ZoneRuleFromTzif(TzifV1(3600 + 1800, "XYZ"));
  ASSERT_TRUE(rule.has_value());
  EXPECT_EQ(rule->standardName, "XYZ");
  EXPECT_EQ(rule->standardOffset, 5400);
  EXPECT_FALSE(rule->hasDaylight);
  // An offset no zone can have is damage, not a zone.
  EXPECT_FALSE(platform::detail::ZoneRuleFromTzif(TzifV1(0x80000000u, "BAD")).has_value());
}

TEST(TimeZone, DamagedZoneFilesNeverCrash) {
  const auto berlin = platform::detail::ReadWholeFile("/usr/share/zoneinfo/Europe/Berlin");
  ASSERT_TRUE(berlin.has_value());
  ASSERT_TRUE(platform::detail::ZoneRuleFromTzif(*berlin).has_value());
  for (std::size_t n = 0; n < berlin->size(); n += 7)
    platform::detail::ZoneRuleFromTzif(berlin->substr(0, n));
  std::string flipped = *berlin;
  for (std::size_t i = 20; i < 44; ++i) flipped[i] = '\xff';  // absurd counts
  EXPECT_FALSE(platform::detail::ZoneRuleFromTzif(flipped).has_value());
  EXPECT_FALSE(platform::detail::ZoneRuleFromTzif("not a zone file").has_value());
}

TEST(GetTimeZoneInformation, ReportsTheMachineZoneNow) {
  EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
  for (const char* zone : {"Europe/Berlin", "Australia/Sydney", "Europe/Dublin", "Asia/Tokyo"}) {
    SCOPED_TRACE(zone);
    ScopedTz scope(zone);
    TIME_ZONE_INFORMATION info{};
    const DWORD id = GetTimeZoneInformation(&info);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    if (info.StandardDate.wMonth == 0) {
      EXPECT_EQ(id, TIME_ZONE_ID_UNKNOWN);
      EXPECT_EQ(-info.Bias * 60, local.tm_gmtoff);
    } else {
      const bool summer = local.tm_gmtoff == -(info.Bias + info.DaylightBias) * 60;
      EXPECT_EQ(id, summer ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD);
    }
  }
}
