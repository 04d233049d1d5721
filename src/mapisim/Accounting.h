// What the process holds right now: live interface objects, open sessions,
// outstanding MAPI buffers, unbalanced MAPIInitialize calls, and the MAPI
// profiles of the machine.
#pragma once

#include <cstdint>
#include <string>

#include "MapiSimApi.h"

namespace mapisim {

void CountObjectCreated();
void CountObjectDestroyed();
void CountSessionOpened();
void CountSessionClosed();

TabrixSimAccounting CurrentAccounting();

// Every exported function calls this first. On the first call it creates
// the object whose destruction, when the library is unloaded (FreeLibrary
// or process exit), appends the accounting line and frees the library's
// state. Made at the first call, it is destroyed before the library's
// load-time globals (the platform's registry tables among them), which the
// line still needs. A process that loads the library and never calls it
// holds nothing and writes no line.
void EnsureUnloadHook();

}  // namespace mapisim
