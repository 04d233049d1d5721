#include "ServerConfig.h"

#include <stdexcept>

#include "JsonFile.h"

namespace mapidove {

ServerConfig LoadServerConfig(const std::string& path) {
  const nlohmann::json j = ReadJsonObject(path);
  try {
    ServerConfig c;
    c.endpoint.host = j.value("host", c.endpoint.host);
    c.endpoint.port = j.at("httpPort").get<std::uint16_t>();
    c.endpoint.apiKey = j.value("apiKey", "");
    c.endpoint.user = j.value("user", c.endpoint.user);
    c.endpoint.password = j.value("password", "");
    c.imapPort = j.value("imapPort", std::uint16_t{0});
    c.masterUser = j.value("masterUser", "");
    c.masterPassword = j.value("masterPassword", "");
    c.masterSeparator = j.value("masterSeparator", c.masterSeparator);
    std::string separator = j.value("separator", "/");
    if (separator.size() != 1) throw std::runtime_error("separator must be one character");
    c.settings.separator = separator[0];
    c.settings.quotaWarningPercent = j.value("quotaWarningPercent", 80);
    c.settings.lastLoginDict = j.value("lastLoginDict", "");
    c.settings.lastLoginKeyPrefix = j.value("lastLoginKeyPrefix", c.settings.lastLoginKeyPrefix);
    return c;
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

ImapLogin ImapLoginOf(const ServerConfig& c) {
  return {c.endpoint.host, c.imapPort, c.masterUser, c.masterPassword, c.endpoint.timeouts};
}

}  // namespace mapidove
