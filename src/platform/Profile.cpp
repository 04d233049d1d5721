// GetPrivateProfileStringA, GetPrivateProfileIntA and GetProfileIntA over
// the INI reader of ProfileParser.h.
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
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
std::shared_ptr<const IniFile> LoadProfile(LPCSTR fileName) {
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

namespace {

// What tells one version of a file from the next without reading it.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

// The stamp of a regular file; nullopt for anything else.
std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// A file parsed once, with what it looked like then.
struct CachedFile {
  FileStamp stamp;
  std::shared_ptr<const IniFile> file;
  // File times are coarse (a clock tick): a file changed within a tick of
  // its reading may keep its stamp, so such a reading is not trusted.
  bool trusted = false;
};

// Every key read goes through here, and a program reads many keys of one
// file: each file is parsed once per version, not once per key.
constexpr std::size_t kCachedFiles = 16;
constexpr long long kTimeGrainNs = 50'000'000;
std::mutex g_cacheMutex;
std::map<std::string, CachedFile> g_cache;

long long Nanoseconds(const timespec& t) {
  return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

std::shared_ptr<const IniFile> platform::detail::LoadIniFile(std::string_view path) {
  // The path as given is the usual case, and one stat both finds and
  // stamps it; only otherwise is the name matched without regard to case.
  std::optional<std::string> found(std::in_place, path);
  auto stamp = StampOf(*found);
  if (!stamp) {
    found = ResolveExistingFile(path);
    if (found) stamp = StampOf(*found);
  }
  if (!stamp) return nullptr;
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    const auto it = g_cache.find(*found);
    if (it != g_cache.end() && it->second.trusted && it->second.stamp == *stamp)
      return it->second.file;
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto text = ReadWholeFile(*found);
  if (!text) return nullptr;
  auto file = std::make_shared<const IniFile>(IniFile::Parse(*text));
  // A later write sets the modification time to at least now less a tick.
  const bool trusted = Nanoseconds(stamp->modified) < Nanoseconds(now) - kTimeGrainNs;
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  if (g_cache.size() >= kCachedFiles && g_cache.find(*found) == g_cache.end()) g_cache.clear();
  g_cache[*found] = CachedFile{*stamp, file, trusted};
  return file;
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
