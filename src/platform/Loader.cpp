// LoadLibraryA, GetProcAddress and the module functions over dlopen.
//
// A module handle is the address of a record kept for every library this
// process loaded through LoadLibraryA; loading the same file again returns
// the same handle and counts a reference, as Windows does. The running
// program itself is one more record, made on first use.
#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ModuleName.h"
#include "TextUtil.h"
#include "Win32.h"

namespace {

struct Module {
  void* dl = nullptr;
  std::string path;        // the file loaded
  std::string windowsKey;  // "mapi32.dll", lower case
  unsigned references = 0;
};

std::mutex g_mutex;
std::vector<std::unique_ptr<Module>> g_modules;
Module g_program;

Module* Program() {
  // Called with g_mutex held.
  if (g_program.dl == nullptr) {
    g_program.dl = ::dlopen(nullptr, RTLD_NOW);
    g_program.path = platform::ExecutablePath();
  }
  return &g_program;
}

Module* Find(HMODULE handle) {
  if (handle == &g_program) return Program();
  for (auto& m : g_modules)
    if (m.get() == handle) return m.get();
  return nullptr;
}

// "MAPIInitialize@4" and "_MAPIInitialize@4" name the C symbol
// "MAPIInitialize": the decoration of the Windows calling convention.
std::string Undecorated(std::string_view name) {
  const std::size_t at = name.rfind('@');
  if (at != std::string_view::npos && at > 0 && at + 1 < name.size() &&
      name.find_first_not_of("0123456789", at + 1) == std::string_view::npos)
    name = name.substr(0, at);
  return std::string(name);
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto path = platform::detail::FindSharedLibrary(lpLibFileName);
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* dl = ::dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (dl == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& m : g_modules) {
    if (m->dl == dl) {
      ++m->references;
      return m.get();
    }
  }
  auto module = std::make_unique<Module>();
  module->dl = dl;
  module->path = *path;
  module->windowsKey = platform::detail::WindowsModuleKey(lpLibFileName);
  module->references = 1;
  g_modules.push_back(std::move(module));
  return g_modules.back().get();
}

BOOL FreeLibrary(HMODULE hLibModule) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (hLibModule == &g_program) return TRUE;
  for (auto it = g_modules.begin(); it != g_modules.end(); ++it) {
    if (it->get() != hLibModule) continue;
    Module& m = **it;
    ::dlclose(m.dl);  // one dlopen per LoadLibraryA
    if (--m.references == 0) g_modules.erase(it);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  void* dl = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Module* m = Find(hModule);
    if (m == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    dl = m->dl;
  }
  // Look-ups by ordinal (a small integer in place of the name) are not offered.
  if (lpProcName == nullptr || reinterpret_cast<std::uintptr_t>(lpProcName) < 0x10000u) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  std::vector<std::string> candidates{lpProcName};
  std::string name = Undecorated(lpProcName);
  if (name != lpProcName) candidates.push_back(name);
  if (name.size() > 1 && name.front() == '_') candidates.push_back(name.substr(1));
  for (const std::string& symbol : candidates) {
    if (void* address = ::dlsym(dl, symbol.c_str())) {
      FARPROC proc;
      static_assert(sizeof proc == sizeof address);
      std::memcpy(&proc, &address, sizeof proc);
      return proc;
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (lpModuleName == nullptr) return Program();
  const std::string key = platform::detail::WindowsModuleKey(lpModuleName);
  for (auto& m : g_modules)
    if (m->windowsKey == key) return m.get();
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

// The path, cut to nSize - 1 characters when longer; a cut path gives nSize
// and ERROR_INSUFFICIENT_BUFFER, as Windows does.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Module* m = hModule == nullptr ? Program() : Find(hModule);
    if (m == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = m->path;
  }
  if (lpFilename == nullptr || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::size_t copied = platform::CopyTruncated(path, lpFilename, nSize);
  if (copied < path.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(copied);
}

// The length copied, or the size needed (with the terminator) when the
// buffer is too small.
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  const std::string dir = platform::detail::SystemDirectory();
  if (lpBuffer == nullptr || uSize <= dir.size()) return static_cast<UINT>(dir.size() + 1);
  std::memcpy(lpBuffer, dir.c_str(), dir.size() + 1);
  return static_cast<UINT>(dir.size());
}
