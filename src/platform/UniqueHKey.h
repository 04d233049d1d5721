// An owner for an open registry key that closes it on every path.
#pragma once

#include <memory>

#include "Win32.h"

namespace platform {

struct HKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};

// Holds a key from RegOpenKeyExA or RegCreateKeyExA:
//   HKEY raw = nullptr;
//   if (RegOpenKeyExA(parent, name, 0, KEY_READ, &raw) == ERROR_SUCCESS) key.reset(raw);
using UniqueHKey = std::unique_ptr<HKEY__, HKeyCloser>;

}  // namespace platform
