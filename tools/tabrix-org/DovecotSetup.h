// `tabrix-org setup --provider dovecot`: the machine root's Dovecot
// configuration, written from a server's endpoint.json.
#pragma once

#include <string>

namespace tabrixorg {

struct DovecotSetup {
  std::string dovecotDir;  // holds endpoint.json (scripts/dovecot-server.sh start)
  std::string server = "MAIL01";
  std::string organisation = "Tabrix";
  std::string site = "Dovecot";
  std::string displayNames;  // mapping files, optional
  std::string ntAccounts;
};

// Writes <root>/dovecot.json; throws std::runtime_error naming what is
// missing or cannot be written.
void WriteDovecotConfig(const std::string& root, const DovecotSetup& setup);

}  // namespace tabrixorg
