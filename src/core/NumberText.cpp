#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace core {

namespace {

// The integer and fraction digits of |value| rounded half away from zero to
// `decimals` places, worked on the shortest decimal form of the double so
// that 0.25 rounds to 0.3 and 1.05 to 1.1, as a reader of the number expects.
void RoundedDigits(double value, int decimals, std::string* integer, std::string* fraction) {
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e))
    if (c != '.') digits.push_back(c);
  // digits d0 d1 d2 ... stand for d0.d1d2... x 10^exponent: the decimal point
  // sits after `point` digits.
  int point = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  if (point <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - point), '0');
    point = 1;
  }
  const std::size_t want = static_cast<std::size_t>(point + decimals) + 1;
  if (digits.size() < want) digits.append(want - digits.size(), '0');
  const bool roundUp = digits[want - 1] >= '5';
  digits.resize(want - 1);
  if (roundUp) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i > 0) {
      ++digits[i - 1];
    } else {
      digits.insert(digits.begin(), '1');
      ++point;
    }
  }
  *integer = digits.substr(0, static_cast<std::size_t>(point));
  *fraction = digits.substr(static_cast<std::size_t>(point));
  const std::size_t nonZero = integer->find_first_not_of('0');
  integer->erase(0, nonZero == std::string::npos ? integer->size() - 1 : nonZero);
}

}  // namespace

std::string FormatGrouped(double value, int decimals, const platform::LocaleSettings& locale) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  std::string integer, fraction;
  RoundedDigits(value, decimals, &integer, &fraction);
  std::string out;
  const bool zero = integer.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of('0') == std::string::npos;
  if (value < 0 && !zero) out.push_back('-');
  for (std::size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) out += locale.thousandsSeparator;
    out.push_back(integer[i]);
  }
  if (decimals > 0) out += locale.decimalSeparator + fraction;
  return out;
}

std::string KilobytesText(double bytes) {
  return FormatGrouped(bytes / 1024.0, 1, platform::CurrentLocale());
}

std::string GroupedCountText(double count) {
  return FormatGrouped(count, 0, platform::CurrentLocale());
}

std::string KilobytesConsoleText(std::int64_t bytes) {
  return std::to_string(KilobytesConsole(bytes));
}

}  // namespace core
