// The one seam through which every formatting routine takes the user's
// locale: thousands and decimal separators, short date and long time. By
// default they come from the C library locale (LC_NUMERIC, LC_TIME, set from
// the environment); tests pin them with SetLocaleForTesting.
#pragma once

#include <string>

namespace platform {

struct LocaleSettings {
  std::string thousandsSeparator;  // may be empty: numbers are not grouped
  std::string decimalSeparator;    // "." in the C locale
  std::string shortDateFormat;     // strftime form, for example "%m/%d/%Y"
  std::string longTimeFormat;      // strftime form, for example "%H:%M:%S"
};

const LocaleSettings& CurrentLocale();
void SetLocaleForTesting(const LocaleSettings& settings);
void ResetLocaleForTesting();

}  // namespace platform
