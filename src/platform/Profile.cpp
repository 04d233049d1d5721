// GetPrivateProfileStringA, GetPrivateProfileIntA and GetProfileIntA over
// the INI reader of ProfileParser.h.
#include <cstring>
#include <optional>
#include <string>

#include "FileUtil.h"
#include "ProfileParser.h"
#include "TextUtil.h"
#include "Win32.h"

using platform::detail::IniFile;

namespace {

// A bare file name lives in the Windows directory, which here is the machine
// root (win.ini is there); a path is taken as given, "\" or "/" separated,
// the file name matched without regard to case.
std::optional<IniFile> LoadProfile(LPCSTR fileName) {
  std::string path;
  if (fileName == nullptr || *fileName == '\0')
    path = platform::MachineRoot() + "/win.ini";
  else if (std::strpbrk(fileName, "\\/") == nullptr)
    path = platform::MachineRoot() + "/" + fileName;
  else
    path = fileName;
  return platform::detail::LoadIniFile(path);
}

// Names as a list of zero-terminated texts ended by one more zero; the
// result counts the characters before that last zero. A list that does not
// fit is cut, its last text ended by two zeros, and the result is nSize - 2.
DWORD CopyNameList(const std::vector<std::string>& names, LPSTR buffer, DWORD nSize) {
  std::string list;
  for (const std::string& n : names) {
    list += n;
    list.push_back('\0');
  }
  if (list.size() + 1 <= nSize) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && nSize >= 2) buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (nSize < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), nSize - 2);
  buffer[nSize - 2] = '\0';
  buffer[nSize - 1] = '\0';
  return nSize - 2;
}

}  // namespace

std::optional<IniFile> platform::detail::LoadIniFile(std::string_view path) {
  const auto found = ResolveExistingFile(path);
  if (!found) return std::nullopt;
  const auto text = ReadWholeFile(*found);
  if (!text) return std::nullopt;
  return IniFile::Parse(*text);
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  if (lpReturnedString == nullptr || nSize == 0) return 0;
  const auto file = LoadProfile(lpFileName);
  SetLastError(file ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);

  if (lpAppName == nullptr) {
    std::vector<std::string> names;
    if (file)
      for (const auto& s : file->Sections()) names.push_back(s.name);
    return CopyNameList(names, lpReturnedString, nSize);
  }
  if (lpKeyName == nullptr) {
    std::vector<std::string> names;
    if (file)
      if (const auto* s = file->FindSection(lpAppName))
        for (const auto& e : s->entries) names.push_back(e.key);
    return CopyNameList(names, lpReturnedString, nSize);
  }
  std::optional<std::string_view> value;
  if (file) value = file->Find(lpAppName, lpKeyName);
  if (!value) {
    // Windows drops trailing blanks from the default.
    value = platform::TrimRightBlanks(lpDefault ? lpDefault : "");
  }
  return static_cast<DWORD>(platform::CopyTruncated(*value, lpReturnedString, nSize));
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, int nDefault, LPCSTR lpFileName) {
  const auto file = LoadProfile(lpFileName);
  if (!file || lpAppName == nullptr || lpKeyName == nullptr) return static_cast<UINT>(nDefault);
  const auto value = file->Find(lpAppName, lpKeyName);
  if (!value) return static_cast<UINT>(nDefault);
  return platform::detail::ProfileNumber(*value);
}

UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, int nDefault) {
  const std::string winIni = platform::MachineRoot() + "/win.ini";
  return GetPrivateProfileIntA(lpAppName, lpKeyName, nDefault, winIni.c_str());
}
