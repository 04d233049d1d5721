#include "DateTimeText.h"

#include <ctime>
#include <vector>

namespace core {

namespace {

std::string FormatTm(const std::string& format, const std::tm& tm) {
  if (format.empty()) return {};
  // strftime gives 0 both for "too small" and for an empty result; grow a
  // few times and then accept an empty text.
  std::vector<char> buf(64 + format.size() * 8);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const std::size_t n = std::strftime(buf.data(), buf.size(), format.c_str(), &tm);
    if (n > 0) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
  return {};
}

}  // namespace

std::string DateTimeText(mapi::TDateTime value, const platform::LocaleSettings& locale) {
  const mapi::DateTimeFields f = mapi::DecodeDateTime(value);
  std::tm tm{};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.minute;
  tm.tm_sec = f.second;
  tm.tm_wday = f.dayOfWeek;
  tm.tm_yday =
      static_cast<int>(mapi::EncodeDate(f.year, f.month, f.day) - mapi::EncodeDate(f.year, 1, 1));
  tm.tm_isdst = -1;
  std::string text = FormatTm(locale.shortDateFormat, tm);
  if (f.hour != 0 || f.minute != 0 || f.second != 0 || f.millisecond != 0) {
    text.push_back(' ');
    text += FormatTm(locale.longTimeFormat, tm);
  }
  return text;
}

std::string DateTimeText(mapi::TDateTime value) {
  return DateTimeText(value, platform::CurrentLocale());
}

std::string DateTimeText(const mapi::OptionalDateTime& value) {
  return value ? DateTimeText(*value) : std::string();
}

}  // namespace core
