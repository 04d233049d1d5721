// How the default locale settings are derived, apart from the cache in
// Locale.cpp so that tests can check the derivation itself.
#pragma once

#include <string>

#include "LocaleSettings.h"

namespace platform::detail {

// From the C library's environment locale (LC_NUMERIC, LC_TIME); the C
// locale's values when the environment names no usable locale.
LocaleSettings LocaleFromEnvironment();
// The same for a named locale ("C", "de_DE.UTF-8"); nullopt-like empty
// formats are never returned: a locale that cannot be made gives the C one.
LocaleSettings LocaleFromName(const char* name);

// A statistics report must not write ambiguous years: "%y" becomes "%Y",
// and "%D" (month/day/two-digit year) becomes "%m/%d/%Y".
std::string WidenYear(const std::string& dateFormat);

}  // namespace platform::detail
