// IExchangeManageStore: the mailbox table of a server, and entry IDs that
// open another mailbox's store with administrative privilege.
#pragma once

#include <string>

#include "SimObject.h"
#include "StoreData.h"

namespace mapisim {

// IExchangeManageStore of a private store. It keeps what it needs of the
// store, so it stays usable after the store is logged off or released.
class ManageStore final : public SimObject<IExchangeManageStore> {
 public:
  explicit ManageStore(StorePtr store) : store_(std::move(store)) {}

  HRESULT CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                             ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
  HRESULT GetMailboxTable(LPSTR lpszServerName, LPMAPITABLE* lppTable, ULONG ulFlags) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IExchangeManageStore; }
  const char* QueryInterfaceCall() const override { return "IExchangeManageStore::QueryInterface"; }
  std::string FaultMatch() const override { return "manage"; }

 private:
  ~ManageStore() override = default;
  StorePtr store_;
};

}  // namespace mapisim
