// libFuzzer target: zone files and POSIX TZ rules from any bytes, and the
// Windows record made from whatever rule comes out.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "TimeZoneRule.h"

using namespace platform::detail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const auto& rule : {ZoneRuleFromTzif(bytes), ParsePosixTz(bytes)}) {
    if (!rule) continue;
    TIME_ZONE_INFORMATION info{};
    for (std::int64_t t : {-2208988800LL, 0LL, 1768478400LL, 1784116800LL, 32503680000LL}) {
      TimeZoneInformationAt(*rule, t, &info);
      UtcOffsetAt(*rule, t);
    }
  }
  return 0;
}
