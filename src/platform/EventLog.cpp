// The application event log: <root>/eventlog/Application.jsonl, one JSON
// object per event, and syslog.
#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <set>

#include "EventLogFormat.h"
#include "FileUtil.h"
#include "ThisHost.h"
#include "Win32.h"

namespace {

struct EventSource {
  std::string name;
};

std::mutex g_mutex;
std::set<EventSource*> g_sources;
platform::detail::SyslogSink g_syslogSink;  // empty: the real syslog

int SyslogPriority(WORD type) {
  switch (type) {
    case EVENTLOG_ERROR_TYPE:
      return LOG_ERR;
    case EVENTLOG_WARNING_TYPE:
      return LOG_WARNING;
    case EVENTLOG_INFORMATION_TYPE:
      return LOG_INFO;
    default:
      return LOG_NOTICE;
  }
}

bool IsLocalComputer(LPCSTR server) {
  if (server == nullptr) return true;
  std::string name(server);
  while (!name.empty() && name.front() == '\\') name.erase(0, 1);
  return name.empty() || name == "." || name == "localhost" || platform::detail::IsThisHost(name);
}

// One write with O_APPEND, so lines of concurrent writers never interleave.
bool AppendLine(const std::string& line) {
  const std::string folder = platform::MachineRoot() + "/eventlog";
  if (platform::detail::MakeDirs(folder) != 0) return false;
  const platform::detail::Fd fd(platform::detail::OpenRegularFile(
      folder + "/Application.jsonl", O_WRONLY | O_APPEND | O_CREAT, 0644));
  if (fd.get() < 0) return false;
  ssize_t n;
  do {
    n = ::write(fd.get(), line.data(), line.size());
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(line.size());
}

}  // namespace

namespace platform::detail {

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out.push_back(ch);
    }
  }
  out.push_back('"');
}

std::string FormatEventLine(std::int64_t unixSeconds, std::string_view source, WORD type,
                            WORD category, DWORD eventId, const std::vector<std::string>& strings) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  std::string line = "{\"time\":\"";
  line += stamp;
  line += "\",\"source\":";
  AppendJsonString(line, source);
  line += ",\"type\":" + std::to_string(type);
  line += ",\"category\":" + std::to_string(category);
  line += ",\"eventId\":" + std::to_string(eventId);
  line += ",\"strings\":[";
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (i > 0) line.push_back(',');
    AppendJsonString(line, strings[i]);
  }
  line += "]}\n";
  return line;
}

void SetSyslogSinkForTesting(SyslogSink sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_syslogSink = std::move(sink);
}

void ResetSyslogSinkForTesting() {
  SetSyslogSinkForTesting(nullptr);
}

}  // namespace platform::detail

HANDLE RegisterEventSourceA(LPCSTR lpUNCServerName, LPCSTR lpSourceName) {
  if (lpSourceName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsLocalComputer(lpUNCServerName)) {
    SetLastError(ERROR_BAD_NETPATH);
    return nullptr;
  }
  auto* source = new EventSource{lpSourceName};
  std::lock_guard<std::mutex> lock(g_mutex);
  g_sources.insert(source);
  return source;
}

// A log file that cannot be written loses the event without an error, as
// the brief for the log asks: logging must never change a program's flow.
// The event still reaches syslog.
BOOL ReportEventA(HANDLE hEventLog, WORD wType, WORD wCategory, DWORD dwEventID, PSID /*lpUserSid*/,
                  WORD wNumStrings, DWORD /*dwDataSize*/, LPCSTR* lpStrings, LPVOID /*lpRawData*/) {
  std::string source;
  platform::detail::SyslogSink sink;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto* es = static_cast<EventSource*>(hEventLog);
    if (g_sources.count(es) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    source = es->name;
    sink = g_syslogSink;
  }
  if (wNumStrings > 0 && lpStrings == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::string> strings;
  for (WORD i = 0; i < wNumStrings; ++i) strings.emplace_back(lpStrings[i] ? lpStrings[i] : "");

  AppendLine(platform::detail::FormatEventLine(static_cast<std::int64_t>(std::time(nullptr)),
                                               source, wType, wCategory, dwEventID, strings));

  std::string message = source + ": ";
  for (std::size_t i = 0; i < strings.size(); ++i) message += (i ? " " : "") + strings[i];
  message += " (event " + std::to_string(dwEventID) + ")";
  if (sink)
    sink(SyslogPriority(wType), message);
  else
    ::syslog(LOG_USER | SyslogPriority(wType), "%s", message.c_str());
  return TRUE;
}

BOOL DeregisterEventSource(HANDLE hEventLog) {
  auto* source = static_cast<EventSource*>(hEventLog);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_sources.erase(source) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete source;
  return TRUE;
}
