#include "Session.h"

#include "AbEntries.h"
#include "AddressBook.h"
#include "Folder.h"
#include "MsgStore.h"
#include "Table.h"
#include "TextUtil.h"

namespace mapisim {
namespace {

constexpr ULONG kOpenStoreFlags = MDB_NO_DIALOG | MDB_WRITE | MAPI_DEFERRED_ERRORS |
                                  MAPI_BEST_ACCESS | MDB_TEMPORARY | MDB_NO_MAIL | MDB_ONLINE |
                                  MAPI_NO_CACHE;
constexpr std::int32_t STATUS_DEFAULT_STORE = 0x00000002;
constexpr std::int32_t STATUS_PRIMARY_IDENTITY = 0x00000004;
constexpr std::int32_t STATUS_NO_DEFAULT_STORE = 0x00000040;
constexpr std::int32_t STATUS_PRIMARY_STORE = 0x00001000;
constexpr std::int32_t STATUS_SECONDARY_STORE = 0x00002000;

std::string PrivateStoreEntryId(std::int64_t mailboxId) {
  return EncodeEntryId(EntryId{EntryKind::PrivateStore, mailboxId, 0, 0, {}, {}});
}
std::string PublicStoreEntryId(std::int64_t serverId) {
  return EncodeEntryId(EntryId{EntryKind::PublicStore, serverId, 0, 0, {}, {}});
}

OwnedRow StoreRow(const std::string& entryId, const std::string& name, const BYTE* provider,
                  bool isDefault, std::int32_t resourceFlags) {
  OwnedRow row;
  row.emplace_back(BinaryCell(PR_ENTRYID, entryId));
  row.emplace_back(TextCell(PR_DISPLAY_NAME, name));
  row.emplace_back(BinaryCell(PR_MDB_PROVIDER, AsBytes(provider, 16)));
  row.emplace_back(BoolCell(PR_DEFAULT_STORE, isDefault));
  row.emplace_back(LongCell(PR_RESOURCE_FLAGS, resourceFlags));
  row.emplace_back(TextCell(PR_PROVIDER_DISPLAY, "Microsoft Exchange Message Store"));
  row.emplace_back(LongCell(PR_OBJECT_TYPE, MAPI_STORE));
  return row;
}

// The fault name of the store an entry ID opens.
std::string StoreFaultName(ULONG cb, LPENTRYID eid) {
  auto id = DecodeEntryId(cb, eid);
  if (!id) return "";
  if (id->kind == EntryKind::PrivateStore) return "private";
  if (id->kind == EntryKind::PublicStore) return "public";
  if (id->kind == EntryKind::AdminStore)
    return (id->flags & OPENSTORE_PUBLIC) || id->mailboxDn.empty() ? "public" : id->mailboxDn;
  return "";
}

// The session's own private store, as the message-store table's entry ID
// opens it.
StorePtr OwnStore(const SessionPtr& ctx) {
  auto data = std::make_shared<StoreData>();
  data->session = ctx;
  data->db = ctx->db;
  data->kind = StoreKind::Own;
  data->mailbox = ctx->mailbox;
  data->mailboxId = ctx->mailbox.id;
  data->serverId = ctx->mailbox.serverId;
  data->faultName = "private";
  data->entryId = PrivateStoreEntryId(ctx->mailbox.id);
  return data;
}

}  // namespace

Session::Session(SessionPtr context) : ctx_(std::move(context)) {
  CountSessionOpened();
}

Session::~Session() {
  CountSessionClosed();
}

HRESULT Session::Ended() {
  return Fail(MAPI_E_END_OF_SESSION, "The session has been logged off.", kComponentMapi);
}

HRESULT Session::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPISession::GetLastError", ctx_->profileName, ulFlags, lppMAPIError);
}

