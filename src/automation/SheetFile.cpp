// Number formats and the .xlsx form of a workbook (libxlsxwriter).
#include <xlsxwriter.h>

#include <cmath>

#include "ServerBase.h"
#include "SheetModel.h"

namespace automation::server {

std::string StandardNumberFormat(const std::string& format,
                                 const platform::LocaleSettings& locale) {
  if (format.empty() || format.size() > 255) throw ServerError("Invalid number format");
  const std::string& dec = locale.decimalSeparator;
  const std::string& grp = locale.thousandsSeparator;
  std::string out;
  bool quoted = false;
  int sections = 1;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '"') quoted = !quoted;
    if (quoted || c == '"') {
      out += c;
      continue;
    }
    if (c == '\\' && i + 1 < format.size()) {
      out += format.substr(i, 2);
      ++i;
      continue;
    }
    if (c == ';' && ++sections > 4) throw ServerError("Invalid number format: " + format);
    // Both separators are swapped at once, so that "#.##0,00" reads right
    // where the point groups and the comma marks the decimals.
    if (!dec.empty() && format.compare(i, dec.size(), dec) == 0) {
      out += '.';
      i += dec.size() - 1;
    } else if (!grp.empty() && format.compare(i, grp.size(), grp) == 0) {
      out += ',';
      i += grp.size() - 1;
    } else {
      out += c;
    }
  }
  if (quoted) throw ServerError("Invalid number format: " + format);
  return out;
}

namespace {

// strftime fields as number-format codes; anything else is kept as text.
std::string FormatFromStrftime(const std::string& pattern) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      const char c = pattern[i];
      if (std::isalpha(static_cast<unsigned char>(c))) out += '\\';
      out += c;
      continue;
    }
    switch (pattern[++i]) {
      case 'd':
        out += "dd";
        break;
      case 'e':
        out += "d";
        break;
      case 'm':
        out += "mm";
        break;
      case 'Y':
        out += "yyyy";
        break;
      case 'y':
        out += "yy";
        break;
      case 'H':
        out += "hh";
        break;
      case 'I':
        out += "hh";
        break;
      case 'M':
        out += "mm";
        break;
      case 'S':
        out += "ss";
        break;
      case 'p':
        out += "AM/PM";
        break;
      case 'b':
        out += "mmm";
        break;
      case 'B':
        out += "mmmm";
        break;
      case 'a':
        out += "ddd";
        break;
      case 'A':
        out += "dddd";
        break;
      case '%':
        out += "%";
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace

std::string DateNumberFormat(double days, const platform::LocaleSettings& locale) {
  const std::string date = FormatFromStrftime(locale.shortDateFormat);
  const std::string time = FormatFromStrftime(locale.longTimeFormat);
  if (days < 1) return time;  // a time without a date
  if (days == std::floor(days)) return date;
  return date + " " + time;
}

namespace {

// One libxlsxwriter format per distinct look, owned by the workbook.
class Formats {
 public:
  explicit Formats(lxw_workbook* book) : book_(book) {}
  lxw_format* For(const SheetCell& cell, const std::string& numberFormat) {
    const CellFont& f = cell.font;
    if (numberFormat.empty() && !f.size && !f.bold && !f.italic && !f.name) return nullptr;
    const std::string key = numberFormat + '\x1f' + (f.size ? std::to_string(*f.size) : "") +
                            '\x1f' + (f.bold.value_or(false) ? "b" : "") +
                            (f.italic.value_or(false) ? "i" : "") + '\x1f' + f.name.value_or("");
    auto [it, fresh] = cache_.try_emplace(key, nullptr);
    if (!fresh) return it->second;
    lxw_format* format = workbook_add_format(book_);
    if (!numberFormat.empty()) format_set_num_format(format, numberFormat.c_str());
    if (f.size) format_set_font_size(format, *f.size);
    if (f.bold.value_or(false)) format_set_bold(format);
    if (f.italic.value_or(false)) format_set_italic(format);
    if (f.name) format_set_font_name(format, f.name->c_str());
    it->second = format;
    return format;
  }

 private:
  lxw_workbook* book_;
  std::map<std::string, lxw_format*> cache_;
};

lxw_error WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const SheetCell& cell,
                    Formats& formats, const platform::LocaleSettings& locale) {
  const Variant& v = cell.value;
  if (const auto* d = v.If<DateValue>()) {
    const std::string format =
        cell.numberFormat.empty() ? DateNumberFormat(d->days, locale) : cell.numberFormat;
    return worksheet_write_number(sheet, row, col, d->days, formats.For(cell, format));
  }
  lxw_format* format = formats.For(cell, cell.numberFormat);
  if (const auto* s = v.If<std::string>())
    return worksheet_write_string(sheet, row, col, s->c_str(), format);
  if (const auto* b = v.If<bool>()) return worksheet_write_boolean(sheet, row, col, *b, format);
  if (const auto* x = v.If<double>()) return worksheet_write_number(sheet, row, col, *x, format);
  if (const auto* x = v.If<std::int32_t>())
    return worksheet_write_number(sheet, row, col, *x, format);
  if (const auto* x = v.If<std::int64_t>())
    return worksheet_write_number(sheet, row, col, static_cast<double>(*x), format);
  // Empty and null leave the cell blank; only its look is kept.
  return format ? worksheet_write_blank(sheet, row, col, format) : LXW_NO_ERROR;
}

}  // namespace

std::string WriteWorkbook(const Workbook& book, const std::string& path) {
  lxw_workbook* workbook = workbook_new(path.c_str());
  if (!workbook) return "Cannot create " + path;
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
  Formats formats(workbook);
  const platform::LocaleSettings& locale = platform::CurrentLocale();
  std::string error;
  for (const auto& [at, cell] : book.cells) {
    const lxw_error rc = WriteCell(sheet, static_cast<lxw_row_t>(at.first - 1),
                                   static_cast<lxw_col_t>(at.second - 1), cell, formats, locale);
    if (rc != LXW_NO_ERROR && error.empty())
      error = "Cell (" + std::to_string(at.first) + ", " + std::to_string(at.second) +
              "): " + lxw_strerror(rc);
  }
  const lxw_error closed = workbook_close(workbook);
  if (error.empty() && closed != LXW_NO_ERROR)
    error = "Cannot write " + path + ": " + lxw_strerror(closed);
  return error;
}

}  // namespace automation::server
