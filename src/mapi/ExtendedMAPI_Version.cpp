// MapiLibraryVersion: the "FileVersion" text of the loaded MAPI library.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ExtendedMAPI.h"
#include "Win32.h"

namespace mapi {

std::string MapiLibraryVersion() {
  HMODULE module = LoadedMapiModule();
  if (!module) module = GetModuleHandleA("mapi32.dll");
  if (!module) return {};

  char path[261] = {};
  DWORD length = GetModuleFileNameA(module, path, 260);
  if (length == 0 || length > 260) return {};

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return {};

  void* translation = nullptr;
  UINT translationLength = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation,
                      &translationLength) ||
      !translation || translationLength < 2 * sizeof(WORD))
    return {};
  WORD pair[2];
  std::memcpy(pair, translation, sizeof pair);

  char subBlock[64];
  std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04X%04X\\FileVersion",
                static_cast<unsigned>(pair[0]), static_cast<unsigned>(pair[1]));
  void* text = nullptr;
  UINT textLength = 0;
  if (!VerQueryValueA(block.data(), subBlock, &text, &textLength) || !text) return {};
  // Never read past the reported length, nor past the block when the text
  // lies inside it.
  const char* chars = static_cast<const char*>(text);
  std::size_t limit = textLength;
  const char* begin = reinterpret_cast<const char*>(block.data());
  if (chars >= begin && chars < begin + block.size()) {
    std::size_t inBlock = static_cast<std::size_t>(begin + block.size() - chars);
    limit = limit == 0 ? inBlock : std::min<std::size_t>(limit, inBlock);
  }
  return std::string(chars, strnlen(chars, limit));
}

}  // namespace mapi