HRESULT Session::GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IMAPISession::GetMsgStoresTable", ctx_->profileName, ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ctx_->loggedOff) return Ended();
    std::vector<OwnedRow> rows;
    rows.push_back(StoreRow(PrivateStoreEntryId(ctx_->mailbox.id),
                            "Mailbox - " + MailboxDisplayName(ctx_->mailbox),
                            pbExchangeProviderPrimaryUserGuid, true,
                            STATUS_DEFAULT_STORE | STATUS_PRIMARY_IDENTITY | STATUS_PRIMARY_STORE));
    rows.push_back(StoreRow(PublicStoreEntryId(ctx_->mailbox.serverId), "Public Folders",
                            pbExchangeProviderPublicGuid, false,
                            STATUS_NO_DEFAULT_STORE | STATUS_SECONDARY_STORE));
    *lppTable = Table::Create(
        "msgstores", kComponentMapi,
        std::make_unique<FixedSource>(
            std::move(rows),
            std::vector<ULONG>{PR_ENTRYID, PR_DISPLAY_NAME, PR_MDB_PROVIDER, PR_DEFAULT_STORE}));
    return S_OK;
  });
}

HRESULT Session::OpenMsgStore(ULONG_PTR, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, LPMDB* lppMDB) {
  if (lppMDB) *lppMDB = nullptr;
  auto storeName = [&] { return StoreFaultName(cbEntryID, lpEntryID); };
  if (auto hr = Fault("IMAPISession::OpenMsgStore", storeName, ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppMDB) return MAPI_E_INVALID_PARAMETER;
    if (ctx_->loggedOff) return Ended();
    if (ulFlags & ~kOpenStoreFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by this store.",
                  kComponentStore);
    if (lpInterface && *lpInterface != IID_IMsgStore && *lpInterface != IID_IMAPIProp &&
        *lpInterface != IID_IUnknown)
      return Fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "A store does not offer the interface asked for.",
                  kComponentStore);
    auto id = DecodeEntryId(cbEntryID, lpEntryID);
    if (!id || (id->kind != EntryKind::PrivateStore && id->kind != EntryKind::PublicStore &&
                id->kind != EntryKind::AdminStore))
      return Fail(MAPI_E_INVALID_ENTRYID, "The entry ID is not one of a message store.",
                  kComponentStore);

    std::optional<orgdb::Server> server;
    StoreKind kind = StoreKind::Own;
    std::string faultName;
    if (id->kind == EntryKind::PrivateStore) {
      if (id->a != ctx_->mailbox.id)
        return Fail(MAPI_E_INVALID_ENTRYID, "The entry ID is not one of this session's stores.",
                    kComponentStore);
      server = ctx_->db->ServerById(ctx_->mailbox.serverId);
    } else if (id->kind == EntryKind::PublicStore) {
      kind = StoreKind::Public;
      faultName = "public";
      server = ctx_->db->ServerById(id->a);
    } else {
      const std::string& storeDn = id->storeDn;
      const bool publicDn = platform::EndsWithNoCase(storeDn, kPublicMdbSuffix);
      if (!publicDn && !platform::EndsWithNoCase(storeDn, kPrivateMdbSuffix))
        return Fail(MAPI_E_NOT_FOUND,
                    "The store name \"" + storeDn + "\" names no information store.",
                    kComponentStore);
      const std::string_view suffix = publicDn ? kPublicMdbSuffix : kPrivateMdbSuffix;
      const std::string serverDn = storeDn.substr(0, storeDn.size() - suffix.size());
      server = ctx_->db->FindServerByDn(serverDn);
      if (!server)
        return Fail(MAPI_E_NOT_FOUND, "The server \"" + serverDn + "\" does not exist.",
                    kComponentStore);
      const bool isPublic = publicDn || (id->flags & OPENSTORE_PUBLIC) || id->mailboxDn.empty();
      kind = isPublic ? StoreKind::Public : StoreKind::Admin;
      faultName = isPublic ? "public" : id->mailboxDn;
    }
    // A server that does not exist fails before the flags are looked at, one
    // that does not answer after.
    if (!server) return Fail(MAPI_E_NETWORK_ERROR, ServerProblem(server), kComponentStore);
    if ((ulFlags & MDB_ONLINE) && !server->acceptsOnline)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The store provider does not support MDB_ONLINE.",
                  kComponentStore);
    if (std::string problem = ServerProblem(server); !problem.empty())
      return Fail(MAPI_E_NETWORK_ERROR, problem, kComponentStore);
    if (kind == StoreKind::Own) {
      *lppMDB = new MsgStore(OwnStore(ctx_));
      return S_OK;
    }
    auto data = std::make_shared<StoreData>();
    data->session = ctx_;
    data->db = ctx_->db;
    data->kind = kind;
    data->serverId = server->id;
    data->faultName = std::move(faultName);
    data->entryId.assign(reinterpret_cast<const char*>(lpEntryID), cbEntryID);
    if (kind == StoreKind::Admin) {
      auto mailbox = ctx_->db->FindMailboxByDn(id->mailboxDn);
      if (!mailbox || mailbox->serverId != server->id)
        return Fail(MAPI_E_NOT_FOUND,
                    "The mailbox \"" + id->mailboxDn + "\" does not exist on " + server->name + ".",
                    kComponentStore);
      data->mailbox = std::move(mailbox);
      data->mailboxId = data->mailbox->id;
    }
    *lppMDB = new MsgStore(std::move(data));
    return S_OK;
  });
}

