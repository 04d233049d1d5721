// Typed access to the tagged values of a MAPI row or property array.
//
// A value is taken only when its tag equals the requested tag exactly: a
// column that the provider could not supply comes back with the same
// property identifier but the error type, and must read as absent, never as
// a number or a pointer of the wrong kind.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "MAPIDefs.h"

namespace mapi {

// The value at `index` of an array of `count` values, or null when the
// array is shorter or its tag is not `tag`.
const SPropValue* PropWithTag(const SPropValue* values, ULONG count, ULONG index, ULONG tag);
// The same for a row.
const SPropValue* RowProp(const SRow& row, ULONG index, ULONG tag);
// The first of `count` values whose tag is `tag`, wherever it stands; null
// when there is none (or no array).
const SPropValue* FindProp(const SPropValue* values, ULONG count, ULONG tag);
const SPropValue* FindProp(const SRow& row, ULONG tag);

// Each accessor answers only for a value of its own property type whose tag
// is `tag`; anything else (absent, error type, other type) is nullopt.
std::optional<std::string_view> PropString8(const SPropValue* value, ULONG tag);
std::optional<std::int32_t> PropLong(const SPropValue* value, ULONG tag);
std::optional<std::int64_t> PropI8(const SPropValue* value, ULONG tag);
std::optional<bool> PropBoolean(const SPropValue* value, ULONG tag);
std::optional<FILETIME> PropSysTime(const SPropValue* value, ULONG tag);
std::optional<std::span<const BYTE>> PropBinary(const SPropValue* value, ULONG tag);
// The error code of a value of error type with the identifier of `tag`.
std::optional<SCODE> PropError(const SPropValue* value, ULONG tag);

}  // namespace mapi
