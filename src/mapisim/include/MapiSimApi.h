// Public interface of the MAPI stand-in beyond the MAPI functions themselves:
// the accounting query that tests use to prove that a run released what it
// acquired, and the hook that plays MAPI's profile-chooser dialog.
// Callers reach these through the loader (GetProcAddress on the loaded
// mapi32 module) exactly like the MAPI functions.
#pragma once

#include <cstdint>

extern "C" {

// Counts of what the calling process holds right now.
struct TabrixSimAccounting {
  std::uint32_t liveObjects;         // interface objects not yet released
  std::uint32_t outstandingBuffers;  // MAPIAllocateBuffer blocks not yet freed
  std::uint32_t openSessions;        // sessions not yet released
  std::uint32_t initializeCount;     // MAPIInitialize calls not yet balanced
  std::uint32_t profiles;            // MAPI profiles that exist on the machine
};

// Exported as "TabrixSimQueryAccounting".
using LPTABRIXSIMQUERYACCOUNTING = void (*)(TabrixSimAccounting* counts);

// The profile chooser that MAPI_LOGON_UI asks. It gets the profile names and
// returns the index of the chosen one, or -1 for Cancel. Without a chooser a
// logon that must ask behaves as a cancelled dialog (MAPI_E_USER_CANCEL).
using TabrixSimProfileChooser = int (*)(const char* const* names, int count, void* context);

// Exported as "TabrixSimSetProfileChooser".
using LPTABRIXSIMSETPROFILECHOOSER = void (*)(TabrixSimProfileChooser chooser, void* context);
}

// When the library is unloaded at process exit it appends one JSON line with
// these counts, the process identifier and the program's name to
// <machine root>/mapisim/accounting.jsonl, so that tests of whole programs
// can check the balance after the process has ended:
// {"pid":123,"program":"boxstatcon","liveObjects":0,"outstandingBuffers":0,
//  "openSessions":0,"initializeCount":0,"profiles":1}
