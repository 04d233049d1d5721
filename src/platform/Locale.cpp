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
  if (loc == static_cast<locale_t>(0))
    loc = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  LocaleSettings settings{"", ".", "%m/%d/%Y", "%H:%M:%S"};
  if (loc == static_cast<locale_t>(0)) return settings;
  std::string thousands = ::nl_langinfo_l(THOUSEP, loc);
  std::string decimal = ::nl_langinfo_l(RADIXCHAR, loc);
  std::string date = WidenYear(::nl_langinfo_l(D_FMT, loc));
  std::string time = ::nl_langinfo_l(T_FMT, loc);
  ::freelocale(loc);
  // Built by construction rather than assignment from literals: g++ 12 at -O2
  // warns (-Wrestrict) about the assignment form, wrongly.
  return LocaleSettings{std::move(thousands),
                        decimal.empty() ? settings.decimalSeparator : std::move(decimal),
                        date.empty() ? settings.shortDateFormat : std::move(date),
                        time.empty() ? settings.longTimeFormat : std::move(time)};
}

LocaleSettings LocaleFromEnvironment() {
  return LocaleFromName("");
}

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
