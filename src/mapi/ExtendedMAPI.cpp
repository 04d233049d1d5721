// The MAPI wrappers: each makes sure the library search has run, looks its
// entry point up by the decorated name on first use and calls it. Missing
// library or entry point: E_FAIL, or nothing for the functions without a
// result.
#include "ExtendedMAPI.h"

#include <limits>

#include "ExtendedMAPI_Search.h"
#include "Win32.h"

namespace mapi {
namespace {

enum Entry {
  kInitialize,
  kLogonEx,
  kAllocateBuffer,
  kAllocateMore,
  kFreeBuffer,
  kAdminProfiles,
  kUninitialize,
  kQueryAllRows,
  kFreeProws,
  kGetOneProp,
  kFreePadrlist,
  kDupPropset,
  kEntryCount
};

constexpr const char* kExportNames[kEntryCount] = {
    "MAPIInitialize@4", "MAPILogonEx@20",      "MAPIAllocateBuffer@8", "MAPIAllocateMore@12",
    "MAPIFreeBuffer@4", "MAPIAdminProfiles@8", "MAPIUninitialize@0",   "HrQueryAllRows@24",
    "FreeProws@4",      "HrGetOneProp@12",     "FreePadrlist@4",       "ScDupPropset@16",
};

// Process-wide binding state: the library is searched for once (the flag
// records that the search ran even when it found nothing).
struct Binding {
  Flavour flavour = Flavour::Gui;
  bool searched = false;
  HMODULE library = nullptr;
  std::string libraryPath;  // the GUI's search keeps the path it loaded
  FARPROC entries[kEntryCount] = {};
};

Binding& State() {
  static Binding binding;
  return binding;
}

HMODULE Library() {
  Binding& b = State();
  if (!b.searched) {
    b.searched = true;
    b.library = b.flavour == Flavour::Gui ? binding::SearchByComponentPath(&b.libraryPath)
                                          : binding::SearchByMessagingSwitch();
  }
  return b.library;
}

// The entry point, cached after its first successful lookup.
template <class Fn>
Fn Bound(Entry entry) {
  HMODULE library = Library();
  if (!library) return nullptr;
  FARPROC& slot = State().entries[entry];
  if (!slot) slot = GetProcAddress(library, kExportNames[entry]);
  return reinterpret_cast<Fn>(slot);
}

ULONG SaturatedSize(std::size_t header, std::size_t perItem, ULONG n) {
  constexpr std::size_t kMax = std::numeric_limits<ULONG>::max();
  if (n > (kMax - header) / perItem) return static_cast<ULONG>(kMax);
  return static_cast<ULONG>(header + perItem * n);
}

}  // namespace

void SetLibrarySearch(Flavour flavour) {
  State().flavour = flavour;
}

HRESULT MAPIInitialize(LPVOID lpMapiInit) {
  auto fn = Bound<LPMAPIINITIALIZE>(kInitialize);
  return fn ? fn(lpMapiInit) : E_FAIL;
}

void MAPIUninitialize() {
  if (auto fn = Bound<LPMAPIUNINITIALIZE>(kUninitialize)) fn();
}

HRESULT MAPILogonEx(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword, ULONG ulFlags,
                    LPMAPISESSION* lppSession) {
  if (lppSession) *lppSession = nullptr;
  auto fn = Bound<LPMAPILOGONEX>(kLogonEx);
  return fn ? fn(ulUIParam, lpszProfileName, lpszPassword, ulFlags, lppSession) : E_FAIL;
}

HRESULT MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) {
  if (lppProfAdmin) *lppProfAdmin = nullptr;
  auto fn = Bound<LPMAPIADMINPROFILES>(kAdminProfiles);
  return fn ? fn(ulFlags, lppProfAdmin) : E_FAIL;
}

SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  auto fn = Bound<LPALLOCATEBUFFER>(kAllocateBuffer);
  return fn ? fn(cbSize, lppBuffer) : E_FAIL;
}

SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  auto fn = Bound<LPALLOCATEMORE>(kAllocateMore);
  return fn ? fn(cbSize, lpObject, lppBuffer) : E_FAIL;
}

ULONG MAPIFreeBuffer(LPVOID lpBuffer) {
  auto fn = Bound<LPFREEBUFFER>(kFreeBuffer);
  return fn ? fn(lpBuffer) : static_cast<ULONG>(E_FAIL);
}

HRESULT HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                       LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet, LONG crowsMax,
                       LPSRowSet* lppRows) {
  auto fn = Bound<LPHRQUERYALLROWS>(kQueryAllRows);
  return fn ? fn(lpTable, lpPropTags, lpRestriction, lpSortOrderSet, crowsMax, lppRows) : E_FAIL;
}

void FreeProws(LPSRowSet lpRows) {
  if (auto fn = Bound<LPFREEPROWS>(kFreeProws)) fn(lpRows);
}

HRESULT HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp) {
  auto fn = Bound<LPHRGETONEPROP>(kGetOneProp);
  return fn ? fn(lpMapiProp, ulPropTag, lppProp) : E_FAIL;
}

void FreePadrlist(LPADRLIST lpAdrList) {
  if (auto fn = Bound<LPFREEPADRLIST>(kFreePadrlist)) fn(lpAdrList);
}

SCODE ScDupPropset(int cValues, LPSPropValue lpPropArray, LPALLOCATEBUFFER lpAllocateBuffer,
                   LPSPropValue* lppPropArray) {
  auto fn = Bound<LPSCDUPPROPSET>(kDupPropset);
  return fn ? fn(cValues, lpPropArray, lpAllocateBuffer, lppPropArray) : E_FAIL;
}

// The sizes of this platform's structures, not those of 32-bit Windows
// (16 bytes a value, 12 an address entry), which would under-allocate here.
// A count too large for a 32-bit size saturates, so the allocation fails
// instead of wrapping round to a small block.
ULONG CbPropValues(ULONG n) {
  return SaturatedSize(0, sizeof(SPropValue), n);
}

ULONG CbAdrList(ULONG n) {
  return SaturatedSize(offsetof(ADRLIST, aEntries), sizeof(ADRENTRY), n);
}

void* LoadedMapiModule() {
  return State().library;
}

void ResetLibraryBindingForTesting() {
  Binding& b = State();
  if (b.library) FreeLibrary(b.library);
  Flavour flavour = b.flavour;
  b = Binding{};
  b.flavour = flavour;
}

}  // namespace mapi
