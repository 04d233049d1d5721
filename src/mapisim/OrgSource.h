// Where the library's organisation comes from. The library build chooses the
// implementation by linking one definition of these functions: the simulated
// library links the organisation database, a provider over a real mail server
// links its own reader. Nothing else in the library knows which it is.
#pragma once

#include <memory>
#include <string>

#include "OrgReader.h"

namespace mapisim {

// The organisation of the machine root, or null with one sentence in *error
// saying what is wrong with it.
std::shared_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& machineRoot,
                                                         std::string* error);

// What the organisation of the machine root is read from (a file's path): an
// organisation opened from another source is opened again.
std::string OrganisationSource(const std::string& machineRoot);

}  // namespace mapisim
