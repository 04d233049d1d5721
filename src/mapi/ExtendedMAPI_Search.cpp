#include "ExtendedMAPI_Search.h"

#include <cstring>
#include <optional>
#include <vector>

#include "UniqueHKey.h"
#include "Win32.h"

namespace mapi::binding {
namespace {

constexpr UINT kMaxPath = 260;
constexpr const char* kMapiComponent = "{FF1D0740-D227-11D1-A4B0-006008AF820E}";
constexpr const char* kOutlookKey = "Software\\Clients\\Mail\\Microsoft Outlook";
constexpr const char* kMessagingKey = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";

// A multi-string value counts only when present and not empty; the first
// string serves as the component qualifier.
std::optional<std::string> ReadQualifier(HKEY key, const char* name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_MULTI_SZ || size == 0) return {};
  std::vector<BYTE> data(size + 2, 0);
  if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return {};
  std::string first(reinterpret_cast<const char*>(data.data()));
  if (first.empty()) return {};
  return first;
}

std::string SystemDirectory() {
  char dir[kMaxPath + 1] = {};
  UINT n = GetSystemDirectoryA(dir, kMaxPath);
  if (n == 0 || n > kMaxPath) return {};
  return dir;
}

}  // namespace

void* SearchByComponentPath(std::string* path) {
  const std::string systemDir = SystemDirectory();

  HMODULE stub = LoadLibraryA((systemDir + "\\mapistub.dll").c_str());
  auto getComponentPath =
      stub ? reinterpret_cast<LPFGETCOMPONENTPATH>(GetProcAddress(stub, "FGetComponentPath"))
           : nullptr;
  HMODULE mapi32 = nullptr;
  if (!getComponentPath) {
    mapi32 = LoadLibraryA((systemDir + "\\mapi32.dll").c_str());
    if (mapi32)
      getComponentPath =
          reinterpret_cast<LPFGETCOMPONENTPATH>(GetProcAddress(mapi32, "FGetComponentPath"));
  }

  char found[kMaxPath + 1] = {};
  if (getComponentPath) {
    std::optional<std::string> applicationLcid;
    std::optional<std::string> officeLcid;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOutlookKey, 0, KEY_READ, &raw) == ERROR_SUCCESS) {
      const platform::UniqueHKey key(raw);
      applicationLcid = ReadQualifier(key.get(), "MSIApplicationLCID");
      officeLcid = ReadQualifier(key.get(), "MSIOfficeLCID");
    }
    std::string component = kMapiComponent;
    auto ask = [&](std::optional<std::string>& qualifier) {
      std::memset(found, 0, sizeof found);
      BOOL ok = getComponentPath(component.data(), qualifier ? qualifier->data() : nullptr, found,
                                 kMaxPath, TRUE);
      found[kMaxPath] = '\0';
      return ok && found[0] != '\0';
    };
    std::optional<std::string> none;
    bool asked = (applicationLcid && ask(applicationLcid)) || (officeLcid && ask(officeLcid));
    if (!asked) ask(none);
  }
  std::string chosen = found[0] ? std::string(found) : systemDir + "\\MAPI32.DLL";
  if (chosen.size() > kMaxPath) chosen.resize(kMaxPath);
  if (path) *path = chosen;

  // Load before letting go of the lookup libraries: when the component path
  // names the very library used for the lookup, it stays loaded instead of
  // being unloaded and loaded again.
  HMODULE library = LoadLibraryA(chosen.c_str());
  if (mapi32) FreeLibrary(mapi32);
  if (stub) FreeLibrary(stub);
  return library;
}

void* SearchByMessagingSwitch() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) version = {};
  const bool newerThanNt351 =
      version.dwMajorVersion > 3 || (version.dwMajorVersion == 3 && version.dwMinorVersion > 51);
  if (newerThanNt351) {
    char value[10] = {};
    LONG rc = ERROR_SUCCESS;
    {
      HKEY raw = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMessagingKey, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return nullptr;
      const platform::UniqueHKey key(raw);
      DWORD size = 9;
      DWORD type = REG_NONE;
      rc = RegQueryValueExA(key.get(), "MAPIX", nullptr, &type, reinterpret_cast<LPBYTE>(value),
                            &size);
    }  // the key is closed before any library is loaded
    if (rc != ERROR_SUCCESS) return LoadLibraryA("mapi32.dll");
    if (std::strcmp(value, "1") != 0) return nullptr;
  } else if (GetProfileIntA("Mail", "MAPIX", 0) == 0) {
    return nullptr;
  }
  return LoadLibraryA("mapi32.dll");
}

}  // namespace mapi::binding
