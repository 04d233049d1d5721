// Internal to the machine set-up: the default MAPI profile, made through the
// MAPI library of the machine root's system directory.
#pragma once

#include <string>

namespace orgdb {

// Creates (replacing one of that name) the profile `name` with an Exchange
// service configured for `mailbox` on `server`, and makes it the default.
// The machine root must be the current one. Returns false with a sentence in
// *error; a failed attempt leaves no profile behind.
bool CreateDefaultProfile(const std::string& name, const std::string& mailbox,
                          const std::string& server, std::string* error);

}  // namespace orgdb
