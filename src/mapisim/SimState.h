// Process-wide state of the library: the MAPIInitialize balance, the
// organisation of the machine root (opened through OrgSource.h on first need
// after initialisation and shared by the objects that use it), and the
// profile chooser hook.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MAPIDefs.h"
#include "MapiSimApi.h"
#include "OrgReader.h"

namespace mapisim {

using Db = std::shared_ptr<const orgdb::OrgReader>;

// Counts one initialisation. When MAPI was uninitialised the faults of the
// machine's organisation are read first (a database that cannot be opened
// means no faults) and any database opened before is dropped, so the next
// need opens the current file.
void CountInitialize();
// Balances one initialisation; false when there was none to balance.
bool CountUninitialize();
std::uint32_t InitializeCount();
bool IsInitialized();
// Reads the organisation's faults now (MAPIInitialize does this before it
// checks its own fault).
void LoadFaultsForInitialize();

// The organisation, or null with one sentence in *error saying what is
// wrong with it.
Db Database(std::string* error);

// Frees the state when the library is unloaded.
void ShutdownState();

void SetProfileChooser(TabrixSimProfileChooser chooser, void* context);
// The chooser's answer for these names: an index, or -1 for cancel (also
// when there is no chooser or it answers out of range).
int ChooseProfile(const std::vector<std::string>& names);

}  // namespace mapisim
