// libFuzzer target: the REGEDIT4 reader must take any bytes, and writing
// what it read must give text that reads back to the same hive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "RegistryHive.h"

using platform::detail::ParseHive;
using platform::detail::SerialiseHive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto hive = ParseHive(text, "HKEY_LOCAL_MACHINE");
  const std::string written = SerialiseHive(hive, "HKEY_LOCAL_MACHINE");
  const auto again = ParseHive(written, "HKEY_LOCAL_MACHINE");
  if (!(again == hive)) std::abort();
  if (SerialiseHive(again, "HKEY_LOCAL_MACHINE") != written) std::abort();
  return 0;
}
