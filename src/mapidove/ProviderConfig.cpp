#include "ProviderConfig.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "JsonFile.h"

namespace mapidove {
namespace {

namespace fs = std::filesystem;

// A path of the configuration, taken from the configuration's folder.
std::string Beside(const std::string& configPath, const std::string& path) {
  if (path.empty() || fs::path(path).is_absolute()) return path;
  return (fs::path(configPath).parent_path() / path).string();
}

}  // namespace

std::string ProviderConfigPath(const std::string& machineRoot) {
  return (fs::path(machineRoot) / kProviderConfigFileName).string();
}

ProviderConfig LoadProviderConfig(const std::string& path) {
  const nlohmann::json j = ReadJsonObject(path);
  try {
    ProviderConfig c;
    c.organisation = j.value("organisation", c.organisation);
    c.site = j.value("site", c.site);
    c.server = j.value("server", c.server);
    c.endpointFile = Beside(path, j.at("endpoint").get<std::string>());
    if (j.contains("host")) c.host = j["host"].get<std::string>();
    if (j.contains("httpPort")) c.httpPort = j["httpPort"].get<std::uint16_t>();
    if (j.contains("imapPort")) c.imapPort = j["imapPort"].get<std::uint16_t>();
    c.displayNamesFile = Beside(path, j.value("displayNames", ""));
    c.ntAccountsFile = Beside(path, j.value("ntAccounts", ""));
    if (c.organisation.empty() || c.site.empty() || c.server.empty())
      throw std::runtime_error("organisation, site and server must not be empty");
    return c;
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

void WriteProviderConfig(const std::string& path, const ProviderConfig& c) {
  nlohmann::json j = {{"organisation", c.organisation},
                      {"site", c.site},
                      {"server", c.server},
                      {"endpoint", c.endpointFile}};
  if (c.host) j["host"] = *c.host;
  if (c.httpPort) j["httpPort"] = *c.httpPort;
  if (c.imapPort) j["imapPort"] = *c.imapPort;
  if (!c.displayNamesFile.empty()) j["displayNames"] = c.displayNamesFile;
  if (!c.ntAccountsFile.empty()) j["ntAccounts"] = c.ntAccountsFile;
  std::ofstream out(path, std::ios::trunc);
  out << j.dump(2) << '\n';
  if (!out.flush()) throw std::runtime_error("Cannot write " + path);
}

std::map<std::string, std::string> LoadNameMap(const std::string& path) {
  std::map<std::string, std::string> names;
  if (path.empty()) return names;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Cannot read " + path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    names.emplace(line.substr(0, tab), line.substr(tab + 1));
  }
  return names;
}

}  // namespace mapidove
