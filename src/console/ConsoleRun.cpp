#include "ConsoleRun.h"

#include <exception>

#include "AddressBook.h"
#include "ConsoleOutput.h"
#include "ConsoleReport.h"
#include "ConsoleServerPass.h"
#include "MAPILogonTexts.h"
#include "MAPIUtils_Profile.h"
#include "StopSignals.h"
#include "WordWrap.h"

namespace console {

namespace {

void Log(RunState& state, const std::string& text, WORD type) {
  if (state.logger) state.logger->Log(text, type, 0, 0);
}

void Milestone(RunState& state, std::ostream& out, const std::string& text) {
  if (state.logSuccess) Log(state, text, kEventInformation);
  mapi::WriteLine(out, text);
}

// Deletes the temporary profile and says so, even when the deletion
// reported an error; a profile that is not there counts as deleted.
void DeleteProfile(RunState& state, std::ostream& out) {
  const HRESULT hr =
      mapi::DeleteTempProfile({mapi::Flavour::Console, &out, nullptr, 0}, *state.profileName);
  state.profileDeleted = SUCCEEDED(hr) || hr == MAPI_E_NOT_FOUND;
  mapi::WriteLine(out, "");
  mapi::WriteLine(out, "Temporary MAPI profile \"" + *state.profileName + "\" is DELETED!");
  mapi::WriteLine(out, "");
}

void WriteBanner(std::ostream& out) {
  const std::string rule(42, '=');
  for (const char* line :
       {rule.c_str(), "Tabrix Mailbox Statistics - Console Application", "Ver. 1.70",
        "For Microsoft Exchange Server 5.5/2000/2003",
        "This application is part of \"Tabrix Mailbox Statistics\"", "", rule.c_str(), ""})
    mapi::WriteLine(out, line);
}

// The server pass and the report beside the program.
void ServerPassAndReport(RunState& state, const std::string& programDir, std::ostream& out) {
  const ConsoleConfig& config = *state.config;
  ConsoleReport report(config.textQualifier, config.rowDelimiter);
  core::ConsolePassContext context;
  context.out = &out;
  context.logEvent = [&state](const std::string& text, WORD type) { Log(state, text, type); };
  context.logSuccess = state.logSuccess;
  context.lastError = &state.lastError;
  state.keptServerDn.emplace();
  context.keptServerDn = &*state.keptServerDn;
  context.resolveOwner = [&state, &config, &out](const std::string& email) {
    return ResolveOwnerAccount(state.addressBook.get(), state.gal.get(), email,
                               config.server.lookupServer, out);
  };
  context.keep = [&report](core::acTableContent&& record) { report.Add(record); };
  context.betweenBatches = &StopPoint;
  if (!core::RunConsoleServerPass(state.session.get(), config.server, context)) return;
  StopPoint();
  report.Write(programDir + "/" + config.server.serverName + ".txt", out);
}

}  // namespace

std::string InitializeFailureText(HRESULT hr) {
  return mapi::KnownInitializeErrorText(mapi::Flavour::Console, hr).value_or("The MAPI Error!");
}

std::string LogonFailureText(HRESULT hr) {
  return mapi::KnownLogonErrorText(hr).value_or("The logon did not succeed");
}

bool MapiStart(RunState& state, std::ostream& out) {
  mapi::WriteLine(out, "MAPI Initialize...");
  HRESULT hr = mapi::MAPIInitialize(nullptr);
  if (FAILED(hr)) {
    state.lastError = InitializeFailureText(hr);
    mapi::WriteLine(out, state.lastError);
    return false;
  }
  state.mapiInitialized = true;
  Milestone(state, out, "MAPI Initialize - OK!");
  mapi::WriteLine(out, "MAPI Loging...");

  std::string name = state.profileName.value_or(std::string());
  hr = mapi::MAPILogonEx(0, state.profileName ? name.data() : nullptr, nullptr,
                         MAPI_NEW_SESSION | MAPI_EXTENDED | MAPI_USE_DEFAULT | MAPI_NO_MAIL,
                         mapi::Out(state.session));
  if (state.profileName) DeleteProfile(state, out);
  if (SUCCEEDED(hr) && state.session) {
    Milestone(state, out, "MAPI MapiLogon - OK!");
    return true;
  }
  state.lastError = mapi::WrapLogonText(LogonFailureText(FAILED(hr) ? hr : E_FAIL));
  Log(state, state.lastError, kEventError);
  mapi::WriteLine(out, state.lastError);
  state.session.reset();
  mapi::MAPIUninitialize();
  state.mapiInitialized = false;
  return false;
}

void DeletePendingProfile(RunState& state, std::ostream& out) {
  if (!state.profileName || state.profileDeleted) return;
  const bool initialiseHere = !state.mapiInitialized;
  if (initialiseHere && FAILED(mapi::MAPIInitialize(nullptr))) return;
  DeleteProfile(state, out);
  if (initialiseHere) mapi::MAPIUninitialize();
}

void MapiStop(RunState& state, std::ostream& out) {
  state.keptServerDn.reset();
  if (state.session) {
    state.session->Logoff(0, 0, 0);
    state.session.reset();
    Milestone(state, out, "MAPI Logoff - OK!");
  }
  if (state.mapiInitialized) {
    mapi::MAPIUninitialize();
    Milestone(state, out, "MAPI UnInitialize - OK!");
    state.mapiInitialized = false;
  }
}

int RunConsole(const std::string& programDir, const std::string& programName, std::ostream& out) {
  RunState state;
  state.logger = std::make_unique<TTabrixEventLogger>(programName);
  WriteBanner(out);

  std::optional<std::string> escaped;
  bool interrupted = false;
  try {
    ConfigResult read = ReadConsoleConfig(programDir + "/" + kIniFileName, out);
    state.logSuccess = read.logSuccess;
    if (read.refusal) {
      state.lastError = *read.refusal;
      mapi::WriteSeparated(out, {*read.refusal});
      Log(state, *read.refusal, kEventError);
    }
    state.config = std::move(read.config);
    if (state.config) {
      const ConsoleConfig& config = *state.config;
      StopPoint();
      if (!config.mailbox.empty() && !config.profileServer.empty()) {
        mapi::ProfileReporter reporter{mapi::Flavour::Console, &out, nullptr, 0};
        // A run killed outright (SIGKILL) could not delete its profile: the
        // next run that makes one removes those of ended runs, and says so.
        reporter.leftOverDeleted = [&state, &out](const std::string& name) {
          const std::string text =
              "Temporary MAPI profile \"" + name + "\" of an ended run is DELETED!";
          mapi::WriteLine(out, text);
          Log(state, text, kEventWarning);
        };
        mapi::CreateTempProfile(reporter, config.mailbox, config.profileServer, &state.profileName);
      }
      StopPoint();
      if (MapiStart(state, out)) {
        StopPoint();
        OpenGlobalAddressList(state.session.get(), &state.addressBook, &state.gal, out);
        StopPoint();
        ServerPassAndReport(state, programDir, out);
      }
    }
  } catch (const RunInterrupted&) {
    interrupted = true;
  } catch (const std::exception& e) {
    escaped = e.what();
  }

  // Clean-up, always, in this order.
  try {
    state.gal.reset();
    state.addressBook.reset();
    // A temporary profile must not outlive the run.
    DeletePendingProfile(state, out);
    MapiStop(state, out);
    state.logger.reset();
    state.profileName.reset();
    state.config.reset();
    mapi::WriteLine(out, "Good Bye!");
  } catch (const std::exception& e) {
    if (!escaped) escaped = e.what();
  }
  out.flush();
  // A stop signal ends the process as the shell expects of one it killed,
  // but only after the clean-up; one that came during the clean-up too.
  if (interrupted || StopSignal() != 0) return 128 + StopSignal();
  if (escaped) {
    mapi::WriteLine(out, *escaped);
    out.flush();
    return 1;
  }
  return 0;
}

}  // namespace console
