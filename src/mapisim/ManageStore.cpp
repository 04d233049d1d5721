#include "ManageStore.h"

#include "EntryIds.h"
#include "StoreSources.h"
#include "Table.h"

namespace mapisim {

namespace {
constexpr ULONG kCreateStoreEntryIdFlags = OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_PUBLIC |
                                           OPENSTORE_HOME_LOGON | OPENSTORE_TAKE_OWNERSHIP;
}  // namespace

HRESULT ManageStore::CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                                        ULONG* lpcbEntryID, LPENTRYID* lppEntryID) {
  if (lpcbEntryID) *lpcbEntryID = 0;
  if (lppEntryID) *lppEntryID = nullptr;
  if (auto hr = Fault("IExchangeManageStore::CreateStoreEntryID",
                      lpszMailboxDN ? lpszMailboxDN : "", ulFlags))
    return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lpcbEntryID || !lppEntryID || !lpszMsgStoreDN) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~kCreateStoreEntryIdFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported.", kComponentStore);
    if (!lpszMailboxDN && !(ulFlags & OPENSTORE_PUBLIC))
      return Fail(MAPI_E_INVALID_PARAMETER, "A mailbox store needs the mailbox's name.",
                  kComponentStore);
    EntryId id;
    id.kind = EntryKind::AdminStore;
    id.flags = ulFlags;
    id.storeDn = lpszMsgStoreDN;
    id.mailboxDn = lpszMailboxDN ? lpszMailboxDN : "";
    return HandOutEntryId(EncodeEntryId(id), lpcbEntryID, lppEntryID);
  });
}

HRESULT ManageStore::GetMailboxTable(LPSTR lpszServerName, LPMAPITABLE* lppTable, ULONG ulFlags) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IExchangeManageStore::GetMailboxTable", lpszServerName ? lpszServerName : "",
                      ulFlags))
    return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~(MAPI_DEFERRED_ERRORS | MAPI_UNICODE)) return MAPI_E_UNKNOWN_FLAGS;
    // No server name: the store's own server, as documented.
    std::optional<orgdb::Server> server = lpszServerName
                                              ? store_->db->FindServerByDn(lpszServerName)
                                              : store_->db->ServerById(store_->serverId);
    if (!server) return MAPI_E_NOT_FOUND;
    if (!server->reachable) return MAPI_E_NETWORK_ERROR;
    *lppTable =
        Table::Create("mailbox", kComponentStore, MakeMailboxSource(store_->db, server->id));
    return S_OK;
  });
}

}  // namespace mapisim
