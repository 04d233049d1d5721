// Deep copies of caller-made property arrays into one block (ScDupPropset).
#pragma once

#include "MAPIDefs.h"

namespace mapisim {

// Bytes one block needs for the array and everything its values point to;
// MAPI_E_INVALID_PARAMETER for a value of a type that cannot be copied or a
// null pointer where data is due.
SCODE CountPropArray(int cValues, const SPropValue* props, ULONG* bytes);

// Copies into `block`, which holds at least CountPropArray bytes.
void CopyPropArray(int cValues, const SPropValue* props, void* block);

}  // namespace mapisim
