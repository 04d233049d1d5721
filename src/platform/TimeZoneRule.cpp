#include "TimeZoneRule.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "FileUtil.h"
#include "TextUtil.h"
#include "TimeConversion.h"

namespace platform::detail {

// --- POSIX TZ strings ---------------------------------------------------------

namespace {

class TzParser {
 public:
  explicit TzParser(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  bool Accept(char c) {
    if (!Peek(c)) return false;
    ++pos_;
    return true;
  }

  // "<+0530>" or three or more letters.
  std::optional<std::string> Name() {
    if (Accept('<')) {
      const std::size_t close = text_.find('>', pos_);
      if (close == std::string_view::npos || close - pos_ < 3) return std::nullopt;
      std::string name(text_.substr(pos_, close - pos_));
      for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-')
          return std::nullopt;
      pos_ = close + 1;
      return name;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    if (pos_ - start < 3) return std::nullopt;
    return std::string(text_.substr(start, pos_ - start));
  }

  // [+|-]hh[:mm[:ss]] in seconds; hours up to maxHours.
  std::optional<std::int32_t> Duration(int maxHours) {
    int sign = 1;
    if (Accept('-'))
      sign = -1;
    else
      Accept('+');
    const auto hours = Number(1, 3);
    if (!hours || *hours > maxHours) return std::nullopt;
    std::int32_t seconds = *hours * 3600;
    if (Accept(':')) {
      const auto minutes = Number(1, 2);
      if (!minutes || *minutes > 59) return std::nullopt;
      seconds += *minutes * 60;
      if (Accept(':')) {
        const auto secs = Number(1, 2);
        if (!secs || *secs > 59) return std::nullopt;
        seconds += *secs;
      }
    }
    return sign * seconds;
  }

  std::optional<TransitionRule> Transition() {
    TransitionRule rule;
    if (Accept('M')) {
      const auto m = Number(1, 2);
      if (!m || *m < 1 || *m > 12 || !Accept('.')) return std::nullopt;
      const auto w = Number(1, 1);
      if (!w || *w < 1 || *w > 5 || !Accept('.')) return std::nullopt;
      const auto d = Number(1, 1);
      if (!d || *d > 6) return std::nullopt;
      rule.kind = TransitionRule::Kind::MonthWeekDay;
      rule.month = *m;
      rule.week = *w;
      rule.weekday = *d;
    } else if (Accept('J')) {
      const auto n = Number(1, 3);
      if (!n || *n < 1 || *n > 365) return std::nullopt;
      rule.kind = TransitionRule::Kind::JulianNoLeap;
      rule.day = *n;
    } else {
      const auto n = Number(1, 3);
      if (!n || *n > 365) return std::nullopt;
      rule.kind = TransitionRule::Kind::ZeroBasedDay;
      rule.day = *n;
    }
    if (Accept('/')) {
      const auto time = Duration(167);
      if (!time) return std::nullopt;
      rule.time = *time;
    }
    return rule;
  }

 private:
  std::optional<int> Number(std::size_t minDigits, std::size_t maxDigits) {
    const std::size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && pos_ - start < maxDigits &&
           std::isdigit(static_cast<unsigned char>(text_[pos_])))
      value = value * 10 + (text_[pos_++] - '0');
    if (pos_ - start < minDigits) return std::nullopt;
    return value;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<ZoneRule> ParsePosixTz(std::string_view text) {
  TzParser p(text);
  ZoneRule rule;
  auto stdName = p.Name();
  if (!stdName) return std::nullopt;
  // POSIX offsets count west of Greenwich; the rule keeps them east.
  const auto stdWest = p.Duration(24);
  if (!stdWest) return std::nullopt;
  rule.standardName = *stdName;
  rule.standardOffset = -*stdWest;
  if (p.AtEnd()) return rule;

  auto dstName = p.Name();
  if (!dstName) return std::nullopt;
  rule.hasDaylight = true;
  rule.daylightName = *dstName;
  rule.daylightOffset = rule.standardOffset + 3600;
  if (!p.AtEnd() && !p.Peek(',')) {
    const auto dstWest = p.Duration(24);
    if (!dstWest) return std::nullopt;
    rule.daylightOffset = -*dstWest;
  }
  if (p.AtEnd()) {
    // No dates: the C library's customary United States rule.
    rule.start = TransitionRule{TransitionRule::Kind::MonthWeekDay, 3, 2, 0, 0, 7200};
    rule.end = TransitionRule{TransitionRule::Kind::MonthWeekDay, 11, 1, 0, 0, 7200};
    return rule;
  }
  if (!p.Accept(',')) return std::nullopt;
  const auto start = p.Transition();
  if (!start || !p.Accept(',')) return std::nullopt;
  const auto end = p.Transition();
  if (!end || !p.AtEnd()) return std::nullopt;
  rule.start = *start;
  rule.end = *end;
  return rule;
}

// --- TZif files -----------------------------------------------------------------

namespace {

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

struct TzifCounts {
  std::uint32_t isut, isstd, leap, time, type, chars;
};

constexpr std::size_t kTzifHeader = 44;

std::optional<TzifCounts> ReadCounts(std::string_view bytes, std::size_t at) {
  if (bytes.size() < at + kTzifHeader || bytes.substr(at, 4) != "TZif") return std::nullopt;
  TzifCounts c{BigEndian32(bytes, at + 20), BigEndian32(bytes, at + 24),
               BigEndian32(bytes, at + 28), BigEndian32(bytes, at + 32),
               BigEndian32(bytes, at + 36), BigEndian32(bytes, at + 40)};
  if (c.type == 0 || c.time > (1u << 20) || c.type > 256 || c.chars > 65536 ||
      c.leap > (1u << 20) || c.isut > 256 || c.isstd > 256)
    return std::nullopt;
  return c;
}

std::size_t BlockSize(const TzifCounts& c, std::size_t timeSize) {
  return c.time * timeSize + c.time + c.type * 6u + c.chars + c.leap * (timeSize + 4) + c.isstd +
         c.isut;
}

// A fixed-offset rule from the last local time type a block uses.
std::optional<ZoneRule> RuleFromBlock(std::string_view bytes, std::size_t at, const TzifCounts& c,
                                      std::size_t timeSize) {
  if (bytes.size() < at + BlockSize(c, timeSize)) return std::nullopt;
  const std::size_t indices = at + c.time * timeSize;
  std::size_t type = 0;
  if (c.time > 0) type = static_cast<unsigned char>(bytes[indices + c.time - 1]);
  if (type >= c.type) return std::nullopt;
  const std::size_t types = indices + c.time;
  const std::size_t chars = types + c.type * 6u;
  const auto offset = static_cast<std::int32_t>(BigEndian32(bytes, types + type * 6));
  // Zone files keep offsets within a day or so; anything else is damage.
  if (offset < -89999 || offset > 93599) return std::nullopt;
  const auto abbrevIndex = static_cast<unsigned char>(bytes[types + type * 6 + 5]);
  ZoneRule rule;
  rule.standardOffset = offset;
  if (abbrevIndex < c.chars) {
    const std::string_view table = bytes.substr(chars, c.chars);
    const std::size_t end = table.find('\0', abbrevIndex);
    rule.standardName = std::string(
        table.substr(abbrevIndex, end == std::string_view::npos ? end : end - abbrevIndex));
  }
  return rule;
}

}  // namespace

std::optional<ZoneRule> ZoneRuleFromTzif(std::string_view bytes) {
  const auto v1 = ReadCounts(bytes, 0);
  if (!v1) return std::nullopt;
  const std::size_t v1End = kTzifHeader + BlockSize(*v1, 4);
  if (bytes.size() < v1End) return std::nullopt;
  if (bytes[4] == '\0') return RuleFromBlock(bytes, kTzifHeader, *v1, 4);

  const auto v2 = ReadCounts(bytes, v1End);
  if (!v2) return RuleFromBlock(bytes, kTzifHeader, *v1, 4);
  const std::size_t v2Data = v1End + kTzifHeader;
  const std::size_t footer = v2Data + BlockSize(*v2, 8);
  if (bytes.size() > footer && bytes[footer] == '\n') {
    const std::size_t close = bytes.find('\n', footer + 1);
    if (close != std::string_view::npos && close > footer + 1) {
      if (auto rule = ParsePosixTz(bytes.substr(footer + 1, close - footer - 1))) return rule;
    }
  }
  return RuleFromBlock(bytes, v2Data, *v2, 8);
}

namespace {

ZoneRule ReadMachineZoneRule(const char* tz) {
  const ZoneRule utc{"UTC", 0, false, "", 0, {}, {}};
  auto fromFile = [](const std::string& path) -> std::optional<ZoneRule> {
    const auto bytes = ReadWholeFile(path, 1u << 20);
    if (!bytes) return std::nullopt;
    return ZoneRuleFromTzif(*bytes);
  };
  if (tz == nullptr) return fromFile("/etc/localtime").value_or(utc);
  std::string_view name(tz);
  const bool colon = !name.empty() && name.front() == ':';
  if (colon) name.remove_prefix(1);
  if (name.empty()) return utc;
  std::string path(name);
  if (name.front() != '/') {
    const char* dir = std::getenv("TZDIR");
    path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + path;
  }
  if (auto rule = fromFile(path)) return *rule;
  if (!colon)
    if (auto rule = ParsePosixTz(name)) return *rule;
  return utc;
}

}  // namespace

ZoneRule MachineZoneRule() {
  // Every local-time conversion asks for the rule, a report of many mailboxes
  // hundreds of thousands of times: keep the last one read for the same TZ
  // and TZDIR, and look at the zone files again at most once a second so
  // that a changed machine zone is still noticed.
  struct Cache {
    std::mutex mutex;
    bool valid = false;
    std::string key;
    std::chrono::steady_clock::time_point readAt;
    ZoneRule rule;
  };
  static Cache cache;
  const char* tz = std::getenv("TZ");
  const char* dir = std::getenv("TZDIR");
  std::string key = tz ? std::string("1") + tz : std::string("0");
  key += '\0';
  if (dir) key += dir;
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (!cache.valid || cache.key != key || now - cache.readAt >= std::chrono::seconds(1)) {
    cache.rule = ReadMachineZoneRule(tz);
    cache.key = std::move(key);
    cache.readAt = now;
    cache.valid = true;
  }
  return cache.rule;
}

// --- evaluation -----------------------------------------------------------------

namespace {

// The transition's local date and time in `year`, as seconds since 1970 of
// that local clock.
std::int64_t LocalTransition(const TransitionRule& r, std::int64_t year) {
  std::int64_t day = 0;
  switch (r.kind) {
    case TransitionRule::Kind::MonthWeekDay: {
      const std::int64_t first = DaysFromCivil(year, static_cast<unsigned>(r.month), 1);
      std::int64_t d =
          first + (r.weekday - static_cast<int>(WeekdayFromDays(first)) + 7) % 7 + 7 * (r.week - 1);
      if (d - first >= DaysInMonth(year, static_cast<unsigned>(r.month)))
        d -= 7;  // week 5: the last one
      day = d;
      break;
    }
    case TransitionRule::Kind::JulianNoLeap:
      day = DaysFromCivil(year, 1, 1) + r.day - 1 + (IsLeapYear(year) && r.day >= 60 ? 1 : 0);
      break;
    case TransitionRule::Kind::ZeroBasedDay:
      day = DaysFromCivil(year, 1, 1) + r.day;
      break;
  }
  return day * 86400 + r.time;
}

std::int64_t LocalYear(std::int64_t unixSeconds, std::int32_t offset) {
  return CivilFromDays(FloorDiv(unixSeconds + offset, 86400)).year;
}

void PutName(WCHAR* target, const std::string& name) {
  std::size_t i = 0;
  for (; i < name.size() && i < 31; ++i)
    target[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
  target[i] = 0;
}

// The recurring form when it can say it; otherwise the absolute local date
// and time in `year`.
SYSTEMTIME WindowsDate(const TransitionRule& r, std::int64_t year) {
  SYSTEMTIME st{};
  if (r.kind == TransitionRule::Kind::MonthWeekDay && r.time >= 0 && r.time < 86400) {
    st.wMonth = static_cast<WORD>(r.month);
    st.wDayOfWeek = static_cast<WORD>(r.weekday);
    st.wDay = static_cast<WORD>(r.week);
    st.wHour = static_cast<WORD>(r.time / 3600);
    st.wMinute = static_cast<WORD>(r.time / 60 % 60);
    st.wSecond = static_cast<WORD>(r.time % 60);
    return st;
  }
  return SystemTimeFromUnix(LocalTransition(r, year));
}

}  // namespace

bool IsDaylightAt(const ZoneRule& rule, std::int64_t unixSeconds) {
  if (!rule.hasDaylight) return false;
  const std::int64_t year = LocalYear(unixSeconds, rule.standardOffset);
  const std::int64_t start = LocalTransition(rule.start, year) - rule.standardOffset;
  const std::int64_t end = LocalTransition(rule.end, year) - rule.daylightOffset;
  if (start < end) return start <= unixSeconds && unixSeconds < end;
  return !(end <= unixSeconds && unixSeconds < start);  // southern hemisphere
}

std::int32_t UtcOffsetAt(const ZoneRule& rule, std::int64_t unixSeconds) {
  return IsDaylightAt(rule, unixSeconds) ? rule.daylightOffset : rule.standardOffset;
}

DWORD TimeZoneInformationAt(const ZoneRule& rule, std::int64_t unixSeconds,
                            TIME_ZONE_INFORMATION* info) {
  *info = TIME_ZONE_INFORMATION{};
  if (!rule.hasDaylight) {
    info->Bias = -rule.standardOffset / 60;
    PutName(info->StandardName, rule.standardName);
    return TIME_ZONE_ID_UNKNOWN;
  }
  // Windows calls the winter time standard. A rule with negative daylight
  // saving (Europe/Dublin: summer time is the standard one) swaps the roles.
  const bool swapped = rule.daylightOffset < rule.standardOffset;
  const std::int32_t winterOffset = swapped ? rule.daylightOffset : rule.standardOffset;
  const std::int32_t summerOffset = swapped ? rule.standardOffset : rule.daylightOffset;
  const std::int64_t year = LocalYear(unixSeconds, winterOffset);
  info->Bias = -winterOffset / 60;
  info->StandardBias = 0;
  info->DaylightBias = -(summerOffset - winterOffset) / 60;
  PutName(info->StandardName, swapped ? rule.daylightName : rule.standardName);
  PutName(info->DaylightName, swapped ? rule.standardName : rule.daylightName);
  info->DaylightDate = WindowsDate(swapped ? rule.end : rule.start, year);
  info->StandardDate = WindowsDate(swapped ? rule.start : rule.end, year);
  return IsDaylightAt(rule, unixSeconds) != swapped ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

}  // namespace platform::detail
