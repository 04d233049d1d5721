// The document server's documents in memory, and their .docx form.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "LocaleSettings.h"
#include "OleVariant.h"

namespace automation::server {

struct TextFont {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::optional<double> size;       // points
  std::optional<std::string> name;  // the font family
};

struct Run {
  std::string text;
  TextFont font;
};

struct Paragraph {
  std::vector<Run> runs;
};

struct TableCell {
  std::string text;
  TextFont font;
};

struct Table {
  int rows = 0;
  int columns = 0;
  std::vector<TableCell> cells;  // row by row
  bool formatted = false;        // AutoFormat was applied
  bool borders = false;
  bool fitToContents = false;
  TableCell& At(int row, int column) { return cells[(row - 1) * columns + (column - 1)]; }
  const TableCell& At(int row, int column) const {
    return cells[(row - 1) * columns + (column - 1)];
  }
};

struct Document {
  int number = 0;        // DocumentN
  bool written = false;  // its file was made when the application was shown
  std::vector<std::variant<Paragraph, Table>> body{Paragraph{}};
  std::string footer;  // the primary footer of section 1
};

// A value as the document server writes it as text: Booleans as True or
// False, whole numbers in full, doubles in their shortest form with the
// locale's decimal separator, dates by the locale's short date and long
// time (a date alone at midnight, a time alone before the first day), null
// and empty as no text.
std::string ValueText(const Variant& value, const platform::LocaleSettings& locale);

// Writes `document` as a .docx file at `path`; an error text, or "".
std::string WriteDocument(const Document& document, const std::string& path);

}  // namespace automation::server
