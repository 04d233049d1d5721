// Exported MAPI memory functions.
#include "Accounting.h"
#include "Allocator.h"
#include "Export.h"
#include "Faults.h"
#include "PropCopy.h"

using namespace mapisim;

// MAPIAllocateBuffer(cbSize in, lppBuffer out)
//   A new root block of cbSize bytes (0 allowed), 16-byte aligned, in
//   *lppBuffer. Returns S_OK, MAPI_E_NOT_ENOUGH_MEMORY, or
//   MAPI_E_INVALID_PARAMETER for a null lppBuffer. The caller frees it
//   with MAPIFreeBuffer, which also frees its MAPIAllocateMore children.
//   Works before MAPIInitialize, as MAPI's does.
MAPISIM_EXPORT SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  EnsureUnloadHook();
  if (lppBuffer) *lppBuffer = nullptr;
  if (auto hit = CheckFaultNoMatch("MAPIAllocateBuffer", 0)) return hit->hr;
  return AllocateBuffer(cbSize, lppBuffer);
}

// MAPIAllocateMore(cbSize in, lpObject in, lppBuffer out)
//   A block of cbSize bytes, 16-byte aligned, that belongs to lpObject's
//   root block and is freed with it. lpObject may be the root or one of its
//   children. Returns S_OK, MAPI_E_NOT_ENOUGH_MEMORY, or
//   MAPI_E_INVALID_PARAMETER for a null argument or an lpObject that is not
//   a live MAPI block. Never free the result on its own.
MAPISIM_EXPORT SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  EnsureUnloadHook();
  if (lppBuffer) *lppBuffer = nullptr;
  if (auto hit = CheckFaultNoMatch("MAPIAllocateMore", 0)) return hit->hr;
  return AllocateMore(cbSize, lpObject, lppBuffer);
}

// MAPIFreeBuffer(lpBuffer in)
//   Frees a root block with all its children. Null is harmless (S_OK).
//   Differs from MAPI: a child block, or an already freed block that still
//   carries the freed mark, is refused with MAPI_E_INVALID_PARAMETER and
//   nothing is freed, instead of corrupting the heap.
MAPISIM_EXPORT ULONG MAPIFreeBuffer(LPVOID lpBuffer) {
  EnsureUnloadHook();
  if (auto hit = CheckFaultNoMatch("MAPIFreeBuffer", 0)) return static_cast<ULONG>(hit->hr);
  return FreeBuffer(lpBuffer);
}

// FreeProws(lpRows in)
//   Frees every row's property array with MAPIFreeBuffer, then the row set.
//   Null is harmless. Not subject to faults (it cannot report one).
MAPISIM_EXPORT void FreeProws(LPSRowSet lpRows) {
  EnsureUnloadHook();
  FreeRowSet(lpRows);
}

// FreePadrlist(lpAdrList in)
//   Frees every entry's property array with MAPIFreeBuffer, then the list.
//   Null is harmless. Not subject to faults.
MAPISIM_EXPORT void FreePadrlist(LPADRLIST lpAdrList) {
  EnsureUnloadHook();
  if (!lpAdrList) return;
  for (ULONG i = 0; i < lpAdrList->cEntries; ++i) FreeBuffer(lpAdrList->aEntries[i].rgPropVals);
  FreeBuffer(lpAdrList);
}

// ScDupPropset(cValues in, lpPropArray in, lpAllocateBuffer in, lppPropArray out)
//   Copies cValues values, with every text, binary, GUID and multi-valued
//   array they point to, into one block obtained from lpAllocateBuffer, so
//   that one MAPIFreeBuffer frees the copy. Returns S_OK;
//   MAPI_E_INVALID_PARAMETER for a null or empty array, a null allocator or
//   out-pointer, a null pointer where a value's data is due, or a type that
//   cannot be copied; or the allocator's failure.
MAPISIM_EXPORT SCODE ScDupPropset(int cValues, LPSPropValue lpPropArray,
                                  LPALLOCATEBUFFER lpAllocateBuffer, LPSPropValue* lppPropArray) {
  EnsureUnloadHook();
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hit = CheckFaultNoMatch("ScDupPropset", 0)) return hit->hr;
  if (!lppPropArray || !lpAllocateBuffer) return MAPI_E_INVALID_PARAMETER;
  ULONG bytes = 0;
  SCODE sc = CountPropArray(cValues, lpPropArray, &bytes);
  if (FAILED(sc)) return sc;
  void* block = nullptr;
  sc = lpAllocateBuffer(bytes, &block);
  if (FAILED(sc)) return sc;
  if (!block) return MAPI_E_NOT_ENOUGH_MEMORY;
  CopyPropArray(cValues, lpPropArray, block);
  *lppPropArray = static_cast<LPSPropValue>(block);
  return S_OK;
}
