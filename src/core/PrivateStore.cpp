#include "PrivateStore.h"

#include <cctype>
#include <cstring>
#include <limits>

#include "EDKDEBUG.h"
#include "MAPIVariantProp.h"

namespace core {

HRESULT OpenPrivateStore(IMAPISession* session, bool allowDialogs, bool online,
                         mapi::ComPtr<IMsgStore>* store) {
  store->reset();
  if (session == nullptr) return mapi::EdkLogError(E_INVALIDARG);

  mapi::ComPtr<IMAPITable> table;
  HRESULT hr = session->GetMsgStoresTable(0, mapi::Out(table));
  if (FAILED(hr)) return mapi::EdkLogError(hr);

  SizedSPropTagArray<1> columns{1, {PR_ENTRYID}};
  SPropValue provider{};
  provider.ulPropTag = PR_MDB_PROVIDER;
  provider.Value.bin.cb = sizeof pbExchangeProviderPrimaryUserGuid;
  provider.Value.bin.lpb = const_cast<BYTE*>(pbExchangeProviderPrimaryUserGuid);
  SRestriction restriction{};
  restriction.rt = RES_PROPERTY;
  restriction.res.resProperty.relop = RELOP_EQ;
  restriction.res.resProperty.ulPropTag = PR_MDB_PROVIDER;
  restriction.res.resProperty.lpProp = &provider;

  mapi::RowSetPtr rows;
  hr = mapi::HrQueryAllRows(table.get(), columns.get(), &restriction, nullptr, 0, mapi::Out(rows));
  if (hr == MAPI_E_NOT_FOUND || (SUCCEEDED(hr) && (!rows || rows->cRows == 0)))
    return mapi::EdkLogError(EDK_E_NOT_FOUND);
  if (FAILED(hr)) return mapi::EdkLogError(hr);
  if (rows->cRows != 1) return mapi::EdkLogError(E_FAIL);
  const auto entryId = mapi::PropBinary(mapi::RowProp(rows->aRow[0], 0, PR_ENTRYID), PR_ENTRYID);
  if (!entryId || entryId->empty()) return mapi::EdkLogError(E_FAIL);

  ULONG flags = MAPI_BEST_ACCESS;
  if (!allowDialogs) flags |= MDB_NO_DIALOG;
  if (online) flags |= MDB_ONLINE;
  return session->OpenMsgStore(0, static_cast<ULONG>(entryId->size()),
                               reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(entryId->data())),
                               &IID_IMsgStore, flags, mapi::Out(*store));
}

HRESULT OpenPrivateStoreGui(IMAPISession* session, mapi::ComPtr<IMsgStore>* store) {
  HRESULT hr = OpenPrivateStore(session, true, true, store);
  if (hr == MAPI_E_UNKNOWN_FLAGS) hr = OpenPrivateStore(session, true, false, store);
  return hr;
}

bool ConsoleWantsOnline(const std::string& mapiFileVersion) {
  const std::string major = mapiFileVersion.substr(0, mapiFileVersion.find('.'));
  int number = 10;
  if (!major.empty() && major.size() <= 9 &&
      major.find_first_not_of("0123456789") == std::string::npos)
    number = std::stoi(major);
  return number > 10;
}

HRESULT OpenPrivateStoreConsole(IMAPISession* session, mapi::ComPtr<IMsgStore>* store) {
  return OpenPrivateStore(session, false, ConsoleWantsOnline(mapi::MapiLibraryVersion()), store);
}

}  // namespace core
