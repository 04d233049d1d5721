// Calendar arithmetic shared by the time and time-zone functions: the
// proleptic Gregorian calendar, FILETIME (100-nanosecond intervals since
// 1 January 1601 UTC) and Unix time.
#pragma once

#include <cstdint>

#include "Win32.h"
#include "WinTypes.h"

namespace platform::detail {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

constexpr bool IsLeapYear(std::int64_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
unsigned DaysInMonth(std::int64_t year, unsigned month);

// Days since 1970-01-01 for a date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d);
struct CivilDate {
  std::int64_t year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};
CivilDate CivilFromDays(std::int64_t days);
// 0 = Sunday.
unsigned WeekdayFromDays(std::int64_t days);

// Floor division, for times before 1970.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The date, weekday and time of day of a moment in seconds since 1970
// (milliseconds zero).
SYSTEMTIME SystemTimeFromUnix(std::int64_t seconds);

constexpr std::uint64_t FileTimeValue(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
constexpr FILETIME MakeFileTime(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}
FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace platform::detail
