// The Dovecot library serves the server named by the machine root's Dovecot
// configuration.
#include "DoveOrgReader.h"
#include "OrgSource.h"

namespace mapisim {

std::shared_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& machineRoot,
                                                         std::string* error) {
  try {
    return std::make_shared<const mapidove::DoveOrgReader>(
        mapidove::ProviderConfigPath(machineRoot));
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
}

std::string OrganisationSource(const std::string& machineRoot) {
  return mapidove::ProviderConfigPath(machineRoot);
}

}  // namespace mapisim
