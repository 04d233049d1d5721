// GetVersionExA from <root>/machine.ini, and file version resources from the
// text file "<library>.version" beside a library.
//
// A version block (what GetFileVersionInfoA fills) is self-contained and
// holds no pointers, so a caller may copy it; VerQueryValueA hands out
// pointers into it:
//   char magic[8] "TBXVER1", DWORD total size, DWORD translation count,
//   DWORD string count, the translations as (WORD language, WORD code page),
//   then per string: DWORD name length, name, 0, DWORD text length, text, 0.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "ModuleName.h"
#include "ProfileParser.h"
#include "TextUtil.h"
#include "Win32.h"

using platform::EqualsNoCase;
using platform::StartsWithNoCase;
using platform::TrimBlanks;

namespace {

constexpr char kMagic[8] = {'T', 'B', 'X', 'V', 'E', 'R', '1', '\0'};
constexpr std::size_t kHeaderSize = 8 + 3 * sizeof(DWORD);
constexpr WORD kDefaultLanguage = 0x0409;
constexpr WORD kDefaultCodePage = 0x04E4;

struct VersionText {
  std::vector<std::pair<WORD, WORD>> translations;
  std::vector<std::pair<std::string, std::string>> strings;
};

// "<file>.version" for the file as given, or for the shared library a
// Windows module name maps to.
std::optional<std::string> VersionFileFor(LPCSTR fileName, bool* libraryExists) {
  *libraryExists = false;
  if (fileName == nullptr || *fileName == '\0') return std::nullopt;
  std::vector<std::string> candidates;
  if (auto direct = platform::detail::ResolveExistingFile(fileName)) candidates.push_back(*direct);
  if (auto library = platform::detail::FindSharedLibrary(fileName)) candidates.push_back(*library);
  for (const std::string& c : candidates) {
    *libraryExists = true;
    if (platform::detail::IsRegularFile(c + ".version")) return c + ".version";
  }
  return std::nullopt;
}

// Exactly eight hexadecimal digits, as a language and code page pair.
std::optional<std::uint32_t> ParseHex8(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  return platform::ParseHexNumber(text, 8);
}

VersionText ParseVersionText(std::string_view text) {
  VersionText out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line = TrimBlanks(line.substr(0, line.size() - 1));
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = TrimBlanks(line.substr(0, eq));
    const std::string_view value = TrimBlanks(line.substr(eq + 1));
    if (name.empty()) continue;
    if (EqualsNoCase(name, "Translation")) {
      // One or more 8-digit pairs, separated by blanks or commas.
      std::size_t p = 0;
      while (p < value.size()) {
        const std::size_t q = value.find_first_of(" \t,", p);
        const std::string_view token =
            value.substr(p, q == std::string_view::npos ? std::string_view::npos : q - p);
        if (auto pair = ParseHex8(token))
          out.translations.emplace_back(static_cast<WORD>(*pair >> 16),
                                        static_cast<WORD>(*pair & 0xFFFF));
        if (q == std::string_view::npos) break;
        p = q + 1;
      }
      continue;
    }
    out.strings.emplace_back(std::string(name), std::string(value));
  }
  return out;
}

void PutDword(std::vector<BYTE>& block, DWORD v) {
  const auto* p = reinterpret_cast<const BYTE*>(&v);
  block.insert(block.end(), p, p + sizeof v);
}

void PutText(std::vector<BYTE>& block, const std::string& text) {
  PutDword(block, static_cast<DWORD>(text.size()));
  block.insert(block.end(), text.begin(), text.end());
  block.push_back(0);
}

