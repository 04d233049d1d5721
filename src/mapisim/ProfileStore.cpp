#include "ProfileStore.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "ComPtr.h"
#include "TextUtil.h"
#include "UniqueHKey.h"
#include "Win32.h"

namespace mapisim {
namespace {

constexpr const char* kDefaultValue = "DefaultProfile";

// An open registry key, closed on every path.
using Key = platform::UniqueHKey;

HRESULT FromWin32(LONG err) {
  switch (err) {
    case ERROR_SUCCESS:
      return S_OK;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return MAPI_E_NOT_FOUND;
    case ERROR_ACCESS_DENIED:
      return MAPI_E_NO_ACCESS;
    default:
      return MAPI_E_CALL_FAILED;
  }
}

std::string ProfilePath(const std::string& name) {
  return std::string(kProfilesKey) + "\\" + name;
}

HRESULT OpenKey(const std::string& path, REGSAM access, Key* key) {
  return FromWin32(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, mapi::Out(*key)));
}

HRESULT CreateKey(const std::string& path, Key* key) {
  return FromWin32(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                   mapi::Out(*key), nullptr));
}

HRESULT SubKeys(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  Key key;
  HRESULT hr = OpenKey(path, KEY_READ, &key);
  if (hr == MAPI_E_NOT_FOUND) return S_OK;
  if (FAILED(hr)) return hr;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD cch = sizeof name;
    LONG err = RegEnumKeyExA(key.get(), i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (err == ERROR_NO_MORE_ITEMS) break;
    if (err != ERROR_SUCCESS) return FromWin32(err);
    names->emplace_back(name, cch);
  }
  return S_OK;
}

std::optional<std::string> ReadText(HKEY key, const char* value) {
  // One call serves the usual short value; only a longer one takes a second
  // call at its size.
  char small[512];
  DWORD type = 0, size = sizeof small;
  LONG err = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(small), &size);
  std::string text;
  if (err == ERROR_SUCCESS) {
    text.assign(small, size);
  } else if (err == ERROR_MORE_DATA && type == REG_SZ) {
    text.resize(size);
    err =
        RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &size);
    if (err == ERROR_SUCCESS) text.resize(size);
  }
  if (err != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::optional<DWORD> ReadNumber(HKEY key, const char* value) {
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(&v), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return v;
}

HRESULT WriteText(HKEY key, const char* value, const std::string& text) {
  return FromWin32(RegSetValueExA(key, value, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)));
}

HRESULT WriteNumber(HKEY key, const char* value, DWORD v) {
  return FromWin32(
      RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v));
}

bool UidFromHex(const std::string& hex, MAPIUID* uid) {
  if (hex.size() != 32) return false;
  for (int i = 0; i < 16; ++i) {
    unsigned v = 0;
    if (std::sscanf(hex.c_str() + 2 * i, "%2x", &v) != 1) return false;
    uid->ab[i] = static_cast<BYTE>(v);
  }
  return true;
}

}  // namespace

std::string UidToHex(const MAPIUID& uid) {
  std::string hex;
  char buf[3];
  for (BYTE b : uid.ab) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    hex += buf;
  }
  return hex;
}

bool ValidProfileName(const char* name) {
  if (!name || !*name) return false;
  std::size_t n = 0;
  for (const char* p = name; *p; ++p, ++n) {
    const auto c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7F || c == '\\' || n >= 260) return false;
  }
  return true;
}

HRESULT ProfileExists(const std::string& name, bool* exists) {
  Key key;
  HRESULT hr = OpenKey(ProfilePath(name), KEY_READ, &key);
  *exists = SUCCEEDED(hr);
  return hr == MAPI_E_NOT_FOUND ? S_OK : (FAILED(hr) ? hr : S_OK);
}

bool ProfileIsThere(const char* name) {
  bool exists = false;
  return ValidProfileName(name) && SUCCEEDED(ProfileExists(name, &exists)) && exists;
}

HRESULT CreateProfileKey(const std::string& name) {
  bool exists = false;
  HRESULT hr = ProfileExists(name, &exists);
  if (FAILED(hr)) return hr;
  if (exists) return MAPI_E_NO_ACCESS;
  Key key;
  return CreateKey(ProfilePath(name) + "\\Services", &key);
}

HRESULT DeleteProfileKey(const std::string& name) {
  bool exists = false;
  HRESULT hr = ProfileExists(name, &exists);
  if (FAILED(hr)) return hr;
  if (!exists) return MAPI_E_NOT_FOUND;
  Key profiles;
  hr = OpenKey(kProfilesKey, KEY_ALL_ACCESS, &profiles);
  if (FAILED(hr)) return hr;
  hr = FromWin32(RegDeleteKeyA(profiles.get(), name.c_str()));
  if (FAILED(hr)) return hr;
  if (auto def = ReadText(profiles.get(), kDefaultValue); def && platform::EqualsNoCase(*def, name))
    RegDeleteValueA(profiles.get(), kDefaultValue);
  return S_OK;
}

