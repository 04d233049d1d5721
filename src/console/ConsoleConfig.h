// BOXSTATCON.INI: the console program's only configuration.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "ConsoleServerPass.h"

namespace console {

inline constexpr const char* kIniFileName = "BOXSTATCON.INI";

struct ConsoleConfig {
  char textQualifier = '"';
  char rowDelimiter = ',';
  std::string mailbox;              // [Config] Mailbox: the temporary profile's user
  std::string profileServer;        // [Config] ServerName: the temporary profile's server
  core::ConsoleServerEntry server;  // [Server0], with [Config] LookUp NT Account Server
};

// The text without leading and trailing spaces and control characters
// (every byte up to and including the blank).
std::string TrimText(std::string_view text);

// Why a server name cannot name the report file (a path separator, "..", a
// control character), or nullopt when it can.
std::optional<std::string> ReportNameProblem(std::string_view serverName);

struct ConfigResult {
  std::optional<ConsoleConfig> config;  // empty: the run ends after the banner
  bool logSuccess = false;              // [Config] LogSuccess, read before any check
  // Set when the configuration was refused for a reason that the run must
  // report as a failure (an unusable server name).
  std::optional<std::string> refusal;
};

// Reads the file through the private-profile calls (a missing file or key
// gives the defaults) and writes the "Organization: " line. Refuses a
// missing [Organization] Name, a [Server0] Site Name or Server Name that is
// missing or empty after trimming, and a server name that cannot name the
// report file.
ConfigResult ReadConsoleConfig(const std::string& iniPath, std::ostream& out);

}  // namespace console
