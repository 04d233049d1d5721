#include "DirectorySource.h"

#include <unistd.h>

#include <filesystem>

#include "ConfigOrgReader.h"
#include "OrgDb.h"

namespace directory {

// A machine root with a Dovecot configuration reports that server: the
// directory knows its names and its one server from the configuration.
std::string OrganisationSource(const std::string& machineRoot) {
  std::string dovecot = mapidove::ProviderConfigPath(machineRoot);
  if (::access(dovecot.c_str(), F_OK) == 0) return dovecot;
  return orgdb::DatabasePath(machineRoot);
}

std::unique_ptr<const orgdb::OrgReader> OpenOrganisation(const std::string& source,
                                                         std::string* error) {
  if (std::filesystem::path(source).filename() != mapidove::kProviderConfigFileName)
    return orgdb::OrgDb::Open(source, error);
  try {
    return std::make_unique<const mapidove::ConfigOrgReader>(mapidove::LoadProviderConfig(source));
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
}

}  // namespace directory
