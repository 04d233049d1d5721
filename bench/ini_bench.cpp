// Reading every key of a large private-profile (INI) file through
// GetPrivateProfileStringA, against reading the same file's bytes once,
// measured in one run. Prints both times and their ratio; the target is
// that all 200,000 keys are read in well under a second.
//
// Usage: ini_bench [KEYS] [WORK_DIR]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ProfileParser.h"
#include "Win32.h"

namespace fs = std::filesystem;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long keys = argc > 1 ? std::atol(argv[1]) : 200000;
  const fs::path work =
      argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "tabrix-ini-bench";
  fs::create_directories(work);
  const std::string path = (work / "BIG.INI").string();
  {
    // Keys of mixed case, a duplicate of every hundredth key further down
    // (the first must win) and a second section after the big one.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[Organization]\r\nName=Bench\r\n[Big]\r\n";
    for (long i = 0; i < keys; ++i) out << "Key" << i << "=value " << i << "\r\n";
    for (long i = 0; i < keys; i += 100) out << "KEY" << i << "=duplicate\r\n";
    out << "[Server0]\r\nServer Name=SRV01\r\n";
  }

  // The baseline: the file's bytes read once and its lines counted.
  auto start = std::chrono::steady_clock::now();
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  long lines = 0;
  for (char c : text) lines += c == '\n';
  const double baseline = SecondsSince(start);

  const std::size_t parsesBefore = platform::detail::IniParseCountForTesting();
  start = std::chrono::steady_clock::now();
  char buf[64];
  long wrong = 0;
  for (long i = 0; i < keys; ++i) {
    const std::string key = "key" + std::to_string(i);
    const DWORD n = GetPrivateProfileStringA("BIG", key.c_str(), "", buf, sizeof buf, path.c_str());
    if (std::string(buf, n) != "value " + std::to_string(i)) ++wrong;
  }
  GetPrivateProfileStringA("Server0", "Server Name", "", buf, sizeof buf, path.c_str());
  const double reading = SecondsSince(start);
  if (wrong != 0 || std::string(buf) != "SRV01") {
    std::fprintf(stderr, "%ld keys read wrong\n", wrong);
    return 1;
  }
  std::printf(
      "%ld keys (%ld lines, %.1f MiB): every key read %.3f s (target well under 1 s), "
      "the file's bytes read once %.3f s, ratio %.1f; the file was parsed %zu times\n",
      keys, lines, static_cast<double>(text.size()) / (1 << 20), reading, baseline,
      reading / baseline, platform::detail::IniParseCountForTesting() - parsesBefore);
  fs::remove_all(work);
  return 0;
}
