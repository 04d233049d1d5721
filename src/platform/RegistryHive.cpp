#include "RegistryHive.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "TextUtil.h"

namespace platform::detail {

// --- the model --------------------------------------------------------------

bool RegKey::operator==(const RegKey& other) const {
  return name == other.name && values == other.values && subkeys == other.subkeys;
}

RegKey* RegKey::FindSubkey(std::string_view keyName) {
  for (RegKey& k : subkeys)
    if (EqualsNoCase(k.name, keyName)) return &k;
  return nullptr;
}

const RegKey* RegKey::FindSubkey(std::string_view keyName) const {
  return const_cast<RegKey*>(this)->FindSubkey(keyName);
}

RegKey& RegKey::AddSubkey(std::string_view keyName) {
  auto pos = std::lower_bound(
      subkeys.begin(), subkeys.end(), keyName,
      [](const RegKey& k, std::string_view n) { return CompareNoCase(k.name, n) < 0; });
  if (pos != subkeys.end() && EqualsNoCase(pos->name, keyName)) return *pos;
  RegKey fresh;
  fresh.name = std::string(keyName);
  return *subkeys.insert(pos, std::move(fresh));
}

bool RegKey::RemoveSubkey(std::string_view keyName) {
  for (auto it = subkeys.begin(); it != subkeys.end(); ++it) {
    if (EqualsNoCase(it->name, keyName)) {
      subkeys.erase(it);
      return true;
    }
  }
  return false;
}

RegValue* RegKey::FindValue(std::string_view valueName) {
  for (RegValue& v : values)
    if (EqualsNoCase(v.name, valueName)) return &v;
  return nullptr;
}

const RegValue* RegKey::FindValue(std::string_view valueName) const {
  return const_cast<RegKey*>(this)->FindValue(valueName);
}

void RegKey::SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data) {
  if (RegValue* existing = FindValue(valueName)) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values.push_back(RegValue{std::string(valueName), type, std::move(data)});
}

bool RegKey::RemoveValue(std::string_view valueName) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (EqualsNoCase(it->name, valueName)) {
      values.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

RegKey* FindKey(RegKey& root, const std::vector<std::string>& path) {
  RegKey* key = &root;
  for (const std::string& part : path) {
    key = key->FindSubkey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

const RegKey* FindKey(const RegKey& root, const std::vector<std::string>& path) {
  return FindKey(const_cast<RegKey&>(root), path);
}

// --- reading ----------------------------------------------------------------

namespace {

// A quoted text at the start of `text`, with \\ and \" unescaped. On success
// `text` is left just after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  std::size_t i = 1;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out.push_back(text[i + 1]);
      i += 2;
      continue;
    }
    out.push_back(c);
    ++i;
  }
  return std::nullopt;
}

// "01,02,ab" (blanks allowed around the bytes, one trailing comma tolerated).
std::optional<std::vector<BYTE>> ParseHexBytes(std::string_view text) {
  std::vector<BYTE> bytes;
  text = TrimBlanks(text);
  if (text.empty()) return bytes;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    const std::string_view token = TrimBlanks(text.substr(start, end - start));
    if (token.empty()) {
      if (last && start > 0) break;  // trailing comma
      return std::nullopt;
    }
    const auto byte = ParseHexNumber(token, 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<BYTE>(*byte));
    if (last) break;
    start = end + 1;
  }
  return bytes;
}

struct ParsedData {
  bool remove = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};

std::optional<ParsedData> ParseData(std::string_view text) {
  text = TrimBlanks(text);
  ParsedData out;
  if (text == "-") {
    out.remove = true;
    return out;
  }
  if (!text.empty() && text.front() == '"') {
    auto s = ParseQuoted(text);
    if (!s || !TrimBlanks(text).empty()) return std::nullopt;
    out.type = 1;  // REG_SZ
    out.data.assign(s->begin(), s->end());
    out.data.push_back(0);
    return out;
  }
  if (StartsWithNoCase(text, "dword:")) {
    const auto n = ParseHexNumber(TrimBlanks(text.substr(6)), 8);
    if (!n) return std::nullopt;
    out.type = 4;  // REG_DWORD, little-endian
    for (int i = 0; i < 4; ++i) out.data.push_back(static_cast<BYTE>((*n >> (8 * i)) & 0xFF));
    return out;
  }
  if (StartsWithNoCase(text, "hex:")) {
    auto bytes = ParseHexBytes(text.substr(4));
    if (!bytes) return std::nullopt;
    out.type = 3;  // REG_BINARY
    out.data = std::move(*bytes);
    return out;
  }
  if (StartsWithNoCase(text, "hex(")) {
    const std::size_t close = text.find(')');
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
      return std::nullopt;
    const auto type = ParseHexNumber(text.substr(4, close - 4), 8);
    auto bytes = ParseHexBytes(text.substr(close + 2));
    if (!type || !bytes) return std::nullopt;
    out.type = *type;
    out.data = std::move(*bytes);
    return out;
  }
  return std::nullopt;
}

