#include "MAPIDateUtils.h"

#include <cmath>
#include <cstdint>

namespace mapi {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 1 January 1970 back to the date-time origin, 30 December 1899.
constexpr std::int64_t kOriginToUnixEpoch = 25'569;
// Half of the smallest step the zone rule compares in: 0.1 ms.
constexpr double kZoneEpsilon = 1.0 / 864'000'000.0;

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

// Weekday of a date serial, 0 = Sunday (the origin was a Saturday).
int DayOfWeek(std::int64_t serial) {
  const std::int64_t w = (serial + 6) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

std::int64_t DateSerial(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
         kOriginToUnixEpoch;
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) throw DateConvertError("Invalid calendar date");
  return static_cast<double>(DateSerial(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    throw DateConvertError("Invalid time of day");
  const std::int64_t ms = ((hour * 60LL + minute) * 60LL + second) * 1000LL + millisecond;
  return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, minute, second, millisecond);
  return date < 0 ? date - time : date + time;
}

DateTimeFields DecodeDateTime(TDateTime value) {
  if (!std::isfinite(value)) throw DateConvertError("Invalid date-time value");
  // Bounds of years 1 and 9999, with a day of slack for the rounding below.
  if (value < -693594.0 - 1.0 || value > 2958466.0 + 1.0)
    throw DateConvertError("Date-time value out of range");
  std::int64_t date = static_cast<std::int64_t>(std::trunc(value));
  double fraction = std::fabs(value - static_cast<double>(date));
  if (value >= 0) {
    date = static_cast<std::int64_t>(std::floor(value));
    fraction = value - static_cast<double>(date);
  }
  std::int64_t ms = std::llround(fraction * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    date += value < 0 ? -1 : 1;
  }
  DateTimeFields f;
  CivilFromDays(date - kOriginToUnixEpoch, &f.year, &f.month, &f.day);
  if (f.year < 1 || f.year > 9999) throw DateConvertError("Date-time value out of range");
  f.millisecond = static_cast<int>(ms % 1000);
  f.second = static_cast<int>(ms / 1000 % 60);
  f.minute = static_cast<int>(ms / 60000 % 60);
  f.hour = static_cast<int>(ms / 3600000);
  f.dayOfWeek = DayOfWeek(date);
  return f;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

TDateTime ZoneTransitionDate(const SYSTEMTIME& rule, int year) {
  if (rule.wMonth == 0) return 0;
  TDateTime time = 0;
  try {
    time = EncodeTime(rule.wHour, rule.wMinute, rule.wSecond, rule.wMilliseconds);
  } catch (const DateConvertError&) {
    time = 0;
  }
  if (rule.wYear != 0) {
    if (!IsValidDate(rule.wYear, rule.wMonth, rule.wDay)) return time;
    return EncodeDate(rule.wYear, rule.wMonth, rule.wDay) + time;
  }
  const int month = rule.wMonth;
  if (month > 12 || year < 1 || year > 9999) return time;
  const int weekday = rule.wDayOfWeek % 7 + 1;  // 1 = Sunday ... 7 = Saturday
  const int week = rule.wDay;
  int day = 0;
  if (week >= 1 && week <= 4) {
    const int first = DayOfWeek(DateSerial(year, month, 1)) + 1;
    day = (weekday - first + 1) + 7 * (week - 1);
    if (weekday < first) day += 7;
  } else if (week == 5) {
    const int last = DaysInMonth(year, month);
    const int lastWeekday = DayOfWeek(DateSerial(year, month, last)) + 1;
    day = weekday + last - lastWeekday;
    if (weekday > lastWeekday) day -= 7;
  } else {
    return time;
  }
  return static_cast<double>(DateSerial(year, month, day)) + time;
}

TDateTime UtcToLocalByZoneRules(TDateTime utc, const TIME_ZONE_INFORMATION& zone) {
  const double bias = zone.Bias;
  if (zone.StandardDate.wMonth == 0 || zone.DaylightDate.wMonth == 0) return utc - bias / 1440.0;
  const int year = DecodeDateTime(utc).year;
  const TDateTime daylightBegins = ZoneTransitionDate(zone.DaylightDate, year);
  const TDateTime daylightEnds = ZoneTransitionDate(zone.StandardDate, year);
  const double standardOffset = (bias + zone.StandardBias) / 1440.0;
  const double daylightOffset = (bias + zone.DaylightBias) / 1440.0;
  const TDateTime su = daylightBegins + standardOffset;
  const TDateTime eu = daylightEnds + daylightOffset;
  // "Reached" a moment means after it or within 0.1 ms of it, on both ends,
  // so that a time computed to the transition instant is not misplaced by
  // floating-point rounding.
  const auto reached = [](TDateTime t, TDateTime moment) { return t > moment - kZoneEpsilon; };
  bool daylight;
  if (su < eu)
    daylight = reached(utc, su) && !reached(utc, eu);
  else
    daylight = !(reached(utc, eu) && !reached(utc, su));
  return utc - (daylight ? daylightOffset : standardOffset);
}

TDateTime UtcToLocalByZoneRules(TDateTime utc) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  return UtcToLocalByZoneRules(utc, zone);
}

TDateTime FileTimeToLocal(const FILETIME& ft, bool byZoneRules) {
  SYSTEMTIME st{};
  if (byZoneRules) {
    if (!FileTimeToSystemTime(&ft, &st))
      throw DateConvertError("The time stamp gives no valid calendar date");
    return UtcToLocalByZoneRules(SystemTimeToDateTime(st));
  }
  FILETIME local{};
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
    throw DateConvertError("The time stamp gives no valid calendar date");
  return SystemTimeToDateTime(st);
}

}  // namespace mapi
