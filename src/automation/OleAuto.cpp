// Class identifiers, the running-object table and in-process creation.
#include "OleAuto.h"

#include <cstdio>
#include <map>
#include <string>

#include "TextUtil.h"
#include "UniqueHKey.h"
#include "Win32.h"

namespace automation {

std::string GuidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> ParseGuid(std::string_view text) {
  // {8-4-4-4-12}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  const std::string_view body = text.substr(1, 36);
  for (std::size_t dash : {8u, 13u, 18u, 23u})
    if (body[dash] != '-') return std::nullopt;
  auto hex = [&](std::size_t at, std::size_t digits) {
    return platform::ParseHexNumber(body.substr(at, digits), digits);
  };
  GUID g{};
  const auto d1 = hex(0, 8), d2 = hex(9, 4), d3 = hex(14, 4);
  if (!d1 || !d2 || !d3) return std::nullopt;
  g.Data1 = *d1;
  g.Data2 = static_cast<std::uint16_t>(*d2);
  g.Data3 = static_cast<std::uint16_t>(*d3);
  constexpr std::size_t kByteAt[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    const auto b = hex(kByteAt[i], 2);
    if (!b) return std::nullopt;
    g.Data4[i] = static_cast<std::uint8_t>(*b);
  }
  return g;
}

namespace {

// The default value of HKEY_CLASSES_ROOT\<path>, if the key and a text are
// there.
std::optional<std::string> ClassesRootText(const std::string& path) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return std::nullopt;
  const platform::UniqueHKey key(raw);
  char buffer[1024];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key.get(), "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  return std::string(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
}

LONG SetClassesRootText(const std::string& path, const std::string& text) {
  HKEY raw = nullptr;
  LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &raw, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  const platform::UniqueHKey key(raw);
  rc = RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                      static_cast<DWORD>(text.size() + 1));
  if (rc == ERROR_SUCCESS) rc = RegFlushKey(key.get());
  return rc;
}

struct ActiveEntry {
  CLSID clsid;
  ComRef<IUnknown> object;
};

// The process's running-object table: one entry per registration, the
// newest registration of a class answering GetActiveObject.
struct RunningObjects {
  std::map<DWORD, ActiveEntry> entries;
  DWORD next = 1;
};

RunningObjects& Table() {
  static RunningObjects table;
  return table;
}

}  // namespace

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  const auto text = ClassesRootText(std::string(progId) + "\\CLSID");
  if (!text) return CO_E_CLASSSTRING;
  const auto guid = ParseGuid(*text);
  if (!guid) return CO_E_CLASSSTRING;
  *clsid = *guid;
  return S_OK;
}

LONG RegisterInprocServer(const char* progId, const CLSID& clsid, const char* module) {
  if (!progId || !module) return ERROR_INVALID_PARAMETER;
  const std::string clsidText = GuidText(clsid);
  LONG rc = SetClassesRootText(std::string(progId) + "\\CLSID", clsidText);
  if (rc == ERROR_SUCCESS) rc = SetClassesRootText("CLSID\\" + clsidText, progId);
  if (rc == ERROR_SUCCESS)
    rc = SetClassesRootText("CLSID\\" + clsidText + "\\InprocServer32", module);
  return rc;
}

HRESULT RegisterActiveObject(IUnknown* object, const CLSID& clsid, DWORD /*flags*/,
                             DWORD* registration) {
  if (!object || !registration) return E_INVALIDARG;
  RunningObjects& table = Table();
  const DWORD id = table.next++;
  table.entries.emplace(id, ActiveEntry{clsid, ComRef<IUnknown>::Share(object)});
  *registration = id;
  return S_OK;
}

HRESULT RevokeActiveObject(DWORD registration, void* /*reserved*/) {
  // Released outside the table, so that a destructor may use it.
  ComRef<IUnknown> released;
  auto& entries = Table().entries;
  const auto it = entries.find(registration);
  if (it == entries.end()) return E_INVALIDARG;
  released = std::move(it->second.object);
  entries.erase(it);
  return S_OK;
}

HRESULT GetActiveObject(const CLSID& clsid, void* /*reserved*/, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const auto& entries = Table().entries;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->second.clsid == clsid) {
      *object = it->second.object.get();
      (*object)->AddRef();
      return S_OK;
    }
  }
  return MK_E_UNAVAILABLE;
}

void CoUninitialize() {
  std::map<DWORD, ActiveEntry> released;
  released.swap(Table().entries);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  const auto module = ClassesRootText("CLSID\\" + GuidText(clsid) + "\\InprocServer32");
  if (!module || module->empty()) return REGDB_E_CLASSNOTREG;
  // The library stays loaded for the life of the process: the objects it
  // made may outlive this call in the running-object table.
  HMODULE library = LoadLibraryA(module->c_str());
  if (!library) return CO_E_DLLNOTFOUND;
  const auto getClassObject =
      reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(library, "DllGetClassObject"));
  if (!getClassObject) return CO_E_ERRORINDLL;
  ComRef<IClassFactory> factory;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
  if (FAILED(hr)) return hr;
  if (!factory) return CO_E_ERRORINDLL;
  ComRef<IUnknown> created;
  hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(created.Put()));
  if (FAILED(hr)) return hr;
  if (!created) return CO_E_ERRORINDLL;
  hr = created->QueryInterface(riid, object);
  if (FAILED(hr)) return hr;
  DWORD registration = 0;
  RegisterActiveObject(created.get(), clsid, 0, &registration);
  return S_OK;
}

}  // namespace automation
