// Exchange naming and store routines shared by the windows: splitting and
// rewriting legacy distinguished names (DNs), reading one property, opening
// the session's identity, opening another user's mailbox store and logging
// a store off. Every routine returning an HRESULT passes each failure
// through EdkLogError before returning it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "MapiPtr.h"

namespace mapi {

// --- Distinguished names -------------------------------------------------
// For /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB:

// The text up to the first "/" that begins neither "/o=" nor "/ou=" (case
// ignored), or the whole text: /o=Org/ou=Site.
std::string OrgSitePrefix(std::string_view dn);
// The text up to the first "/" from the fourth character on, or the whole
// text: /o=Org.
std::string OrgPart(std::string_view dn);
// Without the prefix and "/cn=Configuration/cn=Servers/cn=", then without
// the first "/cn=Microsoft Private MDB" (exact case): SRV01.
std::string ServerNameFromMdbDn(std::string_view dn);
// Without the first "/cn=Microsoft Private MDB": the server's DN.
std::string ServerDnFromMdbDn(std::string_view dn);
// As ServerNameFromMdbDn, removing "/cn=Microsoft MTA" instead.
std::string ServerNameFromMtaDn(std::string_view dn);

// Two upper-case hexadecimal digits per byte, no separators.
std::string BytesToHex(const void* bytes, std::size_t count);

// --- Properties and stores -----------------------------------------------

// A copy of `size` bytes in a new MAPI buffer of at least one byte. Returns
// MAPIAllocateBuffer's code; `copy` owns whatever it handed out, and holds
// the bytes only when it succeeded with a buffer. Callers map a failure, or
// a success without a buffer, to their own code.
template <class T>
HRESULT CopyToMapiBuffer(const void* bytes, ULONG size, MapiBuffer<T>* copy) {
  const HRESULT hr = MAPIAllocateBuffer(std::max<ULONG>(size, 1), Out(*copy));
  if (SUCCEEDED(hr) && *copy && size) std::memcpy(copy->get(), bytes, size);
  return hr;
}

// OpenEntry with MAPI_BEST_ACCESS | MAPI_NO_CACHE, once more with
// MAPI_BEST_ACCESS alone when the provider refuses the flags. Returns the
// last call's code; `object` holds what it opened.
template <class Source, class Owner>
HRESULT OpenEntryBestAccess(Source* source, ULONG cbEntryId, LPENTRYID entryId, LPCIID iid,
                            ULONG* objectType, Owner& object) {
  HRESULT hr = source->OpenEntry(cbEntryId, entryId, iid, MAPI_BEST_ACCESS | MAPI_NO_CACHE,
                                 objectType, Out(object));
  if (hr == MAPI_E_UNKNOWN_FLAGS)
    hr = source->OpenEntry(cbEntryId, entryId, iid, MAPI_BEST_ACCESS, objectType, Out(object));
  return hr;
}

// The session's identity (QueryIdentity, then OpenEntry as IMAPIProp with
// MAPI_BEST_ACCESS | MAPI_NO_CACHE, once more without MAPI_NO_CACHE when the
// provider refuses the flags). No session: E_INVALIDARG.
HRESULT OpenIdentity(LPMAPISESSION session, ComPtr<IMAPIProp>* identity);

// One 8-bit or wide string property as a new MAPI buffer holding the text
// with its terminator, and the buffer's size in bytes. A missing property
// gives MAPI_E_NOT_FOUND, another per-value error or a failed call E_FAIL, a
// failed allocation E_OUTOFMEMORY; no object or a tag of another type
// E_INVALIDARG.
HRESULT GetOnePropText(LPMAPIPROP object, ULONG propTag, MapiBuffer<BYTE>* value, ULONG* size);

// PR_IPM_SUBTREE_ENTRYID of a store as a new MAPI buffer and its size.
// Missing: MAPI_E_NOT_FOUND; another per-value error, a value of another
// tag or a failed call: E_FAIL; a failed allocation E_OUTOFMEMORY; no store
// E_INVALIDARG.
HRESULT GetIpmSubtreeId(LPMDB store, MapiBuffer<ENTRYID>* entryId, ULONG* size);

// Opens a mailbox store with administrator rights through the private
// store's IExchangeManageStore: `mailboxDn` absent opens the public store.
HRESULT OpenMailboxStore(LPMAPISESSION session, LPMDB privateStore, const std::string& serverMdbDn,
                         const std::optional<std::string>& mailboxDn, ComPtr<IMsgStore>* store);

// StoreLogoff(LOGOFF_NO_WAIT); on success releases the store (the owner is
// emptied), on failure leaves it with the caller.
HRESULT StoreLogoffAndRelease(ComPtr<IMsgStore>& store);

}  // namespace mapi
