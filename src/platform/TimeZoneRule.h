// The machine's time zone as a POSIX TZ rule ("CET-1CEST,M3.5.0,M10.5.0/3"),
// read from the TZ variable or from the footer of a TZif zone file, and its
// translation into the Windows time-zone record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Win32.h"

namespace platform::detail {

// One change of a rule: "Mm.w.d" (the w-th weekday d of month m, 5 = last),
// "Jn" (day 1..365, 29 February never counted) or "n" (day 0..365, counted),
// at a local time in seconds (default 02:00; may be negative or beyond 24
// hours).
struct TransitionRule {
  enum class Kind { MonthWeekDay, JulianNoLeap, ZeroBasedDay };
  Kind kind = Kind::MonthWeekDay;
  int month = 0;
  int week = 0;
  int weekday = 0;
  int day = 0;
  std::int32_t time = 7200;
};

struct ZoneRule {
  std::string standardName;
  std::int32_t standardOffset = 0;  // seconds east of UTC
  bool hasDaylight = false;
  std::string daylightName;
  std::int32_t daylightOffset = 0;  // seconds east of UTC
  TransitionRule start;             // into daylight time, in standard local time
  TransitionRule end;               // back to standard time, in daylight local time
};

std::optional<ZoneRule> ParsePosixTz(std::string_view text);

// The rule at the end of a TZif file; for a file without one, the fixed
// offset of its last local time type. nullopt when it is not a zone file.
std::optional<ZoneRule> ZoneRuleFromTzif(std::string_view bytes);

// The machine's zone: TZ (a zone name, ":name", a path or a POSIX rule; an
// empty TZ is UTC) or /etc/localtime; UTC when nothing can be read.
ZoneRule MachineZoneRule();

// Whether the rule's daylight time is in force at a UTC instant, and the
// offset east of UTC in seconds then.
bool IsDaylightAt(const ZoneRule& rule, std::int64_t unixSeconds);
std::int32_t UtcOffsetAt(const ZoneRule& rule, std::int64_t unixSeconds);

// The Windows record for the rule, with the TIME_ZONE_ID_* result that
// GetTimeZoneInformation gives at the instant `unixSeconds` (which also
// gives the year of rules that only an absolute date can express).
DWORD TimeZoneInformationAt(const ZoneRule& rule, std::int64_t unixSeconds,
                            TIME_ZONE_INFORMATION* info);

}  // namespace platform::detail
