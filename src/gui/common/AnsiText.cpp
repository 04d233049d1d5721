#include "AnsiText.h"

namespace gui {

namespace {

// 0x80 to 0x9F of Windows-1252; 0 where the code page defines nothing (the
// byte then stands for the C1 control of the same value, as Latin-1 has it).
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString FromAnsi(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char16_t unit = byte;
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
      unit = kHighControls[byte - 0x80];
    out.append(QChar(unit));
  }
  return out;
}

std::string ToAnsi(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar ch : text) {
    const char16_t unit = ch.unicode();
    const bool undefinedHigh = unit >= 0x80 && unit <= 0x9F && kHighControls[unit - 0x80] == 0;
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF) || undefinedHigh) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kHighControls[i] == unit) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

}  // namespace gui
