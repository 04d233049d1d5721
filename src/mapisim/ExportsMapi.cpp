// Exported MAPI session functions and the stand-in's own two functions.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Accounting.h"
#include "Export.h"
#include "Faults.h"
#include "Logon.h"
#include "ProfAdmin.h"
#include "SimState.h"
#include "TextUtil.h"

using namespace mapisim;

namespace {

constexpr const char* kMapiComponent = "{FF1D0740-D227-11D1-A4B0-006008AF820E}";

std::string OwnPath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnPath), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

}  // namespace

// MAPIInitialize(lpMapiInit in, optional MAPIINIT_0)
//   Counts one initialisation; MAPIUninitialize balances it. When MAPI was
//   uninitialised, the organisation's faults are read first (the database
//   itself is opened later, by the first call that needs it). Returns S_OK,
//   or MAPI_E_VERSION for a MAPIINIT_0 whose ulVersion is not 0.
MAPISIM_EXPORT HRESULT MAPIInitialize(LPVOID lpMapiInit) {
  EnsureUnloadHook();
  LoadFaultsForInitialize();
  const auto* init = static_cast<const MAPIINIT_0*>(lpMapiInit);
  if (auto hit = CheckFaultNoMatch("MAPIInitialize", init ? init->ulFlags : 0)) return hit->hr;
  if (init && init->ulVersion != 0) return MAPI_E_VERSION;
  CountInitialize();
  return S_OK;
}

// MAPIUninitialize()
//   Balances one MAPIInitialize; without one it does nothing. Objects still
//   alive keep working. Not subject to faults.
MAPISIM_EXPORT void MAPIUninitialize() {
  EnsureUnloadHook();
  CountUninitialize();
}

// MAPILogonEx(ulUIParam in, lpszProfileName in, lpszPassword in, ulFlags in,
//             lppSession out)
//   A non-empty name logs on with that profile; an empty or null name uses
//   the default profile with MAPI_USE_DEFAULT, else asks the profile chooser
//   (TabrixSimSetProfileChooser) with MAPI_LOGON_UI. The profile's Exchange
//   service must be configured; its mailbox's server must answer. The
//   session copies what it needs, so it outlives the profile's deletion.
//   Returns S_OK and a session (Logoff, then Release; Release alone also
//   closes); MAPI_E_INVALID_PARAMETER for a null lppSession;
//   MAPI_E_NOT_INITIALIZED; MAPI_E_LOGON_FAILED for an unknown profile, no
//   default profile, no profile at all to ask for, a configured mailbox that
//   no longer exists, an unreachable server, or an organisation database
//   that cannot be used (that sentence also goes to standard error as one
//   line "mapi32: ..."); MAPI_E_USER_CANCEL when the chooser is absent or
//   answers -1; MAPI_E_UNCONFIGURED for a profile without a configured
//   Exchange service. The password and window are not used.
MAPISIM_EXPORT HRESULT MAPILogonEx(ULONG_PTR, LPSTR lpszProfileName, LPSTR, ULONG ulFlags,
                                   LPMAPISESSION* lppSession) {
  EnsureUnloadHook();
  if (lppSession) *lppSession = nullptr;
  if (auto hit = CheckFault("MAPILogonEx", lpszProfileName ? lpszProfileName : "", ulFlags))
    return hit->hr;
  if (!lppSession) return MAPI_E_INVALID_PARAMETER;
  if (!IsInitialized()) return MAPI_E_NOT_INITIALIZED;
  std::string databaseProblem;
  HRESULT hr;
  try {
    hr = Logon(lpszProfileName, ulFlags, lppSession, &databaseProblem);
  } catch (const std::exception& e) {
    databaseProblem = e.what();
    hr = MAPI_E_LOGON_FAILED;
  }
  if (FAILED(hr) && !databaseProblem.empty())
    std::fprintf(stderr, "mapi32: %s\n", databaseProblem.c_str());
  return hr;
}

// MAPIAdminProfiles(ulFlags in, lppProfAdmin out)
//   A profile administration object over the HKEY_CURRENT_USER profiles.
//   Returns S_OK; MAPI_E_INVALID_PARAMETER for a null out-pointer;
//   MAPI_E_NOT_INITIALIZED before MAPIInitialize; MAPI_E_UNKNOWN_FLAGS for
//   flags other than MAPI_UNICODE and MAPI_DIALOG (0x8), which are accepted
//   and ignored.
MAPISIM_EXPORT HRESULT MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) {
  EnsureUnloadHook();
  if (lppProfAdmin) *lppProfAdmin = nullptr;
  if (auto hit = CheckFaultNoMatch("MAPIAdminProfiles", ulFlags)) return hit->hr;
  if (!lppProfAdmin) return MAPI_E_INVALID_PARAMETER;
  if (!IsInitialized()) return MAPI_E_NOT_INITIALIZED;
  if (ulFlags & ~(MAPI_UNICODE | 0x8u)) return MAPI_E_UNKNOWN_FLAGS;
  try {
    *lppProfAdmin = new ProfAdmin();
  } catch (const std::bad_alloc&) {
    return MAPI_E_NOT_ENOUGH_MEMORY;
  }
  return S_OK;
}

// FGetComponentPath(szComponent in, szQualifier in, szDllPath out,
//                   cchBufferSize in, fInstall in)
//   For the MAPI component {FF1D0740-D227-11D1-A4B0-006008AF820E} (letter
//   case ignored, any qualifier) writes this library's own file path and
//   returns TRUE; FALSE for any other component, a null buffer, or a buffer
//   too small for the path and its terminator. fInstall is not used.
MAPISIM_EXPORT BOOL FGetComponentPath(LPSTR szComponent, LPSTR, LPSTR szDllPath,
                                      DWORD cchBufferSize, BOOL) {
  EnsureUnloadHook();
  if (auto hit = CheckFault("FGetComponentPath", szComponent ? szComponent : "", 0)) return FALSE;
  if (!szComponent || !platform::EqualsNoCase(szComponent, kMapiComponent) || !szDllPath)
    return FALSE;
  const std::string path = OwnPath();
  if (path.empty() || path.size() + 1 > cchBufferSize) return FALSE;
  std::memcpy(szDllPath, path.c_str(), path.size() + 1);
  return TRUE;
}

// TabrixSimQueryAccounting(counts out)
//   What the process holds now (see MapiSimApi.h). Null is ignored.
MAPISIM_EXPORT void TabrixSimQueryAccounting(TabrixSimAccounting* counts) {
  EnsureUnloadHook();
  if (counts) *counts = CurrentAccounting();
}

// TabrixSimSetProfileChooser(chooser in, context in)
//   Installs the hook that plays MAPI's profile dialog for MAPILogonEx with
//   MAPI_LOGON_UI; null removes it (every such logon is then cancelled).
MAPISIM_EXPORT void TabrixSimSetProfileChooser(TabrixSimProfileChooser chooser, void* context) {
  EnsureUnloadHook();
  SetProfileChooser(chooser, context);
}
