// The small file that says where a Dovecot's admin interface listens and how
// it is set up (endpoint.json, as scripts/dovecot-server.sh writes it).
#pragma once

#include <cstdint>
#include <string>

#include "DoveadmClient.h"
#include "ImapSession.h"
#include "MailboxReader.h"

namespace mapidove {

struct ServerConfig {
  Endpoint endpoint;
  ServerSettings settings;
  std::uint16_t imapPort = 0;
  std::string masterUser;
  std::string masterPassword;
  std::string masterSeparator = "*";  // "user*master" logs in as user
};

// Reads the file; throws std::runtime_error naming the file and the problem.
ServerConfig LoadServerConfig(const std::string& path);

// How a store is opened on this server: IMAP at the API's host, as the
// master user, within the same timeouts.
ImapLogin ImapLoginOf(const ServerConfig& config);

}  // namespace mapidove
