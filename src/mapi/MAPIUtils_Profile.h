// Temporary MAPI profiles: a uniquely named profile holding one Exchange
// service configured for a mailbox and a server, made just before a logon
// and deleted right after it. One implementation serves both programs; the
// console writes its messages to a stream, the GUI shows them through the
// dialog seam.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "ComPtr.h"
#include "ExtendedMAPI.h"
#include "UserDialogs.h"

namespace mapi {

// Name prefixes: the console, the GUI logon without a profile, and the GUI's
// check of the names in the temporary-profile dialog.
inline constexpr const char* kConsoleProfilePrefix = "MAILBOXSTAT";
inline constexpr const char* kLogonProfilePrefix = "TABRIX_STAT";
inline constexpr const char* kCheckProfilePrefix = "TABRIX_GAL";

// The name buffer: 261 bytes, of which at most 260 are used.
inline constexpr std::size_t kProfileNameBufferSize = 261;

// Makes a profile name into a buffer (MakeProfileName's shape).
using ProfileNameMaker = HRESULT (*)(const char* prefix, char* buffer, std::size_t size);

// Where the profile routines report. Console: `out` receives the lines.
// GUI: `dialogs` shows the messages and the hourglass (may be null in which
// case nothing is shown); `mainWindow` is the UI parent for the service
// configuration. `makeName` replaces MakeProfileName (tests use it to reach
// the failed-name path); null means MakeProfileName.
// `flushRegistryOnDelete`: DeleteTempProfile flushes HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER afterwards (the GUI's name check does, its logon not).
// `leftOverDeleted`: when set, CreateTempProfile first deletes the
// temporary profiles of its prefix that ended runs left behind
// (MAPIUtils_LeftOverProfiles.h) and calls it with each name.
struct ProfileReporter {
  Flavour flavour = Flavour::Console;
  std::ostream* out = nullptr;
  UserDialogs* dialogs = nullptr;
  ULONG_PTR mainWindow = 0;
  ProfileNameMaker makeName = nullptr;
  bool flushRegistryOnDelete = false;
  std::function<void(const std::string& name)> leftOverDeleted = nullptr;
};

// Zeroes `size` bytes of `buffer`, then writes "<prefix> <pid> <time high>
// <time low>" (8 upper-case hex digits each, the time as the current UTC
// FILETIME), truncated to fit. Returns S_OK, the platform's error when the
// time cannot be converted, or E_INVALIDARG / E_FAIL (buffer zeroed).
// Failures also go to EdkLogError.
HRESULT MakeProfileName(const char* prefix, char* buffer, std::size_t size);

// Creates the temporary profile for `mailbox` on `server` with the prefix
// of the flavour (console: MAILBOXSTAT, GUI: TABRIX_STAT), reporting each
// failed step with the flavour's message. The console form initialises MAPI
// itself and uninitialises it at the end; the GUI form expects MAPI to be
// initialised and shows the hourglass while it works.
// *profileName is reset, then receives the generated name as soon as the
// name buffer exists (empty when the name itself could not be made), also
// when a later step fails: the caller logs on with it and deletes it.
// Returns S_OK or the code of the failed step.
HRESULT CreateTempProfile(const ProfileReporter& reporter, const std::string& mailbox,
                          const std::string& server, std::optional<std::string>* profileName);

// The GUI's check of the names typed in the temporary-profile dialog: the
// steps of CreateTempProfile's GUI form with the check's prefix (TABRIX_GAL)
// and texts, no parent window for the service configuration, and each
// failure's text appended to *failures instead of shown (nothing for a
// cancelled configuration). `cursor` is restored at a failure.
// *profileName as for CreateTempProfile; *profAdmin keeps the profile
// administration object, once obtained, for the caller's final
// DeleteProfile; every other object is released before it returns.
HRESULT CreateCheckProfile(HourglassCursor& cursor, const std::string& mailbox,
                           const std::string& server, std::optional<std::string>* profileName,
                           ComPtr<IProfAdmin>* profAdmin, std::string* failures);

// Deletes the profile (MAPIAdminProfiles, DeleteProfile). The console form
// reports failures on its stream; the GUI form reports nothing. Then, when
// the reporter asks for it, flushes HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// ignoring failures. Returns the code of the failed step or S_OK.
HRESULT DeleteTempProfile(const ProfileReporter& reporter, const std::string& profileName);

}  // namespace mapi
