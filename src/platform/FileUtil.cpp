#include "FileUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "TextUtil.h"

namespace platform::detail {

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
  // Without O_NONBLOCK the open of a FIFO waits for its other end forever.
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  const Fd file(OpenRegularFile(path, O_RDONLY));
  const int fd = file.get();
  if (fd < 0) return std::nullopt;
  std::string text;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  return text;
}

int MakeDirs(const std::string& path) {
  if (path.empty()) return 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    if (const int rc = MakeDirs(path.substr(0, slash)); rc != 0) return rc;
  }
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return errno;
  return 0;
}

std::string SlashPath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

PathParts SplitPath(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return {std::string(), std::string(path)};
  return {std::string(path.substr(0, cut == 0 ? 1 : cut)), std::string(path.substr(cut + 1))};
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> FindInFolderNoCase(const std::string& folder, std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::string dir = folder.empty() ? std::string(".") : folder;
  const std::string exact = dir + "/" + std::string(name);
  struct stat st {};
  if (::stat(exact.c_str(), &st) == 0) return exact;
  std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), &::closedir);
  if (!handle) return std::nullopt;
  while (const dirent* entry = ::readdir(handle.get())) {
    if (EqualsNoCase(entry->d_name, name)) return dir + "/" + entry->d_name;
  }
  return std::nullopt;
}

std::optional<std::string> ResolveExistingFile(std::string_view path) {
  if (path.empty()) return std::nullopt;
  const std::string given(path);
  if (IsRegularFile(given)) return given;
  const std::string slashed = SlashPath(path);
  if (IsRegularFile(slashed)) return slashed;
  const PathParts parts = SplitPath(slashed);
  auto found = FindInFolderNoCase(parts.folder, parts.name);
  if (found && IsRegularFile(*found)) return found;
  return std::nullopt;
}

}  // namespace platform::detail