// Lines with "\" continuations joined, CR LF and LF both ending a line.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string pending;
  bool continuing = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (continuing) line = TrimLeftBlanks(line);
    const std::string_view body = TrimRightBlanks(line);
    if (!body.empty() && body.back() == '\\') {
      pending.append(body.substr(0, body.size() - 1));
      continuing = true;
      continue;
    }
    pending.append(line);
    lines.push_back(std::move(pending));
    pending.clear();
    continuing = false;
  }
  if (continuing) lines.push_back(std::move(pending));
  return lines;
}

// The key path of a section header "[ROOT\A\B]" (without the brackets and
// the optional leading "-"), or nullopt when it names another hive or is
// malformed.
std::optional<std::vector<std::string>> SectionPath(std::string_view inner,
                                                    std::string_view rootName) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  bool first = true;
  while (start <= inner.size()) {
    std::size_t end = inner.find('\\', start);
    if (end == std::string_view::npos) end = inner.size();
    const std::string_view part = inner.substr(start, end - start);
    if (part.empty() || part.find('\n') != std::string_view::npos) return std::nullopt;
    if (first) {
      if (!EqualsNoCase(part, rootName)) return std::nullopt;
      first = false;
    } else {
      if (part.size() > kMaxKeyNameLength) return std::nullopt;
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  if (first) return std::nullopt;
  return parts;
}

}  // namespace

RegKey ParseHive(std::string_view text, std::string_view rootName) {
  RegKey root;
  RegKey* current = nullptr;  // no section yet, or a section that is left out
  for (const std::string& raw : LogicalLines(text)) {
    const std::string_view line = TrimBlanks(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']' || line.size() < 2) continue;
      std::string_view inner = line.substr(1, line.size() - 2);
      const bool remove = !inner.empty() && inner.front() == '-';
      if (remove) inner.remove_prefix(1);
      const auto path = SectionPath(inner, rootName);
      if (!path) continue;
      if (remove) {
        if (path->empty()) continue;  // the hive's root is never removed
        std::vector<std::string> parent(path->begin(), path->end() - 1);
        if (RegKey* p = FindKey(root, parent)) p->RemoveSubkey(path->back());
        continue;
      }
      current = &root;
      for (const std::string& part : *path) current = &current->AddSubkey(part);
      continue;
    }
    if (current == nullptr) continue;
    std::string_view rest = line;
    std::string name;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      auto quoted = ParseQuoted(rest);
      if (!quoted || quoted->size() > kMaxValueNameLength) continue;
      name = std::move(*quoted);
    }
    rest = TrimLeftBlanks(rest);
    if (rest.empty() || rest.front() != '=') continue;
    auto data = ParseData(rest.substr(1));
    if (!data) continue;
    if (data->remove)
      current->RemoveValue(name);
    else
      current->SetValue(name, data->type, std::move(data->data));
  }
  return root;
}

// --- writing ----------------------------------------------------------------

namespace {

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

bool WritableAsString(const std::vector<BYTE>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
  return true;
}

void AppendHexBytes(std::string& out, const std::vector<BYTE>& data, std::size_t prefixLength) {
  // Long lists are wrapped with "\" continuations, as registry exports do.
  std::size_t column = prefixLength;
  char buf[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    out += buf;
    column += 2;
    if (i + 1 < data.size()) {
      out.push_back(',');
      ++column;
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
}

void AppendValue(std::string& out, const RegValue& value) {
  const std::size_t lineStart = out.size();
  if (value.name.empty())
    out.push_back('@');
  else
    AppendQuoted(out, value.name);
  out.push_back('=');
  if (value.type == 1 && WritableAsString(value.data)) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                       value.data.size() - 1));
  } else if (value.type == 4 && value.data.size() == 4) {
    const DWORD n = static_cast<DWORD>(value.data[0]) | (static_cast<DWORD>(value.data[1]) << 8) |
                    (static_cast<DWORD>(value.data[2]) << 16) |
                    (static_cast<DWORD>(value.data[3]) << 24);
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(n));
    out += buf;
  } else {
    if (value.type == 3) {
      out += "hex:";
    } else {
      char buf[24];
      std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(value.type));
      out += buf;
    }
    AppendHexBytes(out, value.data, out.size() - lineStart);
  }
  out.push_back('\n');
}

void AppendKey(std::string& out, const RegKey& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values.empty()) {
    out += "[" + path + "]\n";
    for (const RegValue& value : key.values) AppendValue(out, value);
    out.push_back('\n');
  }
  for (const RegKey& sub : key.subkeys) AppendKey(out, sub, path + "\\" + sub.name, false);
}

}  // namespace

std::string SerialiseHive(const RegKey& root, std::string_view rootName) {
  std::string out = "REGEDIT4\n\n";
  AppendKey(out, root, std::string(rootName), true);
  return out;
}

}  // namespace platform::detail
