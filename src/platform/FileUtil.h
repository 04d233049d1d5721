// File-system helpers for the stand-ins: whole-file reads, folder creation,
// and the case-insensitive name lookup that Windows paths expect.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

// Closes a descriptor on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd();
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// open(2) of `path` that refuses anything but a regular file (a FIFO, a
// device, a folder) without blocking on it, as a file without access:
// -1 with errno EACCES. The descriptor is close-on-exec and blocking.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);

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
