// Date-time values and the conversions of MAPI times (FILETIME, UTC) into
// local date-times.
//
// A date-time is a double counting days since 30 December 1899 00:00, the
// fraction being the time of day (one minute is 1/1440). For days before
// that origin the integer part is the (negative) day and the fraction's
// magnitude is still the time of day: -1.25 is 29 December 1899 06:00.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "MAPIDefs.h"
#include "Win32.h"

namespace mapi {

using TDateTime = double;
// Either empty or a date-time.
using OptionalDateTime = std::optional<TDateTime>;

// Raised when a time cannot be turned into a calendar date.
struct DateConvertError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Calendar fields of a date-time (hours 0-23, milliseconds 0-999).
struct DateTimeFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);            // 0 for a month outside 1..12
bool IsValidDate(int year, int month, int day);  // years 1..9999

// Throw DateConvertError for fields out of range.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// Date plus time of day, following the sign convention above.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);
// Rounds to the nearest millisecond. Throws DateConvertError for values
// outside years 1..9999 or not finite.
DateTimeFields DecodeDateTime(TDateTime value);

// A SYSTEMTIME's calendar fields as a date-time; throws DateConvertError when
// they are no valid date or time.
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);

// The moment a time-zone rule (StandardDate or DaylightDate of the zone
// information) falls on in the given year. Month 0 gives 0; a rule with a
// year is an absolute date; a rule without one is "week n (5 = last) of the
// weekday" in its month. Never throws: fields that make no date give the
// date part 0.
TDateTime ZoneTransitionDate(const SYSTEMTIME& rule, int year);

// A UTC date-time converted to local time by the zone's daylight-saving
// rules for the date's own year.
TDateTime UtcToLocalByZoneRules(TDateTime utc, const TIME_ZONE_INFORMATION& zone);
// The same with the machine's current zone (GetTimeZoneInformation).
TDateTime UtcToLocalByZoneRules(TDateTime utc);

// A FILETIME (UTC) as a local date-time. By zone rules: the offset in force
// at that date; otherwise the offset in force now, whatever the date.
// Throws DateConvertError when the FILETIME gives no valid calendar date.
TDateTime FileTimeToLocal(const FILETIME& ft, bool byZoneRules);

}  // namespace mapi
