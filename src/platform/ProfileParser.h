// The private-profile (INI) file reader behind GetPrivateProfileStringA and
// friends, apart from any file so that the fuzz target can drive it.
//
// Windows rules: sections and keys compare without regard to case and the
// first occurrence wins (of a section named twice only the first counts);
// lines beginning with ";" are comments; blanks around the key, the "=" and
// the value are dropped and one pair of matching surrounding quotes (" or ')
// is removed; LF and CR LF both end a line; a UTF-8 byte-order mark is
// ignored. What cannot be parsed (a "[" line without "]", a line without
// "=") is absent, and so are the keys under a broken section header; the
// rest still reads.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::detail {

struct IniEntry {
  std::string key;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;  // first occurrence of each key only
  // Lower-cased key -> its entry, so that a look-up does not scan.
  std::unordered_map<std::string, std::size_t> index;
};

class IniFile {
 public:
  static IniFile Parse(std::string_view text);

  const std::vector<IniSection>& Sections() const { return sections_; }
  const IniSection* FindSection(std::string_view name) const;
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

 private:
  std::vector<IniSection> sections_;  // first occurrence of each name only
  // Lower-cased section name -> its section.
  std::unordered_map<std::string, std::size_t> index_;
};

// The INI file at `path` (the last component matched without regard to
// case), or null when there is none or it cannot be read. A file is parsed
// once per version (its modification and change times, size and inode) and
// then answered from memory. Defined with the profile functions
// (Profile.cpp), which read files; the parser does not.
std::shared_ptr<const IniFile> LoadIniFile(std::string_view path);

// How many times IniFile::Parse has run in this process.
std::size_t IniParseCountForTesting();

// GetPrivateProfileIntA's number rules: leading blanks, an optional sign,
// decimal digits or "0x" and hexadecimal digits, up to the first other
// character; no digits gives 0. Wraps like the 32-bit Windows result.
unsigned ProfileNumber(std::string_view text);

}  // namespace platform::detail
