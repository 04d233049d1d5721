#include "ProfileParser.h"

#include <atomic>
#include <cstdint>

#include "TextUtil.h"

namespace platform::detail {

namespace {

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

namespace {
std::atomic<std::size_t> g_parses{0};
}  // namespace

std::size_t IniParseCountForTesting() {
  return g_parses.load();
}

IniFile IniFile::Parse(std::string_view text) {
  g_parses.fetch_add(1, std::memory_order_relaxed);
  IniFile file;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  // Where the next key goes: nothing before the first header, under a
  // broken header, or in a repeated section.
  IniSection* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      const std::string_view name = TrimBlanks(line.substr(1, close - 1));
      if (!file.index_.emplace(AsciiLowered(name), file.sections_.size()).second) continue;
      file.sections_.push_back(IniSection{std::string(name), {}, {}});
      current = &file.sections_.back();
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, eq));
    if (key.empty()) continue;
    if (!current->index.emplace(AsciiLowered(key), current->entries.size()).second) continue;
    current->entries.push_back(
        IniEntry{std::string(key), std::string(Unquoted(TrimBlanks(line.substr(eq + 1))))});
  }
  return file;
}

const IniSection* IniFile::FindSection(std::string_view name) const {
  const auto it = index_.find(AsciiLowered(name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string_view> IniFile::Find(std::string_view section,
                                              std::string_view key) const {
  const IniSection* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  const auto it = s->index.find(AsciiLowered(key));
  if (it == s->index.end()) return std::nullopt;
  return std::string_view(s->entries[it->second].value);
}

unsigned ProfileNumber(std::string_view text) {
  text = TrimLeftBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (char c : text.substr(2)) {
      const auto digit = HexDigitValue(c);
      if (!digit) break;
      value = value * 16u + *digit;
    }
  } else {
    for (char c : text) {
      if (c < '0' || c > '9') break;
      value = value * 10u + static_cast<unsigned>(c - '0');
    }
  }
  return negative ? 0u - value : value;
}

}  // namespace platform::detail
