// Security identifiers: the binary form (revision, sub-authority count,
// 48-bit big-endian identifier authority, 32-bit little-endian
// sub-authorities) and the "S-1-5-21-..." text form.
#include <charconv>
#include <cstdio>

#include "OrgReader.h"

namespace orgdb {

namespace {
constexpr std::size_t kMaxSubAuthorities = 15;

bool ParseNumber(std::string_view text, std::uint64_t* value) {
  if (text.empty()) return false;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  return ec == std::errc() && end == text.data() + text.size();
}
}  // namespace

Bytes SidFromString(std::string_view text) {
  if (text.size() < 2 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return {};
  text.remove_prefix(2);
  std::vector<std::uint64_t> parts;
  while (true) {
    std::size_t dash = text.find('-');
    std::uint64_t v = 0;
    if (!ParseNumber(text.substr(0, dash), &v)) return {};
    parts.push_back(v);
    if (dash == std::string_view::npos) break;
    text.remove_prefix(dash + 1);
  }
  // Revision and authority are required; sub-authorities 0 to 15.
  if (parts.size() < 2 || parts.size() - 2 > kMaxSubAuthorities) return {};
  if (parts[0] > 0xFF || parts[1] > 0xFFFFFFFFFFFFull) return {};
  Bytes sid;
  sid.push_back(static_cast<std::uint8_t>(parts[0]));
  sid.push_back(static_cast<std::uint8_t>(parts.size() - 2));
  for (int shift = 40; shift >= 0; shift -= 8)
    sid.push_back(static_cast<std::uint8_t>(parts[1] >> shift));
  for (std::size_t i = 2; i < parts.size(); ++i) {
    if (parts[i] > 0xFFFFFFFFull) return {};
    for (int shift = 0; shift < 32; shift += 8)
      sid.push_back(static_cast<std::uint8_t>(parts[i] >> shift));
  }
  return sid;
}

std::string SidToString(const Bytes& sid) {
  if (sid.size() < 8) return {};
  std::size_t count = sid[1];
  if (count > kMaxSubAuthorities || sid.size() != 8 + 4 * count) return {};
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-";
  if (authority >> 32) {
    // Authorities beyond 32 bits are written in hexadecimal, as Windows does.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%012llX", static_cast<unsigned long long>(authority));
    text += buffer;
  } else {
    text += std::to_string(authority);
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = (v << 8) | sid[8 + 4 * i + static_cast<std::size_t>(b)];
    text += '-';
    text += std::to_string(v);
  }
  return text;
}

}  // namespace orgdb
