#include "Logon.h"

#include <memory>
#include <optional>

#include "ProfileStore.h"
#include "Session.h"
#include "SimState.h"

namespace mapisim {
namespace {

// The profile that the name and flags designate, or the failure code.
HRESULT ChooseLogonProfile(const char* profileName, ULONG flags, std::string* chosen) {
  if (profileName && *profileName) {
    if (!ProfileIsThere(profileName)) return MAPI_E_LOGON_FAILED;
    *chosen = profileName;
    return S_OK;
  }
  if (flags & MAPI_USE_DEFAULT) {
    auto def = DefaultProfile();
    if (!def) return MAPI_E_LOGON_FAILED;
    *chosen = *def;
    return S_OK;
  }
  if (flags & MAPI_LOGON_UI) {
    std::vector<std::string> names;
    if (FAILED(ListProfiles(&names))) return MAPI_E_LOGON_FAILED;
    const int index = ChooseProfile(names);
    if (index < 0) return MAPI_E_USER_CANCEL;
    *chosen = names[static_cast<std::size_t>(index)];
    return S_OK;
  }
  return MAPI_E_LOGON_FAILED;
}

}  // namespace

HRESULT Logon(const char* profileName, ULONG flags, LPMAPISESSION* session,
              std::string* databaseProblem) {
  std::string profile;
  HRESULT hr = ChooseLogonProfile(profileName, flags, &profile);
  if (FAILED(hr)) return hr;

  std::vector<ServiceEntry> services;
  if (FAILED(ListServices(profile, &services))) return MAPI_E_LOGON_FAILED;
  const ServiceEntry* exchange = nullptr;
  for (const auto& s : services)
    if (s.name == "MSEMS" && s.configured) {
      exchange = &s;
      break;
    }
  if (!exchange) return MAPI_E_UNCONFIGURED;

  Db db = Database(databaseProblem);
  if (!db) return MAPI_E_LOGON_FAILED;
  try {
    auto mailbox = db->MailboxById(exchange->mailboxId);
    if (!mailbox || (!exchange->mailboxDn.empty() && !mailbox->emailAddress.value_or("").empty() &&
                     *mailbox->emailAddress != exchange->mailboxDn))
      return MAPI_E_LOGON_FAILED;  // the configured mailbox is gone
    auto server = db->ServerById(mailbox->serverId);
    // The Exchange provider cannot log on when the home server does not answer.
    if (!server || !server->reachable) return MAPI_E_LOGON_FAILED;

    auto ctx = std::make_shared<SessionContext>();
    ctx->db = db;
    ctx->profileName = profile;
    if (auto gal = db->GalEntryForMailbox(*mailbox))
      ctx->identity = MailUserFromGal(*gal);
    else
      ctx->identity = MailUserFromMailbox(*mailbox, *server);
    ctx->mailbox = std::move(*mailbox);
    *session = new Session(std::move(ctx));
    return S_OK;
  } catch (const std::exception& e) {
    *databaseProblem = e.what();
    return MAPI_E_LOGON_FAILED;
  }
}

}  // namespace mapisim
