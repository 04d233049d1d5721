// The Win32 registry functions over the hive files (HiveStore.h).
//
// An open key is a handle object holding its hive, its path and the access
// it was opened with; every call re-reads the hive, so that changes made by
// other processes are seen at once. Handles are checked against the set of
// open handles, so a stale or foreign handle gives ERROR_INVALID_HANDLE
// instead of undefined behaviour.
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "HiveStore.h"
#include "Win32.h"

using platform::detail::FindKey;
using platform::detail::Hive;
using platform::detail::kErrorKeyDeleted;
using platform::detail::LoadHive;
using platform::detail::RegKey;
using platform::detail::RegValue;
using platform::detail::SplitKeyPath;
using platform::detail::UpdateHive;

struct HKEY__ {
  Hive hive;
  std::vector<std::string> path;
  REGSAM access;
};

namespace {

constexpr REGSAM kDeleteAccess = 0x00010000;

std::mutex g_handlesMutex;
std::set<HKEY> g_handles;

// A copy of the key a handle names, taken under the lock: the handle may be
// closed by another thread while the call works.
std::optional<HKEY__> Resolve(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return HKEY__{Hive::ClassesRoot, {}, KEY_ALL_ACCESS};
  if (key == HKEY_CURRENT_USER) return HKEY__{Hive::CurrentUser, {}, KEY_ALL_ACCESS};
  if (key == HKEY_LOCAL_MACHINE) return HKEY__{Hive::LocalMachine, {}, KEY_ALL_ACCESS};
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  if (g_handles.count(key) == 0) return std::nullopt;
  return *key;
}

HKEY NewHandle(Hive hive, std::vector<std::string> path, REGSAM access) {
  HKEY handle = new HKEY__{hive, std::move(path), access};
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  g_handles.insert(handle);
  return handle;
}

bool Allows(const HKEY__& ref, REGSAM needed) {
  return (ref.access & needed) != 0;
}

bool HasBadCharacter(std::string_view name) {
  return name.find_first_of("\r\n") != std::string_view::npos;
}

// The subkey path below `ref`, or nullopt for a name Windows would refuse.
std::optional<std::vector<std::string>> ChildPath(const HKEY__& ref, LPCSTR subKey) {
  std::vector<std::string> path = ref.path;
  if (subKey == nullptr) return path;
  for (std::string& part : SplitKeyPath(subKey)) {
    if (part.size() > platform::detail::kMaxKeyNameLength || HasBadCharacter(part))
      return std::nullopt;
    path.push_back(std::move(part));
  }
  return path;
}

std::string_view ValueName(LPCSTR name) {
  return name == nullptr ? std::string_view() : std::string_view(name);
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                   PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  auto path = ChildPath(*ref, lpSubKey);
  if (!path) return ERROR_FILE_NOT_FOUND;
  const RegKey root = LoadHive(ref->hive);
  if (FindKey(root, *path) == nullptr)
    return ref->path.empty() || FindKey(root, ref->path) ? ERROR_FILE_NOT_FOUND : kErrorKeyDeleted;
  *phkResult = NewHandle(ref->hive, std::move(*path), samDesired);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                     DWORD /*dwOptions*/, REGSAM samDesired, void* /*lpSecurityAttributes*/,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (phkResult == nullptr || lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  auto path = ChildPath(*ref, lpSubKey);
  if (!path) return ERROR_INVALID_PARAMETER;

  // Opening an existing key writes nothing, so it also works on a hive that
  // cannot be written.
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  if (FindKey(LoadHive(ref->hive), *path) == nullptr) {
    if (!Allows(*ref, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    const LONG rc = UpdateHive(ref->hive, [&](RegKey& root, bool& changed) -> LONG {
      RegKey* key = FindKey(root, ref->path);
      if (key == nullptr) return kErrorKeyDeleted;
      for (std::size_t i = ref->path.size(); i < path->size(); ++i) {
        RegKey* next = key->FindSubkey((*path)[i]);
        if (next == nullptr) {
          next = &key->AddSubkey((*path)[i]);
          changed = true;
        }
        key = next;
      }
      if (changed) disposition = REG_CREATED_NEW_KEY;
      return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
  }
  if (lpdwDisposition != nullptr) *lpdwDisposition = disposition;
  *phkResult = NewHandle(ref->hive, std::move(*path), samDesired);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD /*lpReserved*/, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
  if (!Allows(*ref, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const RegKey root = LoadHive(ref->hive);
  const RegKey* key = FindKey(root, ref->path);
  if (key == nullptr) return kErrorKeyDeleted;
  const RegValue* value = key->FindValue(ValueName(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType != nullptr) *lpType = value->type;
  const auto size = static_cast<DWORD>(value->data.size());
  if (lpData == nullptr) {
    if (lpcbData != nullptr) *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (size > 0) std::memcpy(lpData, value->data.data(), size);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  if (lpData == nullptr && cbData > 0) return ERROR_INVALID_PARAMETER;
  const std::string_view name = ValueName(lpValueName);
  if (name.size() > platform::detail::kMaxValueNameLength || HasBadCharacter(name))
    return ERROR_INVALID_PARAMETER;
  if (!Allows(*ref, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::vector<BYTE> data(lpData, lpData + cbData);
  return UpdateHive(ref->hive, [&](RegKey& root, bool& changed) -> LONG {
    RegKey* key = FindKey(root, ref->path);
    if (key == nullptr) return kErrorKeyDeleted;
    key->SetValue(name, dwType, std::move(data));
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  if (!Allows(*ref, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string_view name = ValueName(lpValueName);
  const RegKey current = LoadHive(ref->hive);
  const RegKey* key = FindKey(current, ref->path);
  if (key == nullptr) return kErrorKeyDeleted;
  if (key->FindValue(name) == nullptr) return ERROR_FILE_NOT_FOUND;
  return UpdateHive(ref->hive, [&](RegKey& root, bool& changed) -> LONG {
    RegKey* k = FindKey(root, ref->path);
    if (k == nullptr) return kErrorKeyDeleted;
    if (!k->RemoveValue(name)) return ERROR_FILE_NOT_FOUND;
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  auto path = ChildPath(*ref, lpSubKey);
  // Deleting the key the handle itself names, or a whole hive, is refused.
  if (!path || path->size() == ref->path.size()) return ERROR_INVALID_PARAMETER;
  if (!Allows(*ref, KEY_SET_VALUE | KEY_CREATE_SUB_KEY | kDeleteAccess)) return ERROR_ACCESS_DENIED;
  if (FindKey(LoadHive(ref->hive), *path) == nullptr) return ERROR_FILE_NOT_FOUND;
  return UpdateHive(ref->hive, [&](RegKey& root, bool& changed) -> LONG {
    std::vector<std::string> parentPath(path->begin(), path->end() - 1);
    RegKey* parent = FindKey(root, parentPath);
    if (parent == nullptr || !parent->RemoveSubkey(path->back())) return ERROR_FILE_NOT_FOUND;
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                   LPDWORD /*lpReserved*/, LPSTR lpClass, LPDWORD lpcchClass,
                   FILETIME* lpftLastWriteTime) {
  const auto ref = Resolve(hKey);
  if (!ref) return ERROR_INVALID_HANDLE;
  if (lpName == nullptr || lpcchName == nullptr) return ERROR_INVALID_PARAMETER;
  if (!Allows(*ref, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  const RegKey root = LoadHive(ref->hive);
  const RegKey* key = FindKey(root, ref->path);
  if (key == nullptr) return kErrorKeyDeleted;
  if (dwIndex >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& name = key->subkeys[dwIndex].name;
  if (name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
  std::memcpy(lpName, name.c_str(), name.size() + 1);
  *lpcchName = static_cast<DWORD>(name.size());
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
    lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  // Keys carry no time of their own here; the hive's last write stands in.
  if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = platform::detail::HiveWriteTime(ref->hive);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CLASSES_ROOT || hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE)
    return ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    if (g_handles.erase(hKey) == 0) return ERROR_INVALID_HANDLE;
  }
  delete hKey;
  return ERROR_SUCCESS;
}

// Every write is already on disk when it returns.
LONG RegFlushKey(HKEY hKey) {
  return Resolve(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
