// Internal to the JSON form: reading typed values with the document path in
// every error.
#pragma once

#include <optional>
#include <string>

#include "JsonForm.h"

namespace tabrixorg::json {

// Where a value sits in the document, for error messages.
class Path {
 public:
  Path() = default;
  Path Key(const std::string& key) const { return Path(text_.empty() ? key : text_ + "." + key); }
  Path Index(std::size_t i) const { return Path(text_ + "[" + std::to_string(i) + "]"); }
  [[noreturn]] void Fail(const std::string& what) const;
  const std::string& text() const { return text_; }

 private:
  explicit Path(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

const Json* Find(const Json& object, const char* key);
std::string Text(const Json& value, const Path& path);
std::optional<std::string> OptText(const Json& object, const char* key, const Path& path);
std::string RequiredText(const Json& object, const char* key, const Path& path);
std::int64_t Int(const Json& value, const Path& path);
std::uint64_t UInt(const Json& value, const Path& path);
std::optional<std::int64_t> OptInt(const Json& object, const char* key, const Path& path);
std::optional<std::uint64_t> OptUInt(const Json& object, const char* key, const Path& path);
bool Bool(const Json& object, const char* key, bool fallback, const Path& path);
const Json& Array(const Json& object, const char* key, const Path& path);  // empty when absent

// "0x8004010F" or a number; 32 bits.
std::uint32_t Hex32(const Json& value, const Path& path);
Json Hex32ToJson(std::uint32_t value);

// SIDs: "S-1-..." text, or {"hex": ...} for bytes that are no SID.
Json SidToJson(const orgdb::Bytes& sid);
orgdb::Bytes SidFromJson(const Json& value, const Path& path);

// Server versions as "major.minor.build.revision".
Json VersionToJson(std::uint64_t version);
std::uint64_t VersionFromJson(const Json& value, const Path& path);

}  // namespace tabrixorg::json
