// The console program's run, from the banner to "Good Bye!": configuration,
// the optional temporary profile, MAPI start, the address-book pass, the
// server pass with its report, and the clean-up in its order.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "ConsoleConfig.h"
#include "ConsoleEventLogger.h"
#include "ExtendedMAPI.h"
#include "MapiPtr.h"

namespace console {

// The state of one run (one per process).
struct RunState {
  bool logSuccess = true;
  bool mapiInitialized = false;
  mapi::ComPtr<IMAPISession> session;
  mapi::ComPtr<IAddrBook> addressBook;
  mapi::ComPtr<IMAPIContainer> gal;
  std::optional<std::string> profileName;  // the temporary profile, when one was made
  bool profileDeleted = false;             // the profile is gone again (or never was)
  std::string lastError;
  std::optional<std::string> keptServerDn;  // handed to GetMailboxTable; freed by MAPI stop
  std::unique_ptr<TTabrixEventLogger> logger;
  std::optional<ConsoleConfig> config;
};

// The text of a failed MAPIInitialize, and of a failed logon before wrapping.
std::string InitializeFailureText(HRESULT hr);
std::string LogonFailureText(HRESULT hr);

// Initialises MAPI and logs on (deleting the temporary profile right after
// the logon call); true when the session is open.
bool MapiStart(RunState& state, std::ostream& out);
// Logs off and uninitialises as far as needed; safe in any state.
void MapiStop(RunState& state, std::ostream& out);
// Deletes the temporary profile when it is still there because the logon
// was never tried or its deletion failed for a passing reason; MAPI is
// initialised for it when it is not already.
void DeletePendingProfile(RunState& state, std::ostream& out);

// The whole run; `programDir` holds BOXSTATCON.INI and receives the report,
// `programName` names the event source. Returns the exit code: 0, or 1 when
// an exception escaped a pass (its message is written after "Good Bye!"),
// or 128 + the signal when a stop signal (StopSignals.h) ended the run.
int RunConsole(const std::string& programDir, const std::string& programName, std::ostream& out);

}  // namespace console
