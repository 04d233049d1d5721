#include "DirectorySource.h"

#include "OrgDb.h"

namespace directory {

std::string OrganisationSource(const std::string& machineRoot) {
  return orgdb::DatabasePath(machineRoot);
}

std::unique_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& source,
                                                         std::string* error) {
  return orgdb::OrgDb::Open(source, error);
}

}  // namespace directory
