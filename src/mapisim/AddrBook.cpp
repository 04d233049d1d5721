#include "AbEntries.h"
#include "AddressBook.h"

namespace mapisim {

HRESULT AddrBook::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPIProp::GetLastError", "addrbook", ulFlags, lppMAPIError);
}

HRESULT AddrBook::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray) {
  if (lpcValues) *lpcValues = 0;
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hr = Fault("IMAPIProp::GetProps", "addrbook", ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    const PropCell props[] = {LongCell(PR_OBJECT_TYPE, MAPI_ADDRBOOK)};
    return AnswerGetProps(props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  });
}

HRESULT AddrBook::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (lppUnk) *lppUnk = nullptr;
  if (lpulObjType) *lpulObjType = 0;
  auto kind = [&] { return AbKindOf(session_, cbEntryID, lpEntryID); };
  if (auto hr = Fault("IAddrBook::OpenEntry", kind, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    if (!lppUnk) return MAPI_E_INVALID_PARAMETER;
    std::string error;
    HRESULT hr = OpenAbEntry(session_, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType,
                             lppUnk, &error);
    return FAILED(hr) ? Fail(hr, error, kComponentDirectory) : hr;
  });
}

}  // namespace mapisim
