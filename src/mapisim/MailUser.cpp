#include "AddressBook.h"

namespace mapisim {

HRESULT MailUser::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPIProp::GetLastError", kind_, ulFlags, lppMAPIError);
}

HRESULT MailUser::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray) {
  if (lpcValues) *lpcValues = 0;
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hr = Fault("IMAPIProp::GetProps", kind_, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    const std::vector<PropCell> props = MailUserProps(data_);
    return AnswerGetProps(props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  });
}

}  // namespace mapisim
