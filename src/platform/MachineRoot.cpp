// The machine root, the running executable, the thread's last error, the
// process identifier and the host name.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "TextUtil.h"
#include "ThisHost.h"
#include "Win32.h"

namespace {
// Windows keeps the last error per thread.
thread_local DWORD t_lastError = 0;
}  // namespace

DWORD GetLastError() {
  return t_lastError;
}
void SetLastError(DWORD err) {
  t_lastError = err;
}

DWORD GetCurrentProcessId() {
  return static_cast<DWORD>(::getpid());
}

namespace platform {

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) return std::string();
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

std::string ExecutableDir() {
  const std::string path = ExecutablePath();
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string(".");
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Read on every call: tests switch machine roots within one process.
std::string MachineRoot() {
  const char* env = std::getenv("TABRIX_MACHINE");
  if (env != nullptr && *env != '\0') {
    std::string root(env);
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
  }
  const std::string dir = ExecutableDir();
  return dir == "/" ? std::string("/machine") : dir + "/machine";
}

}  // namespace platform

namespace platform::detail {

bool IsThisHost(std::string_view name) {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return false;
  return EqualsNoCase(name, host);
}

}  // namespace platform::detail
