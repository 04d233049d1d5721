// Date-time encoding, zone transition dates, the zone-rule conversion and
// the two FILETIME conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "MAPIDateUtils.h"
#include "Win32.h"

namespace {

using mapi::TDateTime;

SYSTEMTIME Rule(int month, int dayOfWeek, int week, int hour, int minute = 0, int year = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDayOfWeek = static_cast<WORD>(dayOfWeek);
  st.wDay = static_cast<WORD>(week);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  return st;
}

constexpr double kMs = 1.0 / 86400000.0;

TEST(DateEncoding, KnownSerials) {
  EXPECT_EQ(mapi::EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(mapi::EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(mapi::EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(mapi::EncodeDate(1601, 1, 1), -109205.0);
  EXPECT_NEAR(mapi::EncodeTime(12, 0, 0, 0), 0.5, 1e-15);
  EXPECT_NEAR(mapi::EncodeTime(0, 1, 0, 0), 1.0 / 1440, 1e-15);
  EXPECT_THROW(mapi::EncodeDate(2023, 2, 29), mapi::DateConvertError);
  EXPECT_THROW(mapi::EncodeDate(10000, 1, 1), mapi::DateConvertError);
  EXPECT_THROW(mapi::EncodeTime(24, 0, 0, 0), mapi::DateConvertError);
}

TEST(DateEncoding, DecodeRoundTripsAndKeepsTheNegativeConvention) {
  const TDateTime t = mapi::EncodeDateTime(2024, 2, 29, 23, 59, 59, 999);
  const mapi::DateTimeFields f = mapi::DecodeDateTime(t);
  EXPECT_EQ(f.year, 2024);
  EXPECT_EQ(f.month, 2);
  EXPECT_EQ(f.day, 29);
  EXPECT_EQ(f.hour, 23);
  EXPECT_EQ(f.minute, 59);
  EXPECT_EQ(f.second, 59);
  EXPECT_EQ(f.millisecond, 999);
  EXPECT_EQ(f.dayOfWeek, 4);  // a Thursday
  // -1.25 is 29 December 1899, 06:00.
  const mapi::DateTimeFields n = mapi::DecodeDateTime(-1.25);
  EXPECT_EQ(n.day, 29);
  EXPECT_EQ(n.hour, 6);
  EXPECT_EQ(mapi::EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  // Just below a day boundary rounds up to the next midnight.
  const mapi::DateTimeFields r = mapi::DecodeDateTime(mapi::EncodeDate(2024, 12, 31) + 1 - kMs / 4);
  EXPECT_EQ(r.year, 2025);
  EXPECT_EQ(r.hour, 0);
  EXPECT_THROW(mapi::DecodeDateTime(1e9), mapi::DateConvertError);
}

struct TransitionCase {
  const char* why;
  SYSTEMTIME rule;
  int year;
  int month, day, hour, minute;  // expected; day 0 = date part 0
};

TEST(ZoneTransitionDate, Table) {
  const TransitionCase cases[] = {
      // Last Sunday of March 2024 is the 31st (the month ends on a Sunday).
      {"week 5 on the last day", Rule(3, 0, 5, 2), 2024, 3, 31, 2, 0},
      {"week 5, 2025", Rule(3, 0, 5, 2), 2025, 3, 30, 2, 0},
      {"last Sunday of October 2024", Rule(10, 0, 5, 3), 2024, 10, 27, 3, 0},
      // March 2024 begins on a Friday (F = 6): second Sunday = (1 - 6 + 1) + 7 + 7 = 10.
      {"week 2, W < F", Rule(3, 0, 2, 2), 2024, 3, 10, 2, 0},
      {"week 1, W < F", Rule(11, 0, 1, 2), 2024, 11, 3, 2, 0},
      // November 2025 begins on a Saturday: first Saturday is the 1st (W = F).
      {"week 1, W = F", Rule(11, 6, 1, 1, 30), 2025, 11, 1, 1, 30},
      {"week 4", Rule(2, 1, 4, 0), 2024, 2, 26, 0, 0},
      // Last Friday of February 2024: the 29th is a Thursday (G = 5), W = 6 > G.
      {"week 5, W > G", Rule(2, 5, 5, 0), 2024, 2, 23, 0, 0},
      {"first Sunday of October, Sydney", Rule(10, 0, 1, 2), 2025, 10, 5, 2, 0},
      {"first Sunday of April, Sydney", Rule(4, 0, 1, 3), 2024, 4, 7, 3, 0},
      {"week 0 gives date part 0", Rule(3, 0, 0, 2), 2024, 0, 0, 2, 0},
      {"week 6 gives date part 0", Rule(3, 0, 6, 5), 2024, 0, 0, 5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const TDateTime got = mapi::ZoneTransitionDate(c.rule, c.year);
    const TDateTime time = mapi::EncodeTime(c.hour, c.minute, 0, 0);
    const TDateTime want = c.day == 0 ? time : mapi::EncodeDate(c.year, c.month, c.day) + time;
    EXPECT_NEAR(got, want, 1e-9);
  }
  EXPECT_EQ(mapi::ZoneTransitionDate(Rule(0, 0, 5, 2), 2024), 0.0);
  // A rule with a year is that absolute date, whatever year is asked.
  EXPECT_NEAR(mapi::ZoneTransitionDate(Rule(6, 0, 15, 4, 0, 2010), 2024),
              mapi::EncodeDateTime(2010, 6, 15, 4, 0, 0, 0), 1e-9);
}

TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standard, SYSTEMTIME daylight,
                           LONG daylightBias = -60) {
  TIME_ZONE_INFORMATION z{};
  z.Bias = bias;
  z.StandardDate = standard;
  z.DaylightDate = daylight;
  z.StandardBias = 0;
  z.DaylightBias = daylightBias;
  return z;
}

TEST(UtcToLocalByZoneRules, NorthernSouthernAndNoDaylightZones) {
  const auto berlin = Zone(-60, Rule(10, 0, 5, 3), Rule(3, 0, 5, 2));
  const auto sydney = Zone(-600, Rule(4, 0, 1, 3), Rule(10, 0, 1, 2));
  const auto tokyo = Zone(-540, Rule(0, 0, 0, 0), Rule(0, 0, 0, 0), 0);
  const double hour = 1.0 / 24;
  // Summer in Berlin: +2 h; winter: +1 h.
  const TDateTime july = mapi::EncodeDateTime(2024, 7, 1, 12, 0, 0, 0);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(july, berlin), july + 2 * hour, 1e-9);
  const TDateTime jan = mapi::EncodeDateTime(2024, 1, 15, 12, 0, 0, 0);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(jan, berlin), jan + hour, 1e-9);
  // The switch: 31 March 2024 01:00 UTC is daylight, a millisecond before is not.
  const TDateTime sw = mapi::EncodeDateTime(2024, 3, 31, 1, 0, 0, 0);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(sw, berlin), sw + 2 * hour, 1e-9);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(sw - kMs, berlin), sw - kMs + hour, 1e-9);
  // The end: 27 October 2024 01:00 UTC is standard again.
  const TDateTime end = mapi::EncodeDateTime(2024, 10, 27, 1, 0, 0, 0);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(end, berlin), end + hour, 1e-9);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(end - kMs, berlin), end - kMs + 2 * hour, 1e-9);
  // Southern hemisphere: January is daylight time (+11 h), July standard (+10 h).
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(jan, sydney), jan + 11 * hour, 1e-9);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(july, sydney), july + 10 * hour, 1e-9);
  // No daylight saving: the bias alone.
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(july, tokyo), july + 9 * hour, 1e-9);
  EXPECT_NEAR(mapi::UtcToLocalByZoneRules(jan, tokyo), jan + 9 * hour, 1e-9);
}

