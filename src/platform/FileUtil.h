// File-system helpers for the stand-ins: whole-file reads, folder creation,
// and the case-insensitive name lookup that Windows paths expect.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

// The whole file, or nullopt when it cannot be opened or read (or is larger
// than maxBytes, so that a stray huge file cannot exhaust memory).
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes = 64u << 20);

// Creates `path` and its missing parents (mode 0755). Returns 0 or an errno.
int MakeDirs(const std::string& path);

// A path as the program spelled it for Windows ("C:\dir\file" style
// separators) with every backslash turned into a slash.
std::string SlashPath(std::string_view path);

// Splits at the last "\" or "/": folder (empty when none) and file name.
struct PathParts {
  std::string folder;
  std::string name;
};
PathParts SplitPath(std::string_view path);

// `folder`/`name` when it exists; otherwise the first entry of `folder`
// whose name equals `name` without regard to case; nullopt when neither.
std::optional<std::string> FindInFolderNoCase(const std::string& folder, std::string_view name);

// An existing file for a Windows-style path: tried as given, then with
// slashes, then with the last component matched without regard to case.
std::optional<std::string> ResolveExistingFile(std::string_view path);

bool IsRegularFile(const std::string& path);

}  // namespace platform::detail
