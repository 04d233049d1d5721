// The spreadsheet server's workbooks in memory, and their .xlsx form.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "LocaleSettings.h"
#include "OleVariant.h"

namespace automation::server {

inline constexpr std::int64_t kSheetRows = 1048576;
inline constexpr std::int64_t kSheetColumns = 16384;

struct CellFont {
  std::optional<double> size;
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<std::string> name;
};

struct SheetCell {
  Variant value;             // never a dispatch value
  std::string numberFormat;  // standard notation; empty: General
  CellFont font;
};

struct Workbook {
  int number = 0;        // BookN
  bool written = false;  // its file was made when the application was shown
  std::map<std::pair<std::int64_t, std::int64_t>, SheetCell> cells;  // (row, column), from 1
};

// A number format given in the user's notation (the locale's decimal and
// thousands separators) in the standard one ("." and ","); raises
// ServerError for a format that cannot be read.
std::string StandardNumberFormat(const std::string& format, const platform::LocaleSettings& locale);

// The format a date cell gets when none was set: the locale's short date,
// its long time, or both, depending on the value.
std::string DateNumberFormat(double days, const platform::LocaleSettings& locale);

// Writes `book` as an .xlsx file at `path`; an error text, or "".
std::string WriteWorkbook(const Workbook& book, const std::string& path);

}  // namespace automation::server
