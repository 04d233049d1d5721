// The Global Address List as the address book answers from it: every entry
// held in a compact form for as long as the organisation database stays at
// the version it was read at, so that an address lookup or an entry opened
// per mailbox costs no read transaction of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "SimState.h"

namespace mapisim {

// Entries whose address equals `address` without regard to (ASCII) case, by
// id. Throws orgdb::OrgDbError when the list cannot be read.
std::vector<orgdb::GalEntry> CachedGalEntriesByAddress(const Db& db, std::string_view address);

// The entry with this id, if any. Throws as above.
std::optional<orgdb::GalEntry> CachedGalEntryById(const Db& db, std::int64_t id);

// Drops the cache when the library is unloaded.
void ShutdownGalCache();

}  // namespace mapisim
