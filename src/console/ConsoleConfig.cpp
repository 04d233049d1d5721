#include "ConsoleConfig.h"

#include <cstdint>
#include <vector>

#include "ConsoleOutput.h"
#include "TextForms.h"
#include "TextUtil.h"
#include "Win32.h"

namespace console {

namespace {

// What a key that is not in the file reads as; no INI line can hold it.
constexpr const char* kMissing = "<missing\nkey>";

std::string ReadString(const std::string& file, const char* section, const char* key,
                       const char* fallback) {
  std::vector<char> buf(512);
  for (;;) {
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, buf.data(),
                                             static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 1 < buf.size() || buf.size() >= (1u << 20)) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

int ReadInt(const std::string& file, const char* section, const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, file.c_str()));
}

// The first character of a trimmed value; the default when it is empty.
char FirstCharacter(const std::string& value, char fallback) {
  const std::string trimmed = TrimText(value);
  return trimmed.empty() ? fallback : trimmed[0];
}

// The name as it can be shown: control characters as "?".
std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

}  // namespace

std::string TrimText(std::string_view text) {
  return mapi::TrimControls(text);
}

std::optional<std::string> ReportNameProblem(std::string_view serverName) {
  bool bad = serverName.find_first_of("/\\") != std::string_view::npos ||
             serverName.find("..") != std::string_view::npos;
  for (char c : serverName)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) bad = true;
  if (!bad) return std::nullopt;
  return "Error! The server name \"" + Printable(serverName) +
         "\" can not be used as the report file name.";
}

ConfigResult ReadConsoleConfig(const std::string& iniPath, std::ostream& out) {
  ConfigResult result;
  const std::string orgRaw = ReadString(iniPath, "Organization", "Name", kMissing);
  const bool orgMissing = orgRaw == kMissing;
  const std::string org = orgMissing ? std::string("ERROR") : TrimText(orgRaw);
  std::string dn = "/o=" + org;
  result.logSuccess = ReadInt(iniPath, "Config", "LogSuccess", 0) != 0;
  // The terminal must not act on bytes of the file; the name itself stays.
  mapi::WriteLine(out, "Organization: " + Printable(org));

  ConsoleConfig config;
  config.textQualifier = FirstCharacter(ReadString(iniPath, "Config", "Text qualifier", "\""), '"');
  config.rowDelimiter = FirstCharacter(ReadString(iniPath, "Config", "Row delimiter", ","), ',');
  config.mailbox = TrimText(ReadString(iniPath, "Config", "Mailbox", ""));
  config.profileServer = TrimText(ReadString(iniPath, "Config", "ServerName", ""));

  const std::string site = TrimText(ReadString(iniPath, "Server0", "Site Name", ""));
  dn += "/ou=" + (site.empty() ? std::string("ERROR") : site);
  const std::string server = TrimText(ReadString(iniPath, "Server0", "Server Name", ""));
  dn += "/cn=Configuration/cn=Servers/cn=" + (server.empty() ? std::string("ERROR") : server);
  dn = platform::AsciiUppered(dn);
  // A missing key and an empty value are what the check is for; a name that
  // merely contains "error" is a name like any other.
  if (orgMissing || site.empty() || server.empty()) return result;
  if (auto problem = ReportNameProblem(server)) {
    result.refusal = *problem;
    return result;
  }

  config.server.serverName = server;
  config.server.serverDn = dn;
  config.server.sizeLimitKb = ReadInt(iniPath, "Server0", "MBSizeLimit", -1);
  config.server.realNtAccount = ReadInt(iniPath, "Server0", "RealNTAccount", 0) != 0;
  config.server.lookupServer =
      TrimText(ReadString(iniPath, "Config", "LookUp NT Account Server", ""));
  result.config = std::move(config);
  return result;
}

}  // namespace console
