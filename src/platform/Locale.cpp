// The locale seam: separators and date and time formats from the C library
// locale, computed once and replaceable in tests.
#include <langinfo.h>
#include <locale.h>

#include <mutex>
#include <optional>

#include "LocaleDefaults.h"
#include "LocaleSettings.h"

namespace {

std::mutex g_mutex;
std::optional<platform::LocaleSettings> g_current;

}  // namespace

namespace platform::detail {

std::string WidenYear(const std::string& dateFormat) {
  std::string out;
  for (std::size_t i = 0; i < dateFormat.size(); ++i) {
    const char c = dateFormat[i];
    if (c != '%' || i + 1 >= dateFormat.size()) {
      out.push_back(c);
      continue;
    }
    const char next = dateFormat[++i];
    if (next == 'y')
      out += "%Y";
    else if (next == 'D')
      out += "%m/%d/%Y";
    else {
      out.push_back('%');
      out.push_back(next);  // "%%" stays one literal percent sign
    }
  }
  return out;
}

LocaleSettings LocaleFromName(const char* name) {
  locale_t loc = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  LocaleSettings settings{"", ".", "%m/%d/%Y", "%H:%M:%S"};
  if (loc == static_cast<locale_t>(0)) return settings;
  settings.thousandsSeparator = ::nl_langinfo_l(THOUSEP, loc);
  settings.decimalSeparator = ::nl_langinfo_l(RADIXCHAR, loc);
  settings.shortDateFormat = WidenYear(::nl_langinfo_l(D_FMT, loc));
  settings.longTimeFormat = ::nl_langinfo_l(T_FMT, loc);
  ::freelocale(loc);
  if (settings.decimalSeparator.empty()) settings.decimalSeparator = ".";
  if (settings.shortDateFormat.empty()) settings.shortDateFormat = "%m/%d/%Y";
  if (settings.longTimeFormat.empty()) settings.longTimeFormat = "%H:%M:%S";
  return settings;
}

LocaleSettings LocaleFromEnvironment() { return LocaleFromName(""); }

}  // namespace platform::detail

namespace platform {

const LocaleSettings& CurrentLocale() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_current) g_current = detail::LocaleFromEnvironment();
  return *g_current;
}

void SetLocaleForTesting(const LocaleSettings& settings) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_current = settings;
}

void ResetLocaleForTesting() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_current.reset();
}

}  // namespace platform
