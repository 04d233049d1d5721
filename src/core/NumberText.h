// Number texts of the mailbox statistics: kilobytes and counts, grouped by
// the user's thousands separator (GUI), and the console's plain kilobytes.
#pragma once

#include <cstdint>
#include <string>

#include "LocaleSettings.h"

namespace core {

// `value` rounded half away from zero to `decimals` places (as its shortest
// decimal form reads), integer digits grouped by three with the locale's
// thousands separator (none when it is empty), the locale's decimal
// separator before the decimals.
std::string FormatGrouped(double value, int decimals, const platform::LocaleSettings& locale);

// The GUI's kilobyte form: bytes / 1024 with one decimal, grouped
// (1536 gives 1.5; 1,288,490,189 gives 1,258,291.2 with a comma separator).
std::string KilobytesText(double bytes);
// The GUI's grouped count: no decimals (12345 gives 12,345).
std::string GroupedCountText(double count);

// The console's kilobytes: bytes / 1024 in 64-bit integer arithmetic,
// truncating (1535 gives 1).
constexpr std::int64_t KilobytesConsole(std::int64_t bytes) {
  return bytes / 1024;
}
std::string KilobytesConsoleText(std::int64_t bytes);

}  // namespace core