std::optional<std::vector<BYTE>> BuildBlock(LPCSTR fileName) {
  bool libraryExists = false;
  const auto versionFile = VersionFileFor(fileName, &libraryExists);
  if (!versionFile) {
    SetLastError(libraryExists ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  const auto text = platform::detail::ReadWholeFile(*versionFile, 1u << 20);
  if (!text) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return std::nullopt;
  }
  const VersionText parsed = ParseVersionText(*text);
  std::vector<BYTE> block(kMagic, kMagic + sizeof kMagic);
  PutDword(block, 0);  // total size, set below
  PutDword(block, static_cast<DWORD>(parsed.translations.size()));
  PutDword(block, static_cast<DWORD>(parsed.strings.size()));
  for (const auto& [language, codePage] : parsed.translations) {
    const WORD pair[2] = {language, codePage};
    const auto* p = reinterpret_cast<const BYTE*>(pair);
    block.insert(block.end(), p, p + sizeof pair);
  }
  for (const auto& [name, value] : parsed.strings) {
    PutText(block, name);
    PutText(block, value);
  }
  const auto total = static_cast<DWORD>(block.size());
  std::memcpy(block.data() + 8, &total, sizeof total);
  return block;
}

DWORD GetDword(const BYTE* block, std::size_t offset) {
  DWORD v;
  std::memcpy(&v, block + offset, sizeof v);
  return v;
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation) {
  if (lpVersionInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // One read of the file for all five values, each read as the profile
  // functions would, with its default when absent.
  const auto ini = platform::detail::LoadIniFile(platform::MachineRoot() + "/machine.ini");
  auto find = [&](const char* key) { return ini ? ini->Find("Version", key) : std::nullopt; };
  auto number = [&](const char* key, DWORD fallback) {
    const auto value = find(key);
    return value ? platform::detail::ProfileNumber(*value) : fallback;
  };
  lpVersionInformation->dwPlatformId = number("PlatformId", VER_PLATFORM_WIN32_NT);
  lpVersionInformation->dwMajorVersion = number("MajorVersion", 5);
  lpVersionInformation->dwMinorVersion = number("MinorVersion", 1);
  lpVersionInformation->dwBuildNumber = number("BuildNumber", 2600);
  platform::CopyTruncated(find("CSDVersion").value_or(""), lpVersionInformation->szCSDVersion,
                          sizeof lpVersionInformation->szCSDVersion);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle != nullptr) *lpdwHandle = 0;
  const auto block = BuildBlock(lptstrFilename);
  return block ? static_cast<DWORD>(block->size()) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD /*dwHandle*/, DWORD dwLen, LPVOID lpData) {
  if (lpData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto block = BuildBlock(lptstrFilename);
  if (!block) return FALSE;
  if (dwLen < block->size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpData, block->data(), block->size());
  return TRUE;
}

BOOL VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) return FALSE;
  const auto* block = static_cast<const BYTE*>(pBlock);
  if (std::memcmp(block, kMagic, sizeof kMagic) != 0) return FALSE;
  const DWORD total = GetDword(block, 8);
  const DWORD translations = GetDword(block, 12);
  const DWORD strings = GetDword(block, 16);
  const std::size_t translationBytes = static_cast<std::size_t>(translations) * 2 * sizeof(WORD);
  if (kHeaderSize + translationBytes > total) return FALSE;
  const std::string_view sub(lpSubBlock);

  if (EqualsNoCase(sub, "\\VarFileInfo\\Translation")) {
    if (translations == 0) return FALSE;
    *lplpBuffer = const_cast<BYTE*>(block + kHeaderSize);
    if (puLen != nullptr) *puLen = static_cast<UINT>(translationBytes);
    return TRUE;
  }

  constexpr std::string_view kPrefix = "\\StringFileInfo\\";
  if (sub.size() <= kPrefix.size() + 9 || !StartsWithNoCase(sub, kPrefix) ||
      sub[kPrefix.size() + 8] != '\\')
    return FALSE;
  const auto wanted = ParseHex8(sub.substr(kPrefix.size(), 8));
  if (!wanted) return FALSE;
  // The strings belong to every listed translation (to US English, ANSI,
  // when none is listed).
  bool known = translations == 0 &&
               *wanted == ((static_cast<std::uint32_t>(kDefaultLanguage) << 16) | kDefaultCodePage);
  for (DWORD i = 0; i < translations && !known; ++i) {
    WORD pair[2];
    std::memcpy(pair, block + kHeaderSize + i * sizeof pair, sizeof pair);
    known = *wanted == ((static_cast<std::uint32_t>(pair[0]) << 16) | pair[1]);
  }
  if (!known) return FALSE;
  const std::string_view name = sub.substr(kPrefix.size() + 9);
  std::size_t offset = kHeaderSize + translationBytes;
  for (DWORD i = 0; i < strings; ++i) {
    if (offset + sizeof(DWORD) > total) return FALSE;
    const DWORD nameLength = GetDword(block, offset);
    const std::size_t nameAt = offset + sizeof(DWORD);
    const std::size_t valueLengthAt = nameAt + nameLength + 1;
    if (valueLengthAt + sizeof(DWORD) > total) return FALSE;
    const DWORD valueLength = GetDword(block, valueLengthAt);
    const std::size_t valueAt = valueLengthAt + sizeof(DWORD);
    if (valueAt + valueLength + 1 > total) return FALSE;
    if (EqualsNoCase(std::string_view(reinterpret_cast<const char*>(block + nameAt), nameLength),
                     name)) {
      *lplpBuffer = const_cast<BYTE*>(block + valueAt);
      if (puLen != nullptr) *puLen = valueLength + 1;  // characters with the terminator
      return TRUE;
    }
    offset = valueAt + valueLength + 1;
  }
  return FALSE;
}
