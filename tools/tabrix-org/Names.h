// Name material for the generator: people, folder names, aliases.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace tabrixorg {

struct PersonName {
  std::string first;
  std::string last;
};

PersonName PickPerson(std::uint64_t bits);
// Some display names are "Last, First", most "First Last".
std::string DisplayName(const PersonName& person, std::uint64_t bits);
// First initial and last name in lower case, letters only, made unique by a
// number when taken.
// `taken` counts the uses of each letters-only base.
std::string MakeAlias(const PersonName& person, std::unordered_map<std::string, int>* taken);
// A user folder name for nesting level `depth` (1 below Inbox).
std::string UserFolderName(std::uint64_t bits, int depth);

}  // namespace tabrixorg
