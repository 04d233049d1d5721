// Typed reading and writing of JSON values for the organisation form.
#include "JsonText.h"

#include <cstdio>
#include <stdexcept>

namespace tabrixorg {

namespace {

std::string ToHex(const std::uint8_t* p, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

std::optional<std::string> FromHex(const std::string& text) {
  if (text.size() % 2) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi << 4 | lo);
  }
  return out;
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    unsigned c = p[i];
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 0x6  ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 0;
    if (len == 0 || i + len > n) return false;
    std::uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = cp << 6 | (p[i + k] & 0x3F);
    }
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    static const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += len;
  }
  return true;
}

Json TextToJson(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  Json j;
  j["hex"] = ToHex(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return j;
}

namespace json {

void Path::Fail(const std::string& what) const {
  throw std::runtime_error((text_.empty() ? std::string("document") : text_) + ": " + what);
}

const Json* Find(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::string Text(const Json& value, const Path& path) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object() && value.size() == 1 && value.contains("hex") && value["hex"].is_string()) {
    auto bytes = FromHex(value["hex"].get<std::string>());
    if (!bytes) path.Fail("\"hex\" must hold pairs of hexadecimal digits");
    return *bytes;
  }
  path.Fail("expected a text or {\"hex\": ...}");
}

std::optional<std::string> OptText(const Json& object, const char* key, const Path& path) {
  const Json* v = Find(object, key);
  if (!v) return std::nullopt;
  return Text(*v, path.Key(key));
}

std::string RequiredText(const Json& object, const char* key, const Path& path) {
  const Json* v = Find(object, key);
  if (!v) path.Key(key).Fail("missing");
  return Text(*v, path.Key(key));
}

std::int64_t Int(const Json& value, const Path& path) {
  if (value.is_number_integer()) {
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > 0x7FFFFFFFFFFFFFFFull)
      path.Fail("number out of range");
    return value.get<std::int64_t>();
  }
  path.Fail("expected an integer");
}

std::uint64_t UInt(const Json& value, const Path& path) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_number_integer()) path.Fail("expected a number that is not negative");
  path.Fail("expected an integer");
}

std::optional<std::int64_t> OptInt(const Json& object, const char* key, const Path& path) {
  const Json* v = Find(object, key);
  if (!v) return std::nullopt;
  return Int(*v, path.Key(key));
}

std::optional<std::uint64_t> OptUInt(const Json& object, const char* key, const Path& path) {
  const Json* v = Find(object, key);
  if (!v) return std::nullopt;
  return UInt(*v, path.Key(key));
}

bool Bool(const Json& object, const char* key, bool fallback, const Path& path) {
  const Json* v = Find(object, key);
  if (!v) return fallback;
  if (!v->is_boolean()) path.Key(key).Fail("expected true or false");
  return v->get<bool>();
}

const Json& Array(const Json& object, const char* key, const Path& path) {
  static const Json empty = Json::array();
  const Json* v = Find(object, key);
  if (!v) return empty;
  if (!v->is_array()) path.Key(key).Fail("expected an array");
  return *v;
}

std::uint32_t Hex32(const Json& value, const Path& path) {
  if (value.is_number_integer()) {
    std::int64_t v = value.is_number_unsigned()
                         ? static_cast<std::int64_t>(value.get<std::uint64_t>())
                         : value.get<std::int64_t>();
    if (v < -2147483648LL || v > 0xFFFFFFFFLL) path.Fail("number out of 32-bit range");
    return static_cast<std::uint32_t>(v);
  }
  if (value.is_string()) {
    std::string s = value.get<std::string>();
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && s.size() <= 10) {
      auto bytes = FromHex(std::string(10 - s.size(), '0') + s.substr(2));
      if (bytes) {
        std::uint32_t v = 0;
        for (unsigned char c : *bytes) v = v << 8 | c;
        return v;
      }
    }
  }
  path.Fail("expected \"0x\" and up to eight hexadecimal digits, or a number");
}

Json Hex32ToJson(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

Json SidToJson(const orgdb::Bytes& sid) {
  std::string text = orgdb::SidToString(sid);
  if (!text.empty()) return text;
  Json j;
  j["hex"] = ToHex(sid.data(), sid.size());
  return j;
}

orgdb::Bytes SidFromJson(const Json& value, const Path& path) {
  if (value.is_string()) {
    auto sid = orgdb::SidFromString(value.get<std::string>());
    if (sid.empty()) path.Fail("not a SID in the S-1-... form");
    return sid;
  }
  std::string bytes = Text(value, path);
  return orgdb::Bytes(bytes.begin(), bytes.end());
}

Json VersionToJson(std::uint64_t v) {
  return std::to_string(v >> 48) + "." + std::to_string(v >> 32 & 0xFFFF) + "." +
         std::to_string(v >> 16 & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

std::uint64_t VersionFromJson(const Json& value, const Path& path) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_string()) {
    unsigned parts[4];
    char tail = 0;
    std::string s = value.get<std::string>();
    if (std::sscanf(s.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &tail) == 4 &&
        parts[0] < 65536 && parts[1] < 65536 && parts[2] < 65536 && parts[3] < 65536)
      return std::uint64_t{parts[0]} << 48 | std::uint64_t{parts[1]} << 32 |
             std::uint64_t{parts[2]} << 16 | parts[3];
  }
  path.Fail("expected a version \"major.minor.build.revision\"");
}

}  // namespace json
}  // namespace tabrixorg
