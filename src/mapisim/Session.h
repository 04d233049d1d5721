// IMAPISession of a logon.
#pragma once

#include <string>

#include "SessionContext.h"
#include "SimObject.h"

namespace mapisim {

class Session final : public SimObject<IMAPISession> {
 public:
  explicit Session(SessionPtr context);

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                       LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) override;
  HRESULT OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags,
                          LPADRBOOK* lppAdrBook) override;
  HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                    ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
  HRESULT QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
  HRESULT Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IMAPISession; }
  const char* QueryInterfaceCall() const override { return "IMAPISession::QueryInterface"; }
  std::string FaultMatch() const override { return ctx_->profileName; }

 private:
  ~Session() override;
  HRESULT Ended();

  SessionPtr ctx_;
};

}  // namespace mapisim
