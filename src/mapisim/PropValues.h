// Property values as the library keeps them, and their conversion into the
// MAPI form (SPropValue arrays in MAPI memory) that callers receive.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "MAPIDefs.h"

namespace mapisim {

// One property value; the tag's type says how to read it. Numbers
// (PT_LONG, PT_BOOLEAN, PT_I8, PT_SYSTIME as the FILETIME bits, PT_ERROR as
// the SCODE) live in `num`; 8-bit texts (without terminator) and binaries in
// `bytes`, which views storage owned elsewhere.
struct PropCell {
  ULONG tag = 0;
  std::int64_t num = 0;
  std::string_view bytes;

  ULONG Type() const { return PROP_TYPE(tag); }
  bool IsError() const { return Type() == PT_ERROR; }
};

PropCell LongCell(ULONG tag, std::int32_t value);
PropCell BoolCell(ULONG tag, bool value);
PropCell I8Cell(ULONG tag, std::int64_t value);
PropCell TimeCell(ULONG tag, std::uint64_t filetime);
PropCell TextCell(ULONG tag, std::string_view text);
PropCell BinaryCell(ULONG tag, std::string_view bytes);
PropCell ErrorCell(ULONG tag, SCODE error);

std::string_view AsBytes(const std::vector<std::uint8_t>& bytes);
std::string_view AsBytes(const BYTE* bytes, std::size_t size);

// A PropCell that owns its bytes.
struct OwnedProp {
  ULONG tag = 0;
  std::int64_t num = 0;
  std::string bytes;

  OwnedProp() = default;
  explicit OwnedProp(const PropCell& cell) : tag(cell.tag), num(cell.num), bytes(cell.bytes) {}
  PropCell View() const { return PropCell{tag, num, bytes}; }
};
using OwnedRow = std::vector<OwnedProp>;
std::vector<PropCell> Views(const OwnedRow& row);

// The value that answers a request for `wanted` in a row or a property
// list: the value of exactly that tag; for PT_UNSPECIFIED the value of that
// identifier; for PT_UNICODE an 8-bit text of that identifier, widened; an
// error value of that identifier stays an error; anything else is
// MAPI_E_NOT_FOUND. The result's tag is what the caller will see.
struct Answer {
  PropCell cell;
  bool widen = false;  // serve the 8-bit text as PT_UNICODE
};
Answer Lookup(std::span<const PropCell> row, ULONG wanted, bool unicodeForUnspecified = false);

// The same for the rows of a table, which mostly share one layout: `hint`
// is where the tag was found in the row before, tried first and updated.
Answer LookupWithHint(std::span<const PropCell> row, ULONG wanted, std::size_t* hint);

// Writes values into one MAPI root block (MAPIAllocateBuffer for the array,
// MAPIAllocateMore for every text and binary, as MAPI providers do).
SCODE WritePropArray(std::span<const Answer> values, LPSPropValue* out);

// GetProps over an object's properties: the requested tags in order, or all
// properties when `tags` is null. Returns S_OK, MAPI_W_ERRORS_RETURNED when
// any value is an error, or a failure with nothing returned.
// `alter`, when set, may change each value before it is written.
HRESULT AnswerGetProps(std::span<const PropCell> props, const SPropTagArray* tags, ULONG flags,
                       ULONG* lpcValues, LPSPropValue* lppPropArray,
                       const std::function<void(Answer&)>& alter = {});

// The largest tag or row count accepted from a caller; more is refused as an
// invalid parameter rather than trusted for a size computation.
constexpr ULONG kMaxCallerCount = 0x10000;

// Tag arrays from callers: non-null, 1..kMaxCallerCount tags.
bool ValidTagArray(const SPropTagArray* tags);

// Case-insensitive order of 8-bit texts, folding ASCII letters to upper
// case: '[' to '`' sort after the letters, unlike with a lower-case fold.
int CompareTextNoCase(std::string_view a, std::string_view b);

// An 8-bit text from a caller's value of PT_STRING8 or PT_UNICODE (code
// units above 0xFF become '?'); false for other types or a null pointer.
bool TextOfValue(const SPropValue& value, std::string* text);

}  // namespace mapisim
