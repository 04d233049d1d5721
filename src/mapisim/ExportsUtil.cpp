// Exported MAPI utility functions over tables and properties.
#include <cstdio>
#include <string>

#include "Accounting.h"
#include "Allocator.h"
#include "Export.h"
#include "Faults.h"
#include "Table.h"

using namespace mapisim;

// HrQueryAllRows(lpTable in, lpPropTags in, lpRestriction in, lpSortOrderSet in,
//                crowsMax in, lppRows out)
//   Through the table's own methods: SetColumns (when lpPropTags is given),
//   Restrict (when lpRestriction is given), SortTable (when lpSortOrderSet
//   is given), then QueryRows for every row from the cursor on (a fresh,
//   restricted or sorted table is at its beginning). crowsMax 0 means no
//   limit; with more rows than crowsMax nothing is returned and the result
//   is MAPI_E_TABLE_TOO_BIG. Returns S_OK with a row set for FreeProws
//   (possibly of 0 rows), MAPI_E_INVALID_PARAMETER for a null table or
//   out-pointer or a negative crowsMax, or the failing method's code.
//   Fault match: the table kind ("" for a table that is not this library's).
MAPISIM_EXPORT HRESULT HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                      LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet,
                                      LONG crowsMax, LPSRowSet* lppRows) {
  EnsureUnloadHook();
  if (lppRows) *lppRows = nullptr;
  auto* ours = dynamic_cast<Table*>(lpTable);
  if (auto hit = CheckFault("HrQueryAllRows", ours ? std::string_view(ours->Kind()) : "", 0))
    return hit->hr;
  if (!lpTable || !lppRows || crowsMax < 0) return MAPI_E_INVALID_PARAMETER;
  HRESULT hr = S_OK;
  if (lpPropTags) hr = lpTable->SetColumns(lpPropTags, 0);
  if (SUCCEEDED(hr) && lpRestriction) hr = lpTable->Restrict(lpRestriction, 0);
  if (SUCCEEDED(hr) && lpSortOrderSet) hr = lpTable->SortTable(lpSortOrderSet, 0);
  if (FAILED(hr)) return hr;
  // One row more than allowed tells a table that is too big.
  const LONG ask = crowsMax > 0 && crowsMax < 0x7FFFFFFF ? crowsMax + 1 : 0x7FFFFFFF;
  LPSRowSet rows = nullptr;
  hr = lpTable->QueryRows(ask, 0, &rows);
  if (FAILED(hr)) return hr;
  if (crowsMax > 0 && rows && rows->cRows > static_cast<ULONG>(crowsMax)) {
    FreeRowSet(rows);
    return MAPI_E_TABLE_TOO_BIG;
  }
  *lppRows = rows;
  return S_OK;
}

// HrGetOneProp(lpMapiProp in, ulPropTag in, lppProp out)
//   GetProps of that one tag. A value that came back as an error gives that
//   error's code (for example MAPI_E_NOT_FOUND) and nothing in *lppProp;
//   otherwise S_OK and the value in one MAPI block for MAPIFreeBuffer.
//   MAPI_E_INVALID_PARAMETER for null arguments; GetProps' own failures are
//   returned as they are. Fault match: the tag as 8 upper-case hex digits.
MAPISIM_EXPORT HRESULT HrGetOneProp(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp) {
  EnsureUnloadHook();
  if (lppProp) *lppProp = nullptr;
  auto tagText = [ulPropTag] {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", ulPropTag);
    return std::string(text);
  };
  if (auto hit = CheckFault("HrGetOneProp", tagText, 0)) return hit->hr;
  if (!lpMapiProp || !lppProp) return MAPI_E_INVALID_PARAMETER;
  SizedSPropTagArray<1> tags{1, {ulPropTag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = lpMapiProp->GetProps(tags.get(), 0, &count, &values);
  if (FAILED(hr)) return hr;
  if (!values || count != 1 || PROP_TYPE(values[0].ulPropTag) == PT_ERROR) {
    const HRESULT err = values && count == 1 ? values[0].Value.err : MAPI_E_NOT_FOUND;
    FreeBuffer(values);
    return err;
  }
  *lppProp = values;
  return S_OK;
}
