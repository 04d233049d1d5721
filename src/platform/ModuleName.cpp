#include "ModuleName.h"

#include "FileUtil.h"
#include "TextUtil.h"
#include "Win32.h"

namespace platform::detail {

std::string SystemDirectory() {
  return MachineRoot() + "/system32";
}

namespace {

// Windows appends ".dll" to a name without an extension; a trailing dot
// means "no extension, do not append".
std::string WithDefaultExtension(std::string_view name) {
  if (!name.empty() && name.back() == '.') return std::string(name.substr(0, name.size() - 1));
  if (name.find('.') == std::string_view::npos) return std::string(name) + ".dll";
  return std::string(name);
}

}  // namespace

std::string WindowsModuleKey(std::string_view windowsName) {
  return AsciiLowered(WithDefaultExtension(SplitPath(windowsName).name));
}

std::string SharedLibraryFileName(std::string_view windowsFileName) {
  if (EndsWithNoCase(windowsFileName, ".so")) return std::string(windowsFileName);
  std::string name = WithDefaultExtension(windowsFileName);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return "lib" + name + ".so";
}

std::optional<std::string> FindSharedLibrary(std::string_view windowsPath) {
  const PathParts parts = SplitPath(windowsPath);
  if (parts.name.empty()) return std::nullopt;
  const std::string folder = parts.folder.empty() ? SystemDirectory() : SlashPath(parts.folder);
  auto found = FindInFolderNoCase(folder, SharedLibraryFileName(parts.name));
  if (found && IsRegularFile(*found)) return found;
  return std::nullopt;
}

}  // namespace platform::detail
