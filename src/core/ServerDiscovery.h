// Finding the logged-on user's home server and the servers of its
// administrative group, for the GUI's server box. Written against two small
// interfaces, the server box and the dialog seam, so that it needs no window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ExtendedMAPI.h"
#include "UserDialogs.h"

namespace core {

// One entry of the server box.
struct ServerEntry {
  std::string name;  // as shown in the box
  std::optional<std::string>
      legacyDn;  // the server's legacyExchangeDN; absent for the home-only entry
};

// The box the entries go into. It owns their DNs and releases them when the
// entries are removed. Selecting from here never starts a load.
class ServerBox {
 public:
  virtual ~ServerBox() = default;
  virtual void Clear() = 0;
  virtual void Add(ServerEntry entry) = 0;
  virtual int Count() const = 0;
  virtual const ServerEntry& Entry(int index) const = 0;
  virtual void Select(int index) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
};

// Exchange version of a server, all 0 when it could not be read.
struct ServerVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint16_t build = 0;
  std::uint16_t revision = 0;
};

// Splits a PR_REPLICA_VERSION value into its four 16-bit parts.
ServerVersion VersionFromReplica(std::uint64_t value);

// What the home mailbox store's DN
// (/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB)
// tells about the user's server.
struct HomeServerNames {
  std::string serverDn;          // the DN without "/cn=Microsoft Private MDB" (exact case)
  std::string homeServerName;    // SRV01
  std::string organizationName;  // Org
  std::string siteName;          // Site
};
HomeServerNames SplitHomeMdbDn(std::string_view homeMdbDn);

// The main window's fields that the identity lookup writes.
struct DiscoveryFields {
  HRESULT lastResult = S_OK;
  std::string serverDn;
  std::string homeServerName;  // empty when no home server was found
  std::string organizationName;
  std::string siteName;
};

// Reads the home server's version from the root folder of the user's
// private store; the zero version when any step fails.
ServerVersion ReadServerVersion(IMAPISession* session);

// The ADSI query text for the Exchange servers of the home server's
// administrative group.
std::string ExchangeServersQuery(const std::string& homeServerName, const std::string& siteName,
                                 const std::string& organizationName,
                                 const std::string& configurationNamingContext);

// The connection string of the directory query component.
inline constexpr const char* kAdsiConnectionString =
    "Provider=ADsDSOObject;Encrypt Password=False;Extended Properties=\"SearchScope=0\";"
    "Mode=Read;Bind Flags=0;ADSI Flag=1";

// Fills the box with the servers the directory lists, selecting the home
// server's entry. An unreachable directory leaves the box empty and
// disabled; a failing query leaves the home server alone, without DN.
void QueryExchangeServers(const std::string& homeServerName, const std::string& siteName,
                          const std::string& organizationName, ServerBox& box);

// Opens the session's identity, reads its home store, derives the fields
// and fills the box (the home server alone up to Exchange 5.x, the
// directory's list from Exchange 2000 on). Shows its failures through
// `dialogs`. Returns the home server's name, or nothing.
std::optional<std::string> FindHomeServer(IMAPISession* session, mapi::UserDialogs& dialogs,
                                          ServerBox& box, DiscoveryFields& fields);

}  // namespace core
