#include "DovecotSetup.h"

#include <filesystem>

#include "ProviderConfig.h"
#include "ServerConfig.h"

namespace tabrixorg {

namespace fs = std::filesystem;

void WriteDovecotConfig(const std::string& root, const DovecotSetup& setup) {
  const fs::path endpoint = fs::absolute(fs::path(setup.dovecotDir) / "endpoint.json");
  const mapidove::ServerConfig server = mapidove::LoadServerConfig(endpoint.string());
  mapidove::ProviderConfig c;
  c.organisation = setup.organisation;
  c.site = setup.site;
  c.server = setup.server;
  c.endpointFile = endpoint.string();
  c.host = server.endpoint.host;
  c.httpPort = server.endpoint.port;
  if (server.imapPort != 0) c.imapPort = server.imapPort;
  auto absolute = [](const std::string& p) { return p.empty() ? p : fs::absolute(p).string(); };
  c.displayNamesFile = absolute(setup.displayNames);
  c.ntAccountsFile = absolute(setup.ntAccounts);
  fs::create_directories(root);
  mapidove::WriteProviderConfig(mapidove::ProviderConfigPath(root), c);
}

}  // namespace tabrixorg
