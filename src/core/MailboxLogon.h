// The details window's way into one mailbox: through the profile's own
// private store with administrator privilege, for the length of one walk.
#pragma once

#include <string>

#include "ExtendedMAPI.h"
#include "MapiPtr.h"

namespace core {

// What every walk borrows from the details window; none of it is owned here.
struct MailboxSource {
  IMAPISession* session = nullptr;
  IMsgStore* privateStore = nullptr;  // the profile's Exchange private store
  std::string privateMdbDn;           // server DN + "/cn=Microsoft Private MDB"
};

// The server DN followed by "/cn=Microsoft Private MDB".
std::string PrivateMdbDn(const std::string& serverDn);

// A mailbox store logged on with MDB_TEMPORARY | MDB_NO_MAIL and logged off
// with LOGOFF_NO_WAIT (then released) when the owner goes, on every path.
class LoggedOnMailbox {
 public:
  LoggedOnMailbox() = default;
  ~LoggedOnMailbox();
  LoggedOnMailbox(const LoggedOnMailbox&) = delete;
  LoggedOnMailbox& operator=(const LoggedOnMailbox&) = delete;

  // CreateStoreEntryID (admin privilege, take ownership) and OpenMsgStore.
  HRESULT LogOn(const MailboxSource& source, const std::string& mailboxDn);
  IMsgStore* get() const { return store_.get(); }

 private:
  mapi::ComPtr<IMsgStore> store_;
};

// The details window's private store: the message-store table's Exchange
// private store opened with MDB_ONLINE | MAPI_BEST_ACCESS | MDB_NO_DIALOG,
// once more without MDB_ONLINE when the provider refuses the flags. No such
// store gives 0x800B0001, a row of another shape E_FAIL.
HRESULT OpenDetailsPrivateStore(IMAPISession* session, mapi::ComPtr<IMsgStore>* store);

}  // namespace core
