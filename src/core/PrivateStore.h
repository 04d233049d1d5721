// Opening the logged-on user's own Exchange private store.
#pragma once

#include <string>

#include "ExtendedMAPI.h"
#include "MapiPtr.h"

namespace core {

// Finds the private store in the session's message-store table (the row
// whose PR_MDB_PROVIDER is the Exchange private-store provider) and opens it
// with MAPI_BEST_ACCESS, plus MDB_NO_DIALOG when dialogs are not allowed and
// MDB_ONLINE when online is asked. No such store gives EDK_E_NOT_FOUND, a
// result of any other shape E_FAIL; table failures are returned unchanged.
// Failures of the search also go to EdkLogError.
HRESULT OpenPrivateStore(IMAPISession* session, bool allowDialogs, bool online,
                         mapi::ComPtr<IMsgStore>* store);

// The GUI's form: dialogs allowed, online asked, and once more without
// MDB_ONLINE when the provider answers MAPI_E_UNKNOWN_FLAGS.
HRESULT OpenPrivateStoreGui(IMAPISession* session, mapi::ComPtr<IMsgStore>* store);

// Whether the console asks for MDB_ONLINE: the number before the first full
// stop of the MAPI library's file version is above 10 (10 when there is no
// number).
bool ConsoleWantsOnline(const std::string& mapiFileVersion);

// The console's form: no dialogs, online by the loaded library's version, no
// retry.
HRESULT OpenPrivateStoreConsole(IMAPISession* session, mapi::ComPtr<IMsgStore>* store);

}  // namespace core
