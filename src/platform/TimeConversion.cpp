#include "TimeConversion.h"

namespace platform::detail {

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Eras of 400 years make the arithmetic exact for every year.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (m + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = FloorDiv(days, 146097);
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const auto d = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  const auto m = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  return CivilDate{yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

unsigned WeekdayFromDays(std::int64_t days) {
  // 1970-01-01 was a Thursday.
  return static_cast<unsigned>(((days % 7) + 11) % 7);
}

SYSTEMTIME SystemTimeFromUnix(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, 86400);
  const std::int64_t secondOfDay = seconds - days * 86400;
  const CivilDate date = CivilFromDays(days);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(date.year);
  st.wMonth = static_cast<WORD>(date.month);
  st.wDay = static_cast<WORD>(date.day);
  st.wDayOfWeek = static_cast<WORD>(WeekdayFromDays(days));
  st.wHour = static_cast<WORD>(secondOfDay / 3600);
  st.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  st.wSecond = static_cast<WORD>(secondOfDay % 60);
  return st;
}

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  const std::int64_t ticks = kUnixEpochAsFileTime + seconds * kTicksPerSecond + nanoseconds / 100;
  return MakeFileTime(ticks < 0 ? 0 : static_cast<std::uint64_t>(ticks));
}

}  // namespace platform::detail
