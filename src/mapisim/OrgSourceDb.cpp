// The simulated library serves the organisation database of the machine root.
#include "OrgDb.h"
#include "OrgSource.h"

namespace mapisim {

std::shared_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& machineRoot,
                                                         std::string* error) {
  return orgdb::OrgDb::Open(orgdb::DatabasePath(machineRoot), error);
}

std::string OrganisationSource(const std::string& machineRoot) {
  return orgdb::DatabasePath(machineRoot);
}

}  // namespace mapisim
