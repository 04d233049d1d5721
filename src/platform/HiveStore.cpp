#include "HiveStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "FileUtil.h"
#include "TimeConversion.h"
#include "Win32.h"

namespace platform::detail {

namespace {

std::atomic<void (*)()> g_beforeRename{nullptr};

LONG Win32FromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENOTDIR:
      return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    default:
      return kErrorWriteFault;
  }
}

std::string RegistryFolder() {
  return MachineRoot() + "/registry";
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Whether the existing hive may be replaced; sets *mode to keep its mode.
LONG CheckWritable(const std::string& path, mode_t* mode) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return ERROR_SUCCESS;
    return Win32FromErrno(errno);
  }
  if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
  if ((st.st_mode & 0222) == 0) return ERROR_ACCESS_DENIED;
  if (::access(path.c_str(), R_OK | W_OK) != 0) return ERROR_ACCESS_DENIED;
  *mode = st.st_mode & 07777;
  return ERROR_SUCCESS;
}

// The temporary files of WriteAtomically: the hive file's name, a dot and
// the six letters or digits mkstemp chose.
bool IsTemporaryOf(std::string_view name, std::string_view hiveFile) {
  if (name.size() != hiveFile.size() + 7 || name.substr(0, hiveFile.size()) != hiveFile ||
      name[hiveFile.size()] != '.')
    return false;
  for (const char c : name.substr(hiveFile.size() + 1))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Called under the hive's lock: no other writer of this hive is at work, so
// any temporary of it was left by a writer that died before its rename.
void RemoveStaleTemporaries(const std::string& folder, std::string_view hiveFile) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get()))
    if (IsTemporaryOf(entry->d_name, hiveFile)) ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
}

LONG WriteAtomically(const std::string& folder, const std::string& path, const std::string& text,
                     mode_t mode) {
  std::string temp = path + ".XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return Win32FromErrno(errno);
  int failure = 0;
  if (!WriteAll(fd.get(), text) || ::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0)
    failure = errno;
  if (failure == 0 && ::close(fd.release()) != 0) failure = errno;
  if (failure == 0) {
    if (auto hook = g_beforeRename.load()) hook();
    if (::rename(temp.c_str(), path.c_str()) != 0) failure = errno;
  }
  if (failure != 0) {
    ::unlink(temp.c_str());
    return Win32FromErrno(failure);
  }
  // Make the rename itself durable.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return ERROR_SUCCESS;
}

}  // namespace

const char* HiveRootName(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Hive::CurrentUser:
      return "HKEY_CURRENT_USER";
    case Hive::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return "HKEY_LOCAL_MACHINE";
}

std::string HiveFilePath(Hive hive) {
  return RegistryFolder() + "/" + HiveRootName(hive) + ".reg";
}

RegKey LoadHive(Hive hive) {
  const auto text = ReadWholeFile(HiveFilePath(hive));
  if (!text) return RegKey{};
  return ParseHive(*text, HiveRootName(hive));
}

FILETIME HiveWriteTime(Hive hive) {
  struct stat st {};
  if (::stat(HiveFilePath(hive).c_str(), &st) != 0) return FILETIME{0, 0};
  return FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

LONG UpdateHive(Hive hive, const HiveChange& change) {
  const std::string folder = RegistryFolder();
  const std::string path = HiveFilePath(hive);
  if (const int rc = MakeDirs(folder); rc != 0) return Win32FromErrno(rc);

  Fd lock(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.get() < 0) return Win32FromErrno(errno);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return Win32FromErrno(errno);
  }

  RemoveStaleTemporaries(folder, std::string(HiveRootName(hive)) + ".reg");
  mode_t mode = 0644;
  if (const LONG rc = CheckWritable(path, &mode); rc != ERROR_SUCCESS) return rc;
  RegKey root;
  if (IsRegularFile(path)) {
    const auto text = ReadWholeFile(path);
    // A hive that exists but cannot be read must not be replaced by a
    // hive holding only this change.
    if (!text) return ERROR_ACCESS_DENIED;
    root = ParseHive(*text, HiveRootName(hive));
  }
  bool changed = false;
  const LONG rc = change(root, changed);
  if (rc != ERROR_SUCCESS || !changed) return rc;
  return WriteAtomically(folder, path, SerialiseHive(root, HiveRootName(hive)), mode);
}

void SetBeforeRenameHookForTesting(void (*hook)()) {
  g_beforeRename.store(hook);
}

}  // namespace platform::detail
