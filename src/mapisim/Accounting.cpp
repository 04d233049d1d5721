#include "Accounting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "Allocator.h"
#include "Faults.h"
#include "FileUtil.h"
#include "GalCache.h"
#include "ProfileStore.h"
#include "SimState.h"
#include "Win32.h"

namespace mapisim {
namespace {

std::atomic<std::uint32_t> g_liveObjects{0};
std::atomic<std::uint32_t> g_openSessions{0};

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x80) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

void CountObjectCreated() {
  g_liveObjects.fetch_add(1, std::memory_order_relaxed);
}
void CountObjectDestroyed() {
  g_liveObjects.fetch_sub(1, std::memory_order_relaxed);
}
void CountSessionOpened() {
  g_openSessions.fetch_add(1, std::memory_order_relaxed);
}
void CountSessionClosed() {
  g_openSessions.fetch_sub(1, std::memory_order_relaxed);
}

TabrixSimAccounting CurrentAccounting() {
  TabrixSimAccounting a{};
  a.liveObjects = g_liveObjects.load();
  a.outstandingBuffers = OutstandingBuffers();
  a.openSessions = g_openSessions.load();
  a.initializeCount = InitializeCount();
  a.profiles = CountProfiles();
  return a;
}

namespace {

// The line appended to <root>/mapisim/accounting.jsonl when the library is
// unloaded.
std::string AccountingLine(const TabrixSimAccounting& c, long pid, const std::string& program) {
  return "{\"pid\":" + std::to_string(pid) + ",\"program\":" + JsonText(program) +
         ",\"liveObjects\":" + std::to_string(c.liveObjects) +
         ",\"outstandingBuffers\":" + std::to_string(c.outstandingBuffers) +
         ",\"openSessions\":" + std::to_string(c.openSessions) +
         ",\"initializeCount\":" + std::to_string(c.initializeCount) +
         ",\"profiles\":" + std::to_string(c.profiles) + "}\n";
}

// Appends the line for this process now, if the machine root exists.
void WriteAccountingAtUnload() {
  const std::string root = platform::MachineRoot();
  struct stat st {};
  if (root.empty() || ::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  const std::string dir = root + "/mapisim";
  ::mkdir(dir.c_str(), 0755);
  std::string program = platform::ExecutablePath();
  if (auto slash = program.rfind('/'); slash != std::string::npos) program.erase(0, slash + 1);
  const std::string line =
      AccountingLine(CurrentAccounting(), static_cast<long>(::getpid()), program);
  const platform::detail::Fd fd(platform::detail::OpenRegularFile(
      dir + "/accounting.jsonl", O_WRONLY | O_CREAT | O_APPEND, 0644));
  if (fd.get() < 0) return;
  // One write of the whole line, so that lines of processes ending at the
  // same time do not interleave.
  [[maybe_unused]] ssize_t n = ::write(fd.get(), line.data(), line.size());
}

struct UnloadHook {
  ~UnloadHook() {
    WriteAccountingAtUnload();
    ShutdownFaults();
    ShutdownGalCache();
    ShutdownState();
  }
};

}  // namespace

void EnsureUnloadHook() {
  static UnloadHook hook;
}

}  // namespace mapisim
