#include "StandInAccounting.h"

#include "Win32.h"

namespace testsupport {

std::optional<TabrixSimAccounting> StandInAccounting(void* module) {
  if (!module) return std::nullopt;
  auto query = reinterpret_cast<LPTABRIXSIMQUERYACCOUNTING>(
      GetProcAddress(module, "TabrixSimQueryAccounting"));
  if (!query) return std::nullopt;
  TabrixSimAccounting counts{};
  query(&counts);
  return counts;
}

}  // namespace testsupport
