#include "ServiceAdmin.h"

#include <cstring>

#include "ProfileStore.h"
#include "SessionContext.h"
#include "SimState.h"
#include "Table.h"
#include "TextUtil.h"

namespace mapisim {
namespace {

constexpr const char* kExchangeService = "MSEMS";
constexpr const char* kExchangeServiceDisplay = "Microsoft Exchange Server";

// A text value of the configuration by identifier (8-bit or wide).
bool ConfiguredText(const SPropValue* props, ULONG count, ULONG tag, std::string* text) {
  for (ULONG i = 0; i < count; ++i)
    if (PROP_ID(props[i].ulPropTag) == PROP_ID(tag) && TextOfValue(props[i], text)) return true;
  return false;
}

}  // namespace

HRESULT ServiceAdmin::ProfileGone() {
  return Fail(MAPI_E_NOT_FOUND, "The profile \"" + profile_ + "\" does not exist.", kComponentMapi);
}

HRESULT ServiceAdmin::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMsgServiceAdmin::GetLastError", profile_, ulFlags, lppMAPIError);
}

HRESULT ServiceAdmin::GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IMsgServiceAdmin::GetMsgServiceTable", profile_, ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    std::vector<ServiceEntry> services;
    HRESULT hr = ListServices(profile_, &services);
    if (hr == MAPI_E_NOT_FOUND) return ProfileGone();
    if (FAILED(hr)) return Fail(hr, "The profile cannot be read.", kComponentMapi);
    std::vector<OwnedRow> rows;
    for (const auto& s : services) {
      OwnedRow row;
      row.emplace_back(BinaryCell(PR_SERVICE_UID, AsBytes(s.uid.ab, sizeof s.uid.ab)));
      row.emplace_back(TextCell(PR_SERVICE_NAME, s.name));
      row.emplace_back(TextCell(PR_DISPLAY_NAME,
                                s.displayName.empty() ? kExchangeServiceDisplay : s.displayName));
      rows.push_back(std::move(row));
    }
    *lppTable = Table::Create(
        "services", kComponentMapi,
        std::make_unique<FixedSource>(
            std::move(rows), std::vector<ULONG>{PR_SERVICE_UID, PR_SERVICE_NAME, PR_DISPLAY_NAME}));
    return S_OK;
  });
}

HRESULT ServiceAdmin::CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR,
                                       ULONG ulFlags) {
  if (auto hr = Fault("IMsgServiceAdmin::CreateMsgService", profile_, ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lpszService)
      return Fail(MAPI_E_INVALID_PARAMETER, "No message service was named.", kComponentMapi);
    if (!platform::EqualsNoCase(lpszService, kExchangeService))
      return Fail(MAPI_E_NOT_FOUND,
                  "The message service \"" + std::string(lpszService) + "\" is not installed.",
                  kComponentMapi);
    MAPIUID uid{};
    HRESULT hr = AddService(profile_, kExchangeService,
                            lpszDisplayName ? lpszDisplayName : kExchangeServiceDisplay,
                            kExchangeServiceDisplay, &uid);
    if (hr == MAPI_E_NOT_FOUND) return ProfileGone();
    if (FAILED(hr)) return Fail(hr, "The message service cannot be added.", kComponentMapi);
    return S_OK;
  });
}

HRESULT ServiceAdmin::ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR, ULONG ulFlags, ULONG cValues,
                                          LPSPropValue lpProps) {
  if (auto hr = Fault("IMsgServiceAdmin::ConfigureMsgService", profile_, ulFlags)) return *hr;
  return Guarded(kComponentTransport, [&]() -> HRESULT {
    if (!lpUID || (cValues > 0 && !lpProps) || cValues > kMaxCallerCount)
      return Fail(MAPI_E_INVALID_PARAMETER, "The service or its configuration is missing.",
                  kComponentMapi);
    std::vector<ServiceEntry> services;
    HRESULT hr = ListServices(profile_, &services);
    if (hr == MAPI_E_NOT_FOUND) return ProfileGone();
    if (FAILED(hr)) return Fail(hr, "The profile cannot be read.", kComponentMapi);
    ServiceEntry* service = nullptr;
    for (auto& s : services)
      if (std::memcmp(s.uid.ab, lpUID->ab, sizeof s.uid.ab) == 0) service = &s;
    if (!service)
      return Fail(MAPI_E_NOT_FOUND, "The profile has no message service with that identifier.",
                  kComponentMapi);

    std::string mailboxName = service->mailboxName;
    std::string serverName = service->serverName;
    ConfiguredText(lpProps, cValues, PR_PROFILE_UNRESOLVED_NAME, &mailboxName);
    ConfiguredText(lpProps, cValues, PR_PROFILE_UNRESOLVED_SERVER, &serverName);
    if (mailboxName.empty() || serverName.empty())
      return Fail(MAPI_E_UNCONFIGURED,
                  "The Microsoft Exchange Server service needs a server and a mailbox name.",
                  kComponentTransport);

    std::string error;
    Db db = Database(&error);
    if (!db) return Fail(MAPI_E_NETWORK_ERROR, error, kComponentTransport);
    auto server = db->FindServerByName(serverName);
    if (!server)
      return Fail(MAPI_E_NETWORK_ERROR,
                  "The Microsoft Exchange Server computer \"" + serverName + "\" is not known.",
                  kComponentTransport);
    if (std::string problem = ServerProblem(server); !problem.empty())
      return Fail(MAPI_E_NETWORK_ERROR, problem, kComponentTransport);
    // The directory holds every mailbox of the organisation, whichever
    // server it lives on.
    std::vector<orgdb::Mailbox> matches;
    for (const auto& s : db->Servers())
      for (auto& m : db->FindMailboxesByName(s.id, mailboxName)) matches.push_back(std::move(m));
    if (matches.empty())
      return Fail(MAPI_E_NOT_FOUND, "The name \"" + mailboxName + "\" could not be resolved.",
                  kComponentTransport);
    if (matches.size() > 1)
      return Fail(MAPI_E_AMBIGUOUS_RECIP,
                  "The name \"" + mailboxName + "\" matches more than one mailbox.",
                  kComponentTransport);
    const orgdb::Mailbox& mailbox = matches.front();
    service->configured = true;
    service->mailboxName = mailboxName;
    service->serverName = serverName;
    service->mailboxId = mailbox.id;
    service->mailboxDn = mailbox.emailAddress.value_or("");
    hr = SaveServiceConfiguration(profile_, *service);
    if (FAILED(hr)) return Fail(hr, "The configuration cannot be saved.", kComponentMapi);
    return S_OK;
  });
}

}  // namespace mapisim
