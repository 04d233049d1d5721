#include "ConsoleHarness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "TestMachine.h"

extern char** environ;

namespace consoletest {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder() {
  std::string pattern = (fs::temp_directory_path() / "tabrix-console-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a program folder");
  dir_ = pattern;
  fs::copy_file(testsupport::TestMachine::BinDir() + "/boxstatcon", Path("boxstatcon"));
}

ProgramFolder::~ProgramFolder() {
  std::error_code ec;
  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(dir_, ec);
}

void ProgramFolder::WriteIni(const std::string& text) const {
  WriteFile("BOXSTATCON.INI", text);
}

void ProgramFolder::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool ProgramFolder::Exists(const std::string& name) const {
  return fs::exists(Path(name));
}

std::string ProgramFolder::ReadFile(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> ProgramFolder::Files() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ProgramRun ProgramFolder::Run(const std::map<std::string, std::string>& env) const {
  RunControl control;
  control.env = env;
  return Run(control);
}

namespace {

// Closes a descriptor once; -1 means closed.
void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

ProgramRun ProgramFolder::Run(const RunControl& control) const {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [k, v] : control.env) merged[k] = v;
  std::vector<std::string> strings;
  for (const auto& [k, v] : merged) strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : strings) envp.push_back(s.data());
  envp.push_back(nullptr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::string program = Path("boxstatcon");
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  int readFd = pipeFds[0];
  ::close(pipeFds[1]);
  if (rc != 0) {
    CloseFd(readFd);
    throw std::runtime_error("cannot start boxstatcon");
  }
  // The end of the child is awaited through a descriptor, so that one poll
  // watches both the output and the deadline.
  int exitFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (exitFd < 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    CloseFd(readFd);
    throw std::runtime_error("pidfd_open");
  }
  ProgramRun run;
  const auto started = std::chrono::steady_clock::now();
  const auto deadline = started + control.timeout;
  const auto signalAt = started + control.signalAfter;
  char buf[65536];
  while (readFd >= 0 || exitFd >= 0) {
    const auto now = std::chrono::steady_clock::now();
    if (control.signal != 0 && !run.signalled && exitFd >= 0 && now >= signalAt) {
      ::kill(pid, control.signal);  // the child is not reaped yet: the pid is still its
      run.signalled = true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (left.count() <= 0) {
      run.timedOut = true;
      ::kill(pid, SIGKILL);
      break;
    }
    long long wait = std::min<long long>(left.count(), 1000);
    if (control.signal != 0 && !run.signalled)
      wait = std::min<long long>(
          wait,
          std::max<long long>(
              0, std::chrono::duration_cast<std::chrono::milliseconds>(signalAt - now).count()));
    pollfd fds[2] = {{readFd, POLLIN, 0}, {exitFd, POLLIN, 0}};
    const int n = ::poll(fds, 2, static_cast<int>(wait));
    if (n < 0 && errno != EINTR) break;
    if (n <= 0) continue;
    if (fds[0].revents != 0) {
      const ssize_t got = ::read(readFd, buf, sizeof buf);
      if (got > 0) {
        run.out.append(buf, static_cast<std::size_t>(got));
        if (control.closeAfterLines &&
            static_cast<std::size_t>(std::count(run.out.begin(), run.out.end(), '\n')) >=
                *control.closeAfterLines)
          CloseFd(readFd);
      } else if (got == 0 || errno != EINTR) {
        CloseFd(readFd);
      }
    }
    // The output is still read to its end after the child has gone.
    if (fds[1].revents != 0) CloseFd(exitFd);
  }
  CloseFd(readFd);
  CloseFd(exitFd);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::vector<Event> ReadEvents(const std::vector<std::string>& lines) {
  std::vector<Event> events;
  for (const auto& line : lines) {
    const auto j = nlohmann::json::parse(line);
    Event e;
    e.source = j.at("source").get<std::string>();
    e.type = j.at("type").get<int>();
    e.category = j.at("category").get<int>();
    e.eventId = j.at("eventId").get<long long>();
    for (const auto& s : j.at("strings")) e.strings.push_back(s.get<std::string>());
    events.push_back(std::move(e));
  }
  return events;
}

std::vector<Event> EventsOf(const std::vector<Event>& events, const std::string& source) {
  std::vector<Event> out;
  for (const auto& e : events)
    if (e.source == source) out.push_back(e);
  return out;
}

std::optional<Accounting> LastAccountingOf(const std::vector<std::string>& lines,
                                           const std::string& program) {
  std::optional<Accounting> last;
  for (const auto& line : lines) {
    const auto j = nlohmann::json::parse(line);
    if (j.value("program", std::string()) != program) continue;
    Accounting a;
    a.program = program;
    a.liveObjects = j.at("liveObjects").get<long long>();
    a.outstandingBuffers = j.at("outstandingBuffers").get<long long>();
    a.openSessions = j.at("openSessions").get<long long>();
    a.initializeCount = j.at("initializeCount").get<long long>();
    a.profiles = j.at("profiles").get<long long>();
    last = a;
  }
  return last;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

std::string Sep() {
  return std::string(50, '=');
}

std::string Banner() {
  const std::string rule(42, '=');
  return rule +
         "\nTabrix Mailbox Statistics - Console Application\nVer. 1.70\n"
         "For Microsoft Exchange Server 5.5/2000/2003\n"
         "This application is part of \"Tabrix Mailbox Statistics\"\n\n" +
         rule + "\n\n";
}

}  // namespace consoletest
