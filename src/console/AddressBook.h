// The address-book pass: the session's address book and the Exchange
// global address list, opened once after logon, and the resolution of a
// mailbox's address to the Windows account that owns it.
#pragma once

#include <ostream>
#include <string>

#include "ExtendedMAPI.h"
#include "MapiPtr.h"

namespace console {

// Opens the address book and the global address list into the two owners;
// writes its failures to `out` (they are not logged). True when both are
// open. Whatever was opened stays in the owners for the caller to release.
bool OpenGlobalAddressList(IMAPISession* session, mapi::ComPtr<IAddrBook>* addressBook,
                           mapi::ComPtr<IMAPIContainer>* gal, std::ostream& out);

// Finds the entry identifier of the global address list in the address
// book's root hierarchy. EDK_E_NOT_FOUND for no row or several, E_FAIL for a
// root of another type or a row of another shape; failures also go to
// EdkLogError.
HRESULT FindGalEntryId(IAddrBook* addressBook, mapi::MapiBuffer<ENTRYID>* entryId, ULONG* size);

// "DOMAIN\account" of the mailbox whose Exchange address is `emailAddress`,
// or an empty text; every obstacle is written to `out` as a warning. With
// no global address list the resolution fails like an unknown address.
std::string ResolveOwnerAccount(IAddrBook* addressBook, IMAPIContainer* gal,
                                const std::string& emailAddress, const std::string& lookupServer,
                                std::ostream& out);

// LookupAccountSidA with buffers of 64 characters, retried once with the
// sizes the lookup asks for when a name is longer. Empty when the account
// cannot be found.
std::string LookupAccountText(const std::string& lookupServer, const void* sid);

}  // namespace console
