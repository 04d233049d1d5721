// libFuzzer target: the INI reader must take any bytes, and what it reads
// must be self-consistent (every section and key is found by its own name,
// first occurrence only).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ProfileParser.h"

using platform::detail::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniFile file = IniFile::Parse(text);
  for (const auto& section : file.Sections()) {
    if (file.FindSection(section.name) != &section) std::abort();
    for (const auto& entry : section.entries) {
      if (entry.key.empty()) std::abort();
      const auto value = file.Find(section.name, entry.key);
      if (!value || value->data() != entry.value.data()) std::abort();
    }
  }
  platform::detail::ProfileNumber(text.substr(0, 80));
  return 0;
}
