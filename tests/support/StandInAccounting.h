// The MAPI stand-in's accounting, asked through its exported query, so that a
// test can check what a program left behind in the library it loaded.
#pragma once

#include <optional>

#include "MapiSimApi.h"

namespace testsupport {

// What the stand-in loaded as `module` holds now; nullopt when `module` is
// null or does not export the query (it is not the stand-in).
std::optional<TabrixSimAccounting> StandInAccounting(void* module);

}  // namespace testsupport