// Sets TZ for the life of the object.
class ScopedTz {
 public:
  explicit ScopedTz(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTz() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(UtcToLocalByZoneRules, AgreesWithTheCLibraryForEveryHourOf2024And2025) {
  for (const char* tz : {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Asia/Tokyo"}) {
    SCOPED_TRACE(tz);
    ScopedTz scoped(tz);
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    const std::time_t start = 1704067200;  // 2024-01-01 00:00 UTC
    const std::time_t stop = 1767225600;   // 2026-01-01 00:00 UTC
    int mismatches = 0;
    for (std::time_t t = start; t < stop; t += 3600) {
      std::tm utc{}, local{};
      gmtime_r(&t, &utc);
      localtime_r(&t, &local);
      const TDateTime u = mapi::EncodeDateTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                                               utc.tm_hour, utc.tm_min, utc.tm_sec, 0);
      const TDateTime want =
          mapi::EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                               local.tm_min, local.tm_sec, 0);
      const TDateTime got = mapi::UtcToLocalByZoneRules(u, zone);
      if (std::abs(got - want) > kMs / 2 && ++mismatches <= 5)
        ADD_FAILURE() << "UTC " << std::asctime(&utc) << " gave " << got << ", want " << want;
    }
    EXPECT_EQ(mismatches, 0);
  }
}

FILETIME FileTimeOf(std::uint64_t v) {
  return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

// 100-ns intervals from 1601 to 1970.
constexpr std::uint64_t kUnixEpochFileTime = 116444736000000000ULL;

TEST(FileTimeToLocal, ZoneRulesUseTheDatesOwnOffsetTheOtherFormTheCurrentOne) {
  ScopedTz scoped("Europe/Berlin");
  // 1 July 2024 10:00:00.250 UTC.
  const std::uint64_t summer = kUnixEpochFileTime + 1719828000ULL * 10000000ULL + 2500000ULL;
  const TDateTime byRules = mapi::FileTimeToLocal(FileTimeOf(summer), true);
  const mapi::DateTimeFields f = mapi::DecodeDateTime(byRules);
  EXPECT_EQ(f.hour, 12);
  EXPECT_EQ(f.millisecond, 250);
  // The other form shifts by the offset in force now.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int offsetHours = static_cast<int>(local.tm_gmtoff / 3600);
  const mapi::DateTimeFields g =
      mapi::DecodeDateTime(mapi::FileTimeToLocal(FileTimeOf(summer), false));
  EXPECT_EQ(g.hour, 10 + offsetHours);
}

TEST(FileTimeToLocal, TimesWithoutACalendarDateThrow) {
  ScopedTz scoped("UTC");
  EXPECT_THROW(mapi::FileTimeToLocal(FileTimeOf(0x8000000000000000ULL), true),
               mapi::DateConvertError);
  EXPECT_THROW(mapi::FileTimeToLocal(FileTimeOf(0xFFFFFFFFFFFFFFFFULL), false),
               mapi::DateConvertError);
  // FILETIME 0 is 1 January 1601, a valid date.
  const mapi::DateTimeFields f = mapi::DecodeDateTime(mapi::FileTimeToLocal(FileTimeOf(0), false));
  EXPECT_EQ(f.year, 1601);
  EXPECT_EQ(f.month, 1);
  EXPECT_EQ(f.day, 1);
}

}  // namespace
