// Running the real boxstatcon as a process: a program folder of its own with
// a copy of the program and its BOXSTATCON.INI, the child's standard output
// and exit code, and readers for the event log and the stand-in's
// accounting of the machine root.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace consoletest {

struct ProgramRun {
  int exitCode = -1;       // the exit status, or 128 + signal
  std::string out;         // standard output, byte for byte
  bool timedOut = false;   // killed because it did not end in time
  bool signalled = false;  // RunControl::signal was sent
};

// How a run is driven beyond its environment.
struct RunControl {
  // Added to the current environment (by default times and formats pinned).
  std::map<std::string, std::string> env = {{"TZ", "UTC"}, {"LC_ALL", "C"}};
  // Closes the reading end of standard output once this many lines have
  // arrived, as `boxstatcon | head -N` does.
  std::optional<std::size_t> closeAfterLines;
  // Sends `signal` to the program this long after its start (when it is
  // still running then); 0 sends nothing.
  int signal = 0;
  std::chrono::milliseconds signalAfter{0};
  // A run still going after this long is killed and marked timed out, so
  // that a hanging program fails its test instead of the whole suite.
  std::chrono::milliseconds timeout{std::chrono::minutes(2)};
};

class ProgramFolder {
 public:
  ProgramFolder();  // a fresh folder holding a copy of boxstatcon
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const std::string& dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void WriteIni(const std::string& text) const;
  void WriteFile(const std::string& name, const std::string& bytes) const;
  bool Exists(const std::string& name) const;
  std::string ReadFile(const std::string& name) const;
  // The names of the files in the folder, sorted.
  std::vector<std::string> Files() const;

  // Runs the program with the current environment plus `env` (by default
  // TZ=UTC and LC_ALL=C, so times and formats are pinned).
  ProgramRun Run(const std::map<std::string, std::string>& env = {{"TZ", "UTC"},
                                                                  {"LC_ALL", "C"}}) const;
  ProgramRun Run(const RunControl& control) const;

 private:
  std::string dir_;
};

// One event of <root>/eventlog/Application.jsonl.
struct Event {
  std::string source;
  int type = 0;
  int category = 0;
  long long eventId = 0;
  std::vector<std::string> strings;
};
std::vector<Event> ReadEvents(const std::vector<std::string>& lines);
// The events of one source.
std::vector<Event> EventsOf(const std::vector<Event>& events, const std::string& source);

// The accounting line the stand-in wrote for a program's process.
struct Accounting {
  std::string program;
  long long liveObjects = -1, outstandingBuffers = -1, openSessions = -1, initializeCount = -1,
            profiles = -1;
  bool Balanced() const {
    return liveObjects == 0 && outstandingBuffers == 0 && openSessions == 0 && initializeCount == 0;
  }
};
std::optional<Accounting> LastAccountingOf(const std::vector<std::string>& lines,
                                           const std::string& program);

// Splits program output into lines ("\n"), without the terminators.
std::vector<std::string> Lines(const std::string& text);

// The banner every run starts with.
std::string Banner();
// The line of 50 "=".
std::string Sep();

}  // namespace consoletest
