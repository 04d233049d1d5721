// The registry hives on disk: <machine root>/registry/<ROOT>.reg.
//
// Several processes share the hives (a program, the MAPI stand-in library
// inside it, the tests, tabrix-org). Reads take the file as it is: writers
// replace it atomically, so a reader sees either the old or the new hive.
// Every write takes an exclusive flock on "<ROOT>.reg.lock", re-reads the
// current file, applies its change and writes a temporary file in the same
// folder, fsyncs it and renames it over the hive, so that neither a
// concurrent writer's change nor a crash can truncate or lose a hive.
//
// Write access follows the hive file: a hive that the process cannot write,
// or whose mode grants write permission to nobody ("chmod a-w", honoured for
// root as well, who would otherwise bypass it), refuses every change with
// ERROR_ACCESS_DENIED, as a missing right does on Windows.
#pragma once

#include <functional>
#include <string>

#include "RegistryHive.h"
#include "WinTypes.h"

namespace platform::detail {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

const char* HiveRootName(Hive hive);
std::string HiveFilePath(Hive hive);

// The hive as it is on disk now; a missing or unreadable hive is empty.
RegKey LoadHive(Hive hive);
// The hive file's last modification time (zero when it does not exist).
FILETIME HiveWriteTime(Hive hive);

// Applies `change` to the current hive under the lock and writes the result
// when `change` returns ERROR_SUCCESS and sets `changed`. Returns the
// change's code, or the write's failure.
using HiveChange = std::function<LONG(RegKey& root, bool& changed)>;
LONG UpdateHive(Hive hive, const HiveChange& change);

// Win32 codes for write failures besides ERROR_ACCESS_DENIED.
constexpr LONG kErrorWriteFault = 29;
constexpr LONG kErrorDiskFull = 112;
constexpr LONG kErrorKeyDeleted = 1018;

// Test seam: called after the temporary file is complete and before it is
// renamed over the hive (a test makes it end a child process there).
void SetBeforeRenameHookForTesting(void (*hook)());

}  // namespace platform::detail
