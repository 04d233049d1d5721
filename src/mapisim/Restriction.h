// Restrictions and sort orders over rows of property values: a caller's
// SRestriction is checked and copied once (Restrict), then evaluated for
// every row; sort keys compare rows.
#pragma once

#include <span>
#include <vector>

#include "MAPIDefs.h"
#include "PropValues.h"

namespace mapisim {

struct CompiledRestriction {
  ULONG rt = RES_AND;
  ULONG relop = RELOP_EQ;
  ULONG tag = 0;    // RES_PROPERTY, RES_EXIST
  OwnedProp value;  // RES_PROPERTY; 8-bit texts also for PT_UNICODE values
  std::vector<CompiledRestriction> children;  // RES_AND, RES_OR, RES_NOT (one)
};

// Nesting deeper than this is refused as too complex.
constexpr int kMaxRestrictionDepth = 64;

// S_OK; MAPI_E_INVALID_PARAMETER for a malformed restriction (null
// pointers, too many terms); MAPI_E_TOO_COMPLEX for kinds, relations and
// value types this provider does not evaluate (RES_CONTENT, RES_BITMASK,
// RES_SIZE, RES_COMPAREPROPS, RES_SUBRESTRICTION, RELOP_RE, multi-valued
// and floating-point values).
HRESULT CompileRestriction(const SRestriction* res, CompiledRestriction* out);

// RES_PROPERTY holds when the row has a value of the identifier and type
// of the restriction's value and the relation holds between them (a row
// without such a value never matches); RES_EXIST when it has any non-error
// value of the identifier. Texts compare without regard to case (ASCII
// letters), binaries byte by byte with the shorter first on a common prefix.
bool Evaluate(const CompiledRestriction& res, std::span<const PropCell> row);

// Compares two values of the same type as above.
int CompareValues(const PropCell& a, const PropCell& b);

struct SortKey {
  ULONG tag = 0;
  bool descending = false;
};

// Row order for sort keys: a row without a value for a key comes first in
// ascending order and last in descending order.
int CompareRows(std::span<const PropCell> a, std::span<const PropCell> b,
                std::span<const SortKey> keys);

}  // namespace mapisim
