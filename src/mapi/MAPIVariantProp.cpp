#include "MAPIVariantProp.h"

namespace mapi {

namespace {

bool Matches(const SPropValue* value, ULONG tag, ULONG type) {
  return value != nullptr && PROP_TYPE(tag) == type && value->ulPropTag == tag;
}

}  // namespace

const SPropValue* PropWithTag(const SPropValue* values, ULONG count, ULONG index, ULONG tag) {
  if (values == nullptr || index >= count) return nullptr;
  return values[index].ulPropTag == tag ? &values[index] : nullptr;
}

const SPropValue* RowProp(const SRow& row, ULONG index, ULONG tag) {
  return PropWithTag(row.lpProps, row.cValues, index, tag);
}

const SPropValue* FindProp(const SPropValue* values, ULONG count, ULONG tag) {
  for (ULONG i = 0; values != nullptr && i < count; ++i)
    if (values[i].ulPropTag == tag) return &values[i];
  return nullptr;
}

const SPropValue* FindProp(const SRow& row, ULONG tag) {
  return FindProp(row.lpProps, row.cValues, tag);
}

std::optional<std::string_view> PropString8(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_STRING8)) return std::nullopt;
  if (value->Value.lpszA == nullptr) return std::string_view();
  return std::string_view(value->Value.lpszA);
}

std::optional<std::int32_t> PropLong(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_LONG)) return std::nullopt;
  return value->Value.l;
}

std::optional<std::int64_t> PropI8(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_I8)) return std::nullopt;
  return value->Value.li;
}

std::optional<bool> PropBoolean(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_BOOLEAN)) return std::nullopt;
  return value->Value.b != 0;
}

std::optional<FILETIME> PropSysTime(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_SYSTIME)) return std::nullopt;
  return value->Value.ft;
}

std::optional<std::span<const BYTE>> PropBinary(const SPropValue* value, ULONG tag) {
  if (!Matches(value, tag, PT_BINARY)) return std::nullopt;
  if (value->Value.bin.lpb == nullptr) return std::span<const BYTE>();
  return std::span<const BYTE>(value->Value.bin.lpb, value->Value.bin.cb);
}

std::optional<SCODE> PropError(const SPropValue* value, ULONG tag) {
  if (value == nullptr || value->ulPropTag != CHANGE_PROP_TYPE(tag, PT_ERROR)) return std::nullopt;
  return value->Value.err;
}

}  // namespace mapi