HRESULT ListProfiles(std::vector<std::string>* names) {
  return SubKeys(kProfilesKey, names);
}

std::optional<std::string> DefaultProfile() {
  Key profiles;
  if (FAILED(OpenKey(kProfilesKey, KEY_READ, &profiles))) return std::nullopt;
  auto name = ReadText(profiles.get(), kDefaultValue);
  if (!name || name->empty()) return std::nullopt;
  bool exists = false;
  if (FAILED(ProfileExists(*name, &exists)) || !exists) return std::nullopt;
  return name;
}

HRESULT SetDefaultProfileName(const char* name) {
  Key profiles;
  HRESULT hr = CreateKey(kProfilesKey, &profiles);
  if (FAILED(hr)) return hr;
  if (!name) {
    LONG err = RegDeleteValueA(profiles.get(), kDefaultValue);
    return err == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(err);
  }
  return WriteText(profiles.get(), kDefaultValue, name);
}

std::uint32_t CountProfiles() {
  std::vector<std::string> names;
  return SUCCEEDED(ListProfiles(&names)) ? static_cast<std::uint32_t>(names.size()) : 0;
}

HRESULT ListServices(const std::string& profile, std::vector<ServiceEntry>* services) {
  services->clear();
  bool exists = false;
  HRESULT hr = ProfileExists(profile, &exists);
  if (FAILED(hr)) return hr;
  if (!exists) return MAPI_E_NOT_FOUND;
  const std::string base = ProfilePath(profile) + "\\Services";
  std::vector<std::string> keys;
  hr = SubKeys(base, &keys);
  if (FAILED(hr)) return hr;
  for (const auto& k : keys) {
    ServiceEntry s;
    if (!UidFromHex(k, &s.uid)) continue;  // not a service key of ours
    Key key;
    if (FAILED(OpenKey(base + "\\" + k, KEY_READ, &key))) continue;
    s.name = ReadText(key.get(), "ServiceName").value_or("");
    s.displayName = ReadText(key.get(), "DisplayName").value_or("");
    s.order = ReadNumber(key.get(), "Order").value_or(0);
    s.mailboxName = ReadText(key.get(), "MailboxName").value_or("");
    s.serverName = ReadText(key.get(), "ServerName").value_or("");
    s.mailboxId = std::strtoll(ReadText(key.get(), "MailboxId").value_or("0").c_str(), nullptr, 10);
    s.mailboxDn = ReadText(key.get(), "MailboxDn").value_or("");
    s.configured = s.mailboxId != 0;
    services->push_back(std::move(s));
  }
  std::stable_sort(services->begin(), services->end(),
                   [](const ServiceEntry& a, const ServiceEntry& b) { return a.order < b.order; });
  return S_OK;
}

HRESULT AddService(const std::string& profile, const std::string& serviceName,
                   const std::string& displayName, const std::string& usualDisplayName,
                   MAPIUID* uid) {
  std::vector<ServiceEntry> existing;
  HRESULT hr = ListServices(profile, &existing);
  if (FAILED(hr)) return hr;
  std::random_device random;
  for (auto& b : uid->ab) b = static_cast<BYTE>(random() & 0xFF);
  std::uint32_t order = 1;
  for (const auto& s : existing) order = std::max(order, s.order + 1);
  Key key;
  hr = CreateKey(ProfilePath(profile) + "\\Services\\" + UidToHex(*uid), &key);
  if (SUCCEEDED(hr)) hr = WriteText(key.get(), "ServiceName", serviceName);
  if (SUCCEEDED(hr)) hr = WriteNumber(key.get(), "Order", order);
  if (SUCCEEDED(hr) && displayName != usualDisplayName)
    hr = WriteText(key.get(), "DisplayName", displayName);
  return hr;
}

HRESULT SaveServiceConfiguration(const std::string& profile, const ServiceEntry& s) {
  Key key;
  HRESULT hr =
      OpenKey(ProfilePath(profile) + "\\Services\\" + UidToHex(s.uid), KEY_ALL_ACCESS, &key);
  if (SUCCEEDED(hr)) hr = WriteText(key.get(), "MailboxName", s.mailboxName);
  if (SUCCEEDED(hr)) hr = WriteText(key.get(), "ServerName", s.serverName);
  if (SUCCEEDED(hr)) hr = WriteText(key.get(), "MailboxId", std::to_string(s.mailboxId));
  if (SUCCEEDED(hr)) hr = WriteText(key.get(), "MailboxDn", s.mailboxDn);
  return hr;
}

}  // namespace mapisim
