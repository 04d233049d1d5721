// The machine root's Dovecot configuration (<root>/dovecot.json): which
// server the Dovecot provider reports and what it is called in the
// organisation's names. A JSON object:
//
//   "organisation": "Tabrix"        /o= of every legacy DN
//   "site": "Dovecot"               /ou=, the administrative group
//   "server": "MAIL01"              the server's name (/cn= of its DN)
//   "endpoint": "/path/endpoint.json"  credentials and settings of the admin
//                                   API, as scripts/dovecot-server.sh writes them
//   "host", "httpPort", "imapPort"  where the server listens (override the
//                                   endpoint file's values when given)
//   "displayNames": "/path/file"    optional: lines "user<TAB>Display Name";
//                                   Dovecot's API gives no display names
//   "ntAccounts": "/path/file"      optional: lines "user<TAB>DOMAIN\name"
//
// Paths are absolute or relative to the folder of dovecot.json.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace mapidove {

inline constexpr const char* kProviderConfigFileName = "dovecot.json";

struct ProviderConfig {
  std::string organisation = "Tabrix";
  std::string site = "Dovecot";
  std::string server = "MAIL01";
  std::string endpointFile;
  std::optional<std::string> host;
  std::optional<std::uint16_t> httpPort;
  std::optional<std::uint16_t> imapPort;
  std::string displayNamesFile;
  std::string ntAccountsFile;
};

// <root>/dovecot.json.
std::string ProviderConfigPath(const std::string& machineRoot);

// Reads the file; throws std::runtime_error naming the file and the problem.
ProviderConfig LoadProviderConfig(const std::string& path);
void WriteProviderConfig(const std::string& path, const ProviderConfig& config);

// A mapping file: "user<TAB>text" lines, the user compared as written. A
// missing name means an empty map; a file that cannot be read throws.
std::map<std::string, std::string> LoadNameMap(const std::string& path);

}  // namespace mapidove
