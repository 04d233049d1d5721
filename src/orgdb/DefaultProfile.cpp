// The default profile, made exactly as an administration tool would: through
// the MAPI library's profile and service administration, loaded by name.
#include "DefaultProfile.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "ComPtr.h"
#include "MAPIDefs.h"
#include "Win32.h"

namespace orgdb {

namespace {

template <class T>
using Ref = mapi::ComPtr<T>;

struct LibraryCloser {
  void operator()(void* module) const { FreeLibrary(static_cast<HMODULE>(module)); }
};

std::string Hex(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
  return buffer;
}

// The functions of the library that the set-up needs.
struct MapiFunctions {
  LPMAPIINITIALIZE initialize = nullptr;
  LPMAPIUNINITIALIZE uninitialize = nullptr;
  LPMAPIADMINPROFILES adminProfiles = nullptr;
  LPFREEBUFFER freeBuffer = nullptr;
  LPFREEPROWS freeProws = nullptr;
};

template <class F>
bool Bind(HMODULE module, const char* name, F* out) {
  *out = reinterpret_cast<F>(GetProcAddress(module, name));
  return *out != nullptr;
}

// The provider's own words for the last failure of an object, when it has any.
template <class T>
std::string LastErrorText(T* object, HRESULT hr, const MapiFunctions& mapi) {
  if (!object) return {};
  LPMAPIERROR record = nullptr;
  if (object->GetLastError(hr, 0, &record) != S_OK || !record) return {};
  std::string text = record->lpszError ? record->lpszError : "";
  mapi.freeBuffer(record);
  return text.empty() ? text : " (" + text + ")";
}

// Runs the profile steps; the caller initialises and uninitialises MAPI.
bool MakeProfile(const MapiFunctions& mapi, const std::string& name, const std::string& mailbox,
                 const std::string& server, std::string* error) {
  auto fail = [&](const char* call, HRESULT hr, std::string detail) {
    *error = std::string("Creating the default profile failed: ") + call + " returned " + Hex(hr) +
             detail + ".";
    return false;
  };
  std::vector<char> profile(name.begin(), name.end());
  profile.push_back('\0');

  Ref<IProfAdmin> admin;
  HRESULT hr = mapi.adminProfiles(0, mapi::Out(admin));
  if (FAILED(hr)) return fail("MAPIAdminProfiles", hr, "");
  // A profile of that name from an earlier set-up is replaced.
  admin->DeleteProfile(profile.data(), 0);
  hr = admin->CreateProfile(profile.data(), nullptr, 0, 0);
  if (FAILED(hr)) return fail("CreateProfile", hr, LastErrorText(admin.get(), hr, mapi));

  bool ok = [&] {
    Ref<IMsgServiceAdmin> services;
    HRESULT r = admin->AdminServices(profile.data(), nullptr, 0, 0, mapi::Out(services));
    if (FAILED(r)) return fail("AdminServices", r, LastErrorText(admin.get(), r, mapi));
    char service[] = "MSEMS";
    char display[] = "Microsoft Exchange Server";
    r = services->CreateMsgService(service, display, 0, 0);
    if (FAILED(r)) return fail("CreateMsgService", r, LastErrorText(services.get(), r, mapi));

    // The new service's identifier from the service table.
    MAPIUID uid{};
    {
      Ref<IMAPITable> table;
      r = services->GetMsgServiceTable(0, mapi::Out(table));
      if (FAILED(r)) return fail("GetMsgServiceTable", r, LastErrorText(services.get(), r, mapi));
      SizedSPropTagArray<1> columns{1, {PR_SERVICE_UID}};
      r = table->SetColumns(columns.get(), 0);
      if (FAILED(r)) return fail("SetColumns", r, LastErrorText(table.get(), r, mapi));
      LPSRowSet rows = nullptr;
      r = table->QueryRows(1, 0, &rows);
      std::unique_ptr<SRowSet, LPFREEPROWS> owner(rows, mapi.freeProws);
      if (FAILED(r)) return fail("QueryRows", r, LastErrorText(table.get(), r, mapi));
      if (!rows || rows->cRows != 1 || rows->aRow[0].cValues < 1 ||
          rows->aRow[0].lpProps[0].ulPropTag != PR_SERVICE_UID ||
          rows->aRow[0].lpProps[0].Value.bin.cb != sizeof uid.ab)
        return fail("QueryRows", MAPI_E_NOT_FOUND, " (no service identifier)");
      for (std::size_t i = 0; i < sizeof uid.ab; ++i)
        uid.ab[i] = rows->aRow[0].lpProps[0].Value.bin.lpb[i];
    }

    std::vector<char> mailboxText(mailbox.begin(), mailbox.end());
    mailboxText.push_back('\0');
    std::vector<char> serverText(server.begin(), server.end());
    serverText.push_back('\0');
    SPropValue props[2] = {};
    props[0].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    props[0].Value.lpszA = mailboxText.data();
    props[1].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    props[1].Value.lpszA = serverText.data();
    r = services->ConfigureMsgService(&uid, 0, 0, 2, props);
    if (FAILED(r)) return fail("ConfigureMsgService", r, LastErrorText(services.get(), r, mapi));

    r = admin->SetDefaultProfile(profile.data(), 0);
    if (FAILED(r)) return fail("SetDefaultProfile", r, LastErrorText(admin.get(), r, mapi));
    return true;
  }();
  if (!ok) admin->DeleteProfile(profile.data(), 0);
  return ok;
}

}  // namespace

bool CreateDefaultProfile(const std::string& name, const std::string& mailbox,
                          const std::string& server, std::string* error) {
  std::unique_ptr<void, LibraryCloser> module(LoadLibraryA("mapi32.dll"));
  if (!module) {
    *error = "The MAPI library of the machine root cannot be loaded (error " +
             std::to_string(GetLastError()) + ").";
    return false;
  }
  auto handle = static_cast<HMODULE>(module.get());
  MapiFunctions mapi;
  if (!Bind(handle, "MAPIInitialize@4", &mapi.initialize) ||
      !Bind(handle, "MAPIUninitialize@0", &mapi.uninitialize) ||
      !Bind(handle, "MAPIAdminProfiles@8", &mapi.adminProfiles) ||
      !Bind(handle, "MAPIFreeBuffer@4", &mapi.freeBuffer) ||
      !Bind(handle, "FreeProws@4", &mapi.freeProws)) {
    *error = "The MAPI library of the machine root lacks a profile administration function.";
    return false;
  }
  HRESULT hr = mapi.initialize(nullptr);
  if (FAILED(hr)) {
    *error = "Creating the default profile failed: MAPIInitialize returned " + Hex(hr) + ".";
    return false;
  }
  bool ok = MakeProfile(mapi, name, mailbox, server, error);
  mapi.uninitialize();
  return ok;
}

}  // namespace orgdb
