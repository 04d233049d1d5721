// The two searches for the MAPI library (internal to the binding).
#pragma once

#include <string>

#include "ExtendedMAPI.h"

namespace mapi::binding {

// The GUI's search: the Office component path of the MAPI component, asked
// through FGetComponentPath with the Outlook language qualifiers, else the
// system directory's MAPI32.DLL. `*path` receives the path loaded (at most
// 260 characters). Returns the loaded module or null.
void* SearchByComponentPath(std::string* path);

// The console's search: the "Windows Messaging Subsystem" switch (or, on NT
// 3.51 and older, the MAPIX entry of the Windows profile). Returns the
// loaded module or null.
void* SearchByMessagingSwitch();

}  // namespace mapi::binding
