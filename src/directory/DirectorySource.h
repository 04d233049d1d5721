// Where the directory and account stand-ins read the organisation of a
// machine root from. The programs link these stand-ins, so the choice is
// made here, by what the machine root holds.
#pragma once

#include <memory>
#include <string>

#include "OrgReader.h"

namespace directory {

// The file the organisation of the machine root is read from.
std::string OrganisationSource(const std::string& machineRoot);

// Opens what OrganisationSource named, or gives null with one sentence in
// *error saying what is wrong with it.
std::unique_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& source,
                                                         std::string* error);

}  // namespace directory
