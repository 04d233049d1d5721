// Tables that map numeric MAPI constants to their symbolic names, searched
// by table name. Only "MAPIErrors" is consulted by the programs (for error
// texts); the others serve diagnostics.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mapi {

struct SymbolRow {
  std::uint32_t value;
  const char* name;
};

struct SymbolTable {
  const char* name;
  std::span<const SymbolRow> rows;
};

// Every table, in search order.
std::span<const SymbolTable> SymbolTables();

// The first row's name for `value` in the first table named `table` (case
// ignored). Unknown table: empty text. Value not in the table: "$" and eight
// upper-case hexadecimal digits.
std::string MapiSymbolName(std::string_view table, std::uint32_t value);

}  // namespace mapi
