// One registry hive in memory, and its REGEDIT4 text form. Pure: no files,
// no locking (see HiveStore.h), so that the fuzz target can drive it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "WinTypes.h"

namespace platform::detail {

struct RegValue {
  std::string name;        // "" is the key's default value ("@")
  DWORD type = 0;          // REG_SZ, REG_DWORD, ... or any other number
  std::vector<BYTE> data;  // exactly as stored; REG_SZ includes its terminator
  bool operator==(const RegValue&) const = default;
};

struct RegKey {
  std::string name;              // the case of its creation is kept
  std::vector<RegValue> values;  // in order of creation
  std::vector<RegKey> subkeys;   // sorted without regard to case, as Windows enumerates them

  bool operator==(const RegKey& other) const;

  RegKey* FindSubkey(std::string_view keyName);
  const RegKey* FindSubkey(std::string_view keyName) const;
  // The existing subkey of that name, or a new one in sorted position.
  RegKey& AddSubkey(std::string_view keyName);
  bool RemoveSubkey(std::string_view keyName);

  RegValue* FindValue(std::string_view valueName);
  const RegValue* FindValue(std::string_view valueName) const;
  // Replaces the data of an existing value in place, or appends a new one.
  void SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data);
  bool RemoveValue(std::string_view valueName);
};

// Limits Windows applies to names.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

// "A\B\C" split at backslashes; empty parts (a leading, doubled or trailing
// backslash) are skipped.
std::vector<std::string> SplitKeyPath(std::string_view path);

const RegKey* FindKey(const RegKey& root, const std::vector<std::string>& path);
RegKey* FindKey(RegKey& root, const std::vector<std::string>& path);

// Reads REGEDIT4 text for the hive named rootName ("HKEY_LOCAL_MACHINE").
// Anything that cannot be parsed (a broken line, a section of another hive,
// a value before any section) is left out; the rest still counts. Sections
// "[-...]" and values "=-" delete, as a registry import does.
RegKey ParseHive(std::string_view text, std::string_view rootName);

// Writes the hive as REGEDIT4 text that ParseHive reads back unchanged.
std::string SerialiseHive(const RegKey& root, std::string_view rootName);

}  // namespace platform::detail
