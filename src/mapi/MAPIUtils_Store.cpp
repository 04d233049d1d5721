// Reading single properties, opening the identity and administratively
// opened mailbox stores.
#include <cstring>

#include "EDKDEBUG.h"
#include "MAPIUtils.h"

namespace mapi {
namespace {

// The value's own error when GetProps answered with per-value errors.
HRESULT PerValueError(const SPropValue* value, ULONG count) {
  if (value && count >= 1 && PROP_TYPE(value->ulPropTag) == PT_ERROR &&
      value->Value.err == MAPI_E_NOT_FOUND)
    return MAPI_E_NOT_FOUND;
  return E_FAIL;
}

std::size_t WideLength(const WCHAR* text) {
  std::size_t n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

HRESULT OpenIdentity(LPMAPISESSION session, ComPtr<IMAPIProp>* identity) {
  if (identity) identity->reset();
  if (!session || !identity) return EdkLogError(E_INVALIDARG);

  ULONG cbEntryId = 0;
  MapiBuffer<ENTRYID> entryId;
  HRESULT hr = session->QueryIdentity(&cbEntryId, Out(entryId));
  if (FAILED(hr)) return EdkLogError(hr);

  ULONG objectType = 0;
  hr = OpenEntryBestAccess(session, cbEntryId, entryId.get(), &IID_IMAPIProp, &objectType,
                           *identity);
  if (FAILED(hr)) {
    identity->reset();
    return EdkLogError(hr);
  }
  return hr;
}

HRESULT GetOnePropText(LPMAPIPROP object, ULONG propTag, MapiBuffer<BYTE>* value, ULONG* size) {
  if (value) value->reset();
  if (size) *size = 0;
  const ULONG type = PROP_TYPE(propTag);
  if (!object || !value || !size || (type != PT_STRING8 && type != PT_UNICODE))
    return EdkLogError(E_INVALIDARG);

  SizedSPropTagArray<1> tags{1, {propTag}};
  ULONG count = 0;
  MapiBuffer<SPropValue> props;
  HRESULT hr = object->GetProps(tags.get(), 0, &count, Out(props));
  if (hr == MAPI_W_ERRORS_RETURNED) return EdkLogError(PerValueError(props.get(), count));
  if (FAILED(hr) || !props || count < 1 || props->ulPropTag != propTag) return EdkLogError(E_FAIL);

  const void* text = nullptr;
  std::size_t bytes = 0;
  if (type == PT_STRING8 && props->Value.lpszA) {
    text = props->Value.lpszA;
    bytes = std::strlen(props->Value.lpszA) + 1;
  } else if (type == PT_UNICODE && props->Value.lpszW) {
    text = props->Value.lpszW;
    bytes = (WideLength(props->Value.lpszW) + 1) * sizeof(WCHAR);
  }
  if (!text || bytes > 0xFFFFFFFFu) return EdkLogError(E_FAIL);

  hr = CopyToMapiBuffer(text, static_cast<ULONG>(bytes), value);
  if (FAILED(hr) || !*value) return EdkLogError(E_OUTOFMEMORY);
  *size = static_cast<ULONG>(bytes);
  return S_OK;
}

HRESULT GetIpmSubtreeId(LPMDB store, MapiBuffer<ENTRYID>* entryId, ULONG* size) {
  if (entryId) entryId->reset();
  if (size) *size = 0;
  if (!store || !entryId || !size) return EdkLogError(E_INVALIDARG);

  SizedSPropTagArray<1> tags{1, {PR_IPM_SUBTREE_ENTRYID}};
  ULONG count = 0;
  MapiBuffer<SPropValue> props;
  HRESULT hr = store->GetProps(tags.get(), 0, &count, Out(props));
  // A per-value error is a failure here: the caller gets no identifier, so
  // it must not see a success code.
  if (hr == MAPI_W_ERRORS_RETURNED) return EdkLogError(PerValueError(props.get(), count));
  if (FAILED(hr)) return EdkLogError(hr);
  if (!props || count < 1 || props->ulPropTag != PR_IPM_SUBTREE_ENTRYID ||
      (props->Value.bin.cb && !props->Value.bin.lpb))
    return EdkLogError(E_FAIL);

  hr = CopyToMapiBuffer(props->Value.bin.lpb, props->Value.bin.cb, entryId);
  if (FAILED(hr) || !*entryId) return EdkLogError(E_OUTOFMEMORY);
  *size = props->Value.bin.cb;
  return S_OK;
}

HRESULT OpenMailboxStore(LPMAPISESSION session, LPMDB privateStore, const std::string& serverMdbDn,
                         const std::optional<std::string>& mailboxDn, ComPtr<IMsgStore>* store) {
  if (store) store->reset();
  if (!session || !privateStore || !store) return EdkLogError(E_INVALIDARG);

  ComPtr<IExchangeManageStore> manageStore;
  HRESULT hr = privateStore->QueryInterface(IID_IExchangeManageStore, Out(manageStore));
  if (FAILED(hr)) return EdkLogError(hr);
  if (!manageStore) return EdkLogError(E_FAIL);

  std::string storeDn = serverMdbDn;
  std::string mailbox = mailboxDn.value_or(std::string());
  ULONG flags = OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_TAKE_OWNERSHIP;
  if (!mailboxDn) flags |= OPENSTORE_PUBLIC;
  ULONG cbEntryId = 0;
  MapiBuffer<ENTRYID> entryId;
  hr = manageStore->CreateStoreEntryID(storeDn.data(), mailboxDn ? mailbox.data() : nullptr, flags,
                                       &cbEntryId, Out(entryId));
  if (FAILED(hr)) return EdkLogError(hr);

  hr = session->OpenMsgStore(0, cbEntryId, entryId.get(), &IID_IMsgStore,
                             MDB_NO_MAIL | MDB_TEMPORARY | MAPI_BEST_ACCESS | MDB_NO_DIALOG,
                             Out(*store));
  if (FAILED(hr)) {
    store->reset();
    return EdkLogError(hr);
  }
  return hr;
}

HRESULT StoreLogoffAndRelease(ComPtr<IMsgStore>& store) {
  if (!store) return EdkLogError(E_INVALIDARG);
  ULONG flags = LOGOFF_NO_WAIT;
  HRESULT hr = store->StoreLogoff(&flags);
  if (FAILED(hr)) return EdkLogError(hr);
  store.reset();
  return hr;
}

}  // namespace mapi
