// How a Windows module name ("mapi32.dll", "C:\dir\MAPI32.DLL") maps onto a
// shared library here: lib<name>.so in the named folder, or in the system
// directory <machine root>/system32 when no folder is given, the file name
// compared without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

std::string SystemDirectory();

// "mapi32.dll" -> "libmapi32.so"; a name without an extension gets Windows'
// ".dll" first; a name that already ends in ".so" is kept.
std::string SharedLibraryFileName(std::string_view windowsFileName);

// The Windows file name a module is known by ("mapi32.dll"), lower-cased.
std::string WindowsModuleKey(std::string_view windowsName);

// The existing shared library for a Windows module path, or nullopt.
std::optional<std::string> FindSharedLibrary(std::string_view windowsPath);

}  // namespace platform::detail