HRESULT Session::OpenAddressBook(ULONG_PTR, LPCIID lpInterface, ULONG ulFlags,
                                 LPADRBOOK* lppAdrBook) {
  if (lppAdrBook) *lppAdrBook = nullptr;
  if (auto hr = Fault("IMAPISession::OpenAddressBook", ctx_->profileName, ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppAdrBook) return MAPI_E_INVALID_PARAMETER;
    if (ctx_->loggedOff) return Ended();
    if (ulFlags & ~(AB_NO_DIALOG | MAPI_DEFERRED_ERRORS))
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by the address book.",
                  kComponentMapi);
    if (lpInterface && *lpInterface != IID_IAddrBook && *lpInterface != IID_IMAPIProp &&
        *lpInterface != IID_IUnknown)
      return Fail(MAPI_E_INTERFACE_NOT_SUPPORTED,
                  "The address book does not offer the interface asked for.", kComponentMapi);
    *lppAdrBook = new AddrBook(ctx_);
    return S_OK;
  });
}

HRESULT Session::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                           ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (lppUnk) *lppUnk = nullptr;
  if (lpulObjType) *lpulObjType = 0;
  auto kind = [&] {
    return lpEntryID && cbEntryID ? AbKindOf(ctx_, cbEntryID, lpEntryID) : std::string();
  };
  if (auto hr = Fault("IMAPISession::OpenEntry", kind, ulFlags)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lppUnk) return MAPI_E_INVALID_PARAMETER;
    if (ctx_->loggedOff) return Ended();
    auto id = DecodeEntryId(cbEntryID, lpEntryID);
    if (!id)
      return Fail(MAPI_E_UNKNOWN_ENTRYID, "No provider of this session knows the entry ID.",
                  kComponentMapi);
    std::string error;
    HRESULT hr;
    if (id->kind == EntryKind::Folder) {
      // Folders of the session's own mailbox open through its store.
      hr = OpenFolder(OwnStore(ctx_), cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType,
                      lppUnk, &error);
    } else {
      hr = OpenAbEntry(ctx_, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType, lppUnk,
                       &error);
    }
    return FAILED(hr) ? Fail(hr, error, kComponentMapi) : hr;
  });
}

HRESULT Session::QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) {
  if (lpcbEntryID) *lpcbEntryID = 0;
  if (lppEntryID) *lppEntryID = nullptr;
  if (auto hr = Fault("IMAPISession::QueryIdentity", ctx_->profileName, 0)) return *hr;
  return Guarded(kComponentMapi, [&]() -> HRESULT {
    if (!lpcbEntryID || !lppEntryID) return MAPI_E_INVALID_PARAMETER;
    if (ctx_->loggedOff) return Ended();
    return HandOutEntryId(ctx_->identity.entryId, lpcbEntryID, lppEntryID);
  });
}

HRESULT Session::Logoff(ULONG_PTR, ULONG ulFlags, ULONG) {
  if (auto hr = Fault("IMAPISession::Logoff", ctx_->profileName, ulFlags)) return *hr;
  ctx_->loggedOff = true;
  return S_OK;
}

}  // namespace mapisim
