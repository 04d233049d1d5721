// IMsgStore: the session's own private store, a mailbox opened with an
// administrative entry ID, or a server's public folders.
#pragma once

#include <string>

#include "SimObject.h"
#include "StoreData.h"

namespace mapisim {

class MsgStore final : public SimObject<IMsgStore> {
 public:
  explicit MsgStore(StorePtr store);

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                   LPSPropValue* lppPropArray) override;
  HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                    ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
  HRESULT StoreLogoff(ULONG* lpulFlags) override;

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IMsgStore || riid == IID_IMAPIProp;
  }
  const char* QueryInterfaceCall() const override { return "IMsgStore::QueryInterface"; }
  std::string FaultMatch() const override { return store_->faultName; }

 private:
  ~MsgStore() override = default;
  HRESULT LoggedOff();

  StorePtr store_;
  bool loggedOff_ = false;
};

}  // namespace mapisim
