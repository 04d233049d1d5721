// Values as the document server writes them as text.
#include <charconv>
#include <cmath>
#include <ctime>

#include "DocumentModel.h"

namespace automation::server {
namespace {

// Days since 30 December 1899 as a civil date (proleptic Gregorian).
std::tm CivilTime(double days) {
  const double whole = std::floor(days);
  long long seconds = std::llround((days - whole) * 86400.0);
  long long z = static_cast<long long>(whole) - 25569 + 719468;  // from 1970-01-01, shifted
  if (seconds >= 86400) {
    seconds -= 86400;
    ++z;
  }
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  std::tm t{};
  t.tm_year = static_cast<int>(y - 1900);
  t.tm_mon = static_cast<int>(m - 1);
  t.tm_mday = static_cast<int>(d);
  t.tm_hour = static_cast<int>(seconds / 3600);
  t.tm_min = static_cast<int>(seconds / 60 % 60);
  t.tm_sec = static_cast<int>(seconds % 60);
  return t;
}

std::string Format(const std::string& pattern, const std::tm& t) {
  char text[128];
  const std::size_t n = std::strftime(text, sizeof text, pattern.c_str(), &t);
  return std::string(text, n);
}

}  // namespace

std::string ValueText(const Variant& value, const platform::LocaleSettings& locale) {
  if (const auto* x = value.If<bool>()) return *x ? "True" : "False";
  if (const auto* x = value.If<std::int32_t>()) return std::to_string(*x);
  if (const auto* x = value.If<std::int64_t>()) return std::to_string(*x);
  if (const auto* x = value.If<std::string>()) return *x;
  if (const auto* x = value.If<double>()) {
    char text[32];
    std::string out(text, std::to_chars(text, text + sizeof text, *x).ptr);
    if (const auto dot = out.find('.'); dot != std::string::npos)
      out.replace(dot, 1, locale.decimalSeparator);
    return out;
  }
  if (const auto* x = value.If<DateValue>()) {
    const std::tm t = CivilTime(x->days);
    const bool midnight = t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0;
    if (x->days >= 0 && x->days < 1) return Format(locale.longTimeFormat, t);
    if (midnight) return Format(locale.shortDateFormat, t);
    return Format(locale.shortDateFormat, t) + " " + Format(locale.longTimeFormat, t);
  }
  return {};  // empty, null
}

}  // namespace automation::server
