#include "MailboxLogon.h"

#include "MAPIUtils.h"
#include "PrivateStore.h"

namespace core {

std::string PrivateMdbDn(const std::string& serverDn) {
  return serverDn + "/cn=Microsoft Private MDB";
}

LoggedOnMailbox::~LoggedOnMailbox() {
  if (!store_) return;
  ULONG flags = LOGOFF_NO_WAIT;
  store_->StoreLogoff(&flags);
  // Released whether or not the logoff succeeded: the walk is over.
}

HRESULT LoggedOnMailbox::LogOn(const MailboxSource& source, const std::string& mailboxDn) {
  HRESULT hr = mapi::OpenMailboxStore(source.session, source.privateStore, source.privateMdbDn,
                                      mailboxDn, &store_);
  if (SUCCEEDED(hr) && !store_) hr = E_FAIL;
  return hr;
}

HRESULT OpenDetailsPrivateStore(IMAPISession* session, mapi::ComPtr<IMsgStore>* store) {
  HRESULT hr = OpenPrivateStore(session, false, true, store);
  if (hr == MAPI_E_UNKNOWN_FLAGS) hr = OpenPrivateStore(session, false, false, store);
  if (SUCCEEDED(hr) && !*store) hr = E_FAIL;
  if (FAILED(hr)) store->reset();
  return hr;
}

}  // namespace core
