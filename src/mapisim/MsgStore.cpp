#include "MsgStore.h"

#include "EntryIds.h"
#include "Folder.h"
#include "ManageStore.h"

namespace mapisim {

namespace {
constexpr ULONG LOGOFF_COMPLETE = 0x00010000;
}  // namespace

MsgStore::MsgStore(StorePtr store) : store_(std::move(store)) {}

HRESULT MsgStore::LoggedOff() {
  return Fail(MAPI_E_END_OF_SESSION, "The store has been logged off.", kComponentStore);
}

HRESULT MsgStore::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return MAPI_E_INVALID_PARAMETER;
  *ppv = nullptr;
  if (riid != IID_IExchangeManageStore) return SimObject::QueryInterface(riid, ppv);
  if (auto hr = Fault("IMsgStore::QueryInterface", store_->faultName, 0)) return *hr;
  if (store_->kind == StoreKind::Public)
    return Fail(MAPI_E_INTERFACE_NOT_SUPPORTED,
                "The public folder store cannot be managed through this interface.",
                kComponentStore);
  *ppv = static_cast<IExchangeManageStore*>(new ManageStore(store_));
  return S_OK;
}

HRESULT MsgStore::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPIProp::GetLastError", "store", ulFlags, lppMAPIError);
}

HRESULT MsgStore::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray) {
  if (lpcValues) *lpcValues = 0;
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hr = Fault("IMAPIProp::GetProps", "store", ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (loggedOff_) return LoggedOff();
    const bool isPublic = store_->kind == StoreKind::Public;
    const std::string name =
        isPublic ? "Public Folders" : "Mailbox - " + MailboxDisplayName(*store_->mailbox);
    std::string subtree;
    if (!isPublic)
      if (auto top = store_->db->TopFolder(store_->mailboxId))
        subtree = FolderEntryId(store_->mailboxId, top->id);
    std::vector<PropCell> props = {
        BinaryCell(PR_ENTRYID, store_->entryId),
        TextCell(PR_DISPLAY_NAME, name),
        BinaryCell(PR_MDB_PROVIDER, isPublic ? AsBytes(pbExchangeProviderPublicGuid, 16)
                                             : AsBytes(pbExchangeProviderPrimaryUserGuid, 16)),
        LongCell(PR_OBJECT_TYPE, MAPI_STORE),
        BoolCell(PR_DEFAULT_STORE, store_->kind == StoreKind::Own),
    };
    if (!subtree.empty()) props.push_back(BinaryCell(PR_IPM_SUBTREE_ENTRYID, subtree));
    return AnswerGetProps(props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  });
}

HRESULT MsgStore::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (lppUnk) *lppUnk = nullptr;
  if (lpulObjType) *lpulObjType = 0;
  auto kind = [&] { return FolderKindOf(cbEntryID, lpEntryID); };
  if (auto hr = Fault("IMsgStore::OpenEntry", kind, ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppUnk) return MAPI_E_INVALID_PARAMETER;
    if (loggedOff_) return LoggedOff();
    std::string error;
    HRESULT hr =
        OpenFolder(store_, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType, lppUnk, &error);
    return FAILED(hr) ? Fail(hr, error, kComponentStore) : hr;
  });
}

HRESULT MsgStore::StoreLogoff(ULONG* lpulFlags) {
  const ULONG flags = lpulFlags ? *lpulFlags : 0;
  if (auto hr = Fault("IMsgStore::StoreLogoff", store_->faultName, flags)) return *hr;
  if (!lpulFlags) return MAPI_E_INVALID_PARAMETER;
  loggedOff_ = true;
  *lpulFlags = LOGOFF_COMPLETE;
  return S_OK;
}

}  // namespace mapisim
