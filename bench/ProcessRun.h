// Running another program from a benchmark (its wall time, its peak
// resident memory and its exit status, with its output sent to a file), and
// this process's own memory figures.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace benchsupport {

struct Measure {
  double seconds = 0;
  long maxRssKb = 0;
  int status = -1;
};

// Runs a command (looked up on PATH) with its output going to `outputFile`
// and `extraEnv` added to this process's environment, and measures it.
inline Measure Run(const std::vector<std::string>& args, const std::string& outputFile,
                   const std::vector<std::string>& extraEnv = {}) {
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
  for (const auto& e : extraEnv) envStrings.push_back(e);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = args;
  std::vector<char*> argv;
  for (auto& a : argCopy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  Measure m;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    std::perror(argv[0]);
    std::exit(2);
  }
  posix_spawn_file_actions_destroy(&actions);
  rusage usage{};
  int status = 0;
  wait4(pid, &status, 0, &usage);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.maxRssKb = usage.ru_maxrss;
  m.status = status;
  return m;
}

// Ends the benchmark when the command did not exit with 0.
inline void Check(const Measure& m, const char* what) {
  if (!WIFEXITED(m.status) || WEXITSTATUS(m.status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", what, m.status);
    std::exit(1);
  }
}

// A field of /proc/self/status in KiB ("VmHWM:", "VmRSS:"), -1 when absent.
inline long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
  return -1;
}

}  // namespace benchsupport
