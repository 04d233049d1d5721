#include "ProfAdmin.h"

#include "ProfileStore.h"
#include "ServiceAdmin.h"
#include "Table.h"
#include "TextUtil.h"

namespace mapisim {
namespace {

std::string NameOrEmpty(const char* name) {
  return name ? name : "";
}

}  // namespace

HRESULT ProfAdmin::Unknown(const char* name) {
  return Fail(MAPI_E_NOT_FOUND, "The profile \"" + NameOrEmpty(name) + "\" does not exist.",
              kComponentMapi);
}

HRESULT ProfAdmin::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  if (lppMAPIError) *lppMAPIError = nullptr;
  if (auto hr = FaultNoMatch("IProfAdmin::GetLastError", ulFlags)) return *hr;
  return HandOutRecord(ulFlags, lppMAPIError);
}

HRESULT ProfAdmin::GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = FaultNoMatch("IProfAdmin::GetProfileTable", ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    std::vector<std::string> names;
    if (HRESULT hr = ListProfiles(&names); FAILED(hr))
      return Fail(hr, "The profiles cannot be read.", kComponentMapi);
    const auto def = DefaultProfile();
    std::vector<OwnedRow> rows;
    for (const auto& n : names) {
      OwnedRow row;
      row.emplace_back(TextCell(PR_DISPLAY_NAME, n));
      row.emplace_back(BoolCell(PR_DEFAULT_PROFILE, def && platform::EqualsNoCase(*def, n)));
      rows.push_back(std::move(row));
    }
    *lppTable = Table::Create(
        "profiles", kComponentMapi,
        std::make_unique<FixedSource>(std::move(rows),
                                      std::vector<ULONG>{PR_DISPLAY_NAME, PR_DEFAULT_PROFILE}));
    return S_OK;
  });
}

HRESULT ProfAdmin::CreateProfile(LPSTR lpszProfileName, LPSTR, ULONG_PTR, ULONG ulFlags) {
  if (auto hr = Fault("IProfAdmin::CreateProfile", NameOrEmpty(lpszProfileName), ulFlags))
    return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!ValidProfileName(lpszProfileName))
      return Fail(MAPI_E_INVALID_PARAMETER, "The profile name is empty or not allowed.",
                  kComponentMapi);
    HRESULT hr = CreateProfileKey(lpszProfileName);
    if (hr == MAPI_E_NO_ACCESS) {
      bool exists = false;
      ProfileExists(lpszProfileName, &exists);
      return Fail(hr,
                  exists ? "The profile \"" + NameOrEmpty(lpszProfileName) + "\" already exists."
                         : std::string("The profiles cannot be written."),
                  kComponentMapi);
    }
    if (FAILED(hr)) return Fail(hr, "The profile cannot be created.", kComponentMapi);
    return S_OK;
  });
}

HRESULT ProfAdmin::DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) {
  if (auto hr = Fault("IProfAdmin::DeleteProfile", NameOrEmpty(lpszProfileName), ulFlags))
    return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!ValidProfileName(lpszProfileName)) return Unknown(lpszProfileName);
    HRESULT hr = DeleteProfileKey(lpszProfileName);
    if (hr == MAPI_E_NOT_FOUND) return Unknown(lpszProfileName);
    if (FAILED(hr)) return Fail(hr, "The profile cannot be deleted.", kComponentMapi);
    return S_OK;
  });
}

HRESULT ProfAdmin::AdminServices(LPSTR lpszProfileName, LPSTR, ULONG_PTR, ULONG ulFlags,
                                 LPSERVICEADMIN* lppServiceAdmin) {
  if (lppServiceAdmin) *lppServiceAdmin = nullptr;
  if (auto hr = Fault("IProfAdmin::AdminServices", NameOrEmpty(lpszProfileName), ulFlags))
    return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppServiceAdmin) return MAPI_E_INVALID_PARAMETER;
    if (!ProfileIsThere(lpszProfileName)) return Unknown(lpszProfileName);
    *lppServiceAdmin = new ServiceAdmin(lpszProfileName);
    return S_OK;
  });
}

HRESULT ProfAdmin::SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) {
  if (auto hr = Fault("IProfAdmin::SetDefaultProfile", NameOrEmpty(lpszProfileName), ulFlags))
    return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (lpszProfileName && !ProfileIsThere(lpszProfileName)) return Unknown(lpszProfileName);
    HRESULT hr = SetDefaultProfileName(lpszProfileName);
    if (FAILED(hr)) return Fail(hr, "The default profile cannot be written.", kComponentMapi);
    return S_OK;
  });
}

}  // namespace mapisim
