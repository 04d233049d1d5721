// Message boxes outside any window, and the shell's "open".
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TextUtil.h"
#include "Win32.h"

namespace {

bool HasDesktop() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

std::string FindProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    const std::string candidate = dir + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

}  // namespace

int MessageBoxA(void* /*hWnd*/, LPCSTR lpText, LPCSTR lpCaption, UINT /*uType*/) {
  std::fprintf(stderr, "%s: %s\n", lpCaption ? lpCaption : "Error", lpText ? lpText : "");
  std::fflush(stderr);
  return IDOK;
}

// Starts "xdg-open <file>" when there is a desktop to show it on. The
// intermediate child ends at once, so the program waits for nothing and
// leaves no zombie; the opener runs in its own session.
std::intptr_t ShellExecuteA(void* /*hwnd*/, LPCSTR lpOperation, LPCSTR lpFile,
                            LPCSTR /*lpParameters*/, LPCSTR lpDirectory, int /*nShowCmd*/) {
  if (lpOperation != nullptr && !platform::EqualsNoCase(lpOperation, "open")) return SE_ERR_NOASSOC;
  if (lpFile == nullptr || *lpFile == '\0') return SE_ERR_FNF;
  if (!HasDesktop()) return SE_ERR_NOASSOC;
  const std::string opener = FindProgram("xdg-open");
  if (opener.empty()) return SE_ERR_NOASSOC;

  // Everything the children need is ready before fork: after it they only
  // make async-signal-safe calls.
  const std::string file = lpFile;
  const std::string directory = lpDirectory ? lpDirectory : "";
  char* const argv[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(file.c_str()),
                        nullptr};

  const pid_t child = ::fork();
  if (child < 0) return SE_ERR_OOM;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      const int devNull = ::open("/dev/null", O_RDWR);
      if (devNull >= 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        if (devNull > STDERR_FILENO) ::close(devNull);
      }
      if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(127);
      ::execv(opener.c_str(), argv);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return SE_ERR_OOM;
  return 42;
}
