// MAPI profiles in the HKEY_CURRENT_USER hive, so that creating and deleting
// a profile is visible in the hive file:
//   ...\Windows Messaging Subsystem\Profiles            "DefaultProfile" = name
//   ...\Profiles\<name>\Services\<service UID, hex>      one key per service
// A service key holds "ServiceName", "Order" (creation order) and
// "DisplayName" when it is not the service's usual one; once configured,
// the names as given ("MailboxName", "ServerName") and the mailbox they
// resolved to ("MailboxId", "MailboxDn"). Every registry write rewrites the
// hive file, so a service keeps to few values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MAPIDefs.h"

namespace mapisim {

inline constexpr const char* kProfilesKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";

struct ServiceEntry {
  MAPIUID uid{};
  std::string name;         // MSEMS
  std::string displayName;  // Microsoft Exchange Server
  std::uint32_t order = 0;
  bool configured = false;  // a mailbox was resolved
  std::string mailboxName;  // as configured
  std::string serverName;   // as configured
  std::int64_t mailboxId = 0;
  std::string mailboxDn;  // resolved
};

// A name that can be a registry key of its own: not empty, at most 260
// bytes, no backslash and no control character.
bool ValidProfileName(const char* name);

// Every call below returns S_OK or a MAPI code: MAPI_E_NOT_FOUND for a
// profile or service that does not exist, MAPI_E_NO_ACCESS when the hive
// cannot be written, MAPI_E_CALL_FAILED for any other registry failure.
HRESULT ProfileExists(const std::string& name, bool* exists);
// True when `name` is a valid profile name and that profile exists; a
// registry failure counts as no such profile.
bool ProfileIsThere(const char* name);
// MAPI_E_NO_ACCESS when a profile of that name (any letter case) exists.
HRESULT CreateProfileKey(const std::string& name);
HRESULT DeleteProfileKey(const std::string& name);
HRESULT ListProfiles(std::vector<std::string>* names);
// The default profile's name, or nullopt (also when it names a deleted one).
std::optional<std::string> DefaultProfile();
// Null removes the default.
HRESULT SetDefaultProfileName(const char* name);
std::uint32_t CountProfiles();

HRESULT ListServices(const std::string& profile, std::vector<ServiceEntry>* services);
// The display name is stored only when it differs from `usualDisplayName`,
// which a service without one reads back.
HRESULT AddService(const std::string& profile, const std::string& serviceName,
                   const std::string& displayName, const std::string& usualDisplayName,
                   MAPIUID* uid);
HRESULT SaveServiceConfiguration(const std::string& profile, const ServiceEntry& service);

std::string UidToHex(const MAPIUID& uid);

}  // namespace mapisim
