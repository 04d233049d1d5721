// The application event log: line format, escaping, the Win32 calls, and
// the hand-over to syslog.
#include <gtest/gtest.h>
#include <syslog.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "EventLogFormat.h"
#include "TempMachineRoot.h"
#include "Win32.h"

using platform::testing::TempMachineRoot;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Records what would go to syslog while it lives.
struct SyslogRecorder {
  std::vector<std::pair<int, std::string>> messages;
  SyslogRecorder() {
    platform::detail::SetSyslogSinkForTesting([this](int priority, const std::string& message) {
      messages.emplace_back(priority, message);
    });
  }
  ~SyslogRecorder() { platform::detail::ResetSyslogSinkForTesting(); }
};

}  // namespace

TEST(EventLogFormat, OneLineWithTheKeysInOrder) {
  const std::string line = platform::detail::FormatEventLine(
      1796791270, "Tabrix Mailbox Statistics boxstatcon", EVENTLOG_WARNING_TYPE, 0, 0x800B0001u,
      {"Error/Warning/Information. Returned CODE is: 800B0001"});
  EXPECT_EQ(line,
            "{\"time\":\"2026-12-09T04:41:10Z\",\"source\":\"Tabrix Mailbox Statistics "
            "boxstatcon\",\"type\":2,"
            "\"category\":0,\"eventId\":2148204545,\"strings\":[\"Error/Warning/Information. "
            "Returned CODE is: "
            "800B0001\"]}\n");
}

TEST(EventLogFormat, EveryByteSequenceGivesValidJson) {
  struct Case {
    std::string ansi;
    std::string utf8;  // what a JSON reader must get back
  };
  const std::vector<Case> cases = {
      {"plain", "plain"},
      {"quote \" and back\\slash", "quote \" and back\\slash"},
      {"line\r\nbreak\ttab", "line\r\nbreak\ttab"},
      {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
      {"caf\xe9", "caf\xc3\xa9"},  // Latin-1 e-acute
      {"\x80\xff", "\xc2\x80\xc3\xbf"},
      {"\xc3\xa9", "\xc3\x83\xc2\xa9"},  // UTF-8 input is read as two Latin-1 bytes
      {"\x7f", "\x7f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    const std::string line = platform::detail::FormatEventLine(0, c.ansi, 1, 2, 3, {c.ansi, ""});
    ASSERT_EQ(line.find('\n'), line.size() - 1);  // exactly one line
    const auto json = nlohmann::json::parse(line);
    EXPECT_EQ(json["source"].get<std::string>(), c.utf8);
    EXPECT_EQ(json["strings"][0].get<std::string>(), c.utf8);
    EXPECT_EQ(json["strings"][1].get<std::string>(), "");
  }
}

TEST(EventLog, ReportAppendsOneObjectPerEventAndCreatesTheFolder) {
  TempMachineRoot root;
  SyslogRecorder syslog;
  HANDLE source = RegisterEventSourceA(nullptr, "Tabrix Mailbox Statistics boxstatcon");
  ASSERT_NE(source, nullptr);
  LPCSTR first[] = {"MAPI Initialize - OK!"};
  LPCSTR second[] = {"The logon did not succeed", "second string"};
  ASSERT_TRUE(ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, first, nullptr));
  ASSERT_TRUE(
      ReportEventA(source, EVENTLOG_ERROR_TYPE, 7, 0xC0000005u, nullptr, 2, 0, second, nullptr));
  EXPECT_TRUE(DeregisterEventSource(source));

  const auto lines = Lines(root.Read("eventlog/Application.jsonl"));
  ASSERT_EQ(lines.size(), 2u);
  const auto a = nlohmann::ordered_json::parse(lines[0]);
  std::vector<std::string> keys;
  for (auto it = a.begin(); it != a.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys,
            (std::vector<std::string>{"time", "source", "type", "category", "eventId", "strings"}));
  EXPECT_EQ(a["source"], "Tabrix Mailbox Statistics boxstatcon");
  EXPECT_EQ(a["type"], 4);
  EXPECT_EQ(a["strings"], nlohmann::json::array({"MAPI Initialize - OK!"}));
  const auto b = nlohmann::json::parse(lines[1]);
  EXPECT_EQ(b["type"], 1);
  EXPECT_EQ(b["category"], 7);
  EXPECT_EQ(b["eventId"].get<std::uint64_t>(), 0xC0000005u);
  EXPECT_EQ(b["strings"].size(), 2u);

  // The time is now, in UTC.
  std::tm tm{};
  std::istringstream stamp(a["time"].get<std::string>());
  stamp >> std::get_time(&tm, "%Y-%m-%dT%H:%M:%SZ");
  ASSERT_FALSE(stamp.fail());
  const auto written = std::chrono::system_clock::from_time_t(::timegm(&tm));
  EXPECT_LT(std::chrono::abs(std::chrono::system_clock::now() - written), std::chrono::minutes(1));

  // Both events went to syslog with their priorities.
  ASSERT_EQ(syslog.messages.size(), 2u);
  EXPECT_EQ(syslog.messages[0].first, LOG_INFO);
  EXPECT_EQ(syslog.messages[1].first, LOG_ERR);
  EXPECT_NE(syslog.messages[1].second.find(
                "Tabrix Mailbox Statistics boxstatcon: The logon did not succeed"),
            std::string::npos);
}

TEST(EventLog, AnUnwritableLogLosesTheEventWithoutAnError) {
  TempMachineRoot root;
  SyslogRecorder syslog;
  std::filesystem::create_directories(
      root / "eventlog/Application.jsonl");  // a folder where the file belongs
  HANDLE source = RegisterEventSourceA(nullptr, "src");
  ASSERT_NE(source, nullptr);
  LPCSTR text[] = {"lost"};
  EXPECT_TRUE(ReportEventA(source, EVENTLOG_WARNING_TYPE, 0, 1, nullptr, 1, 0, text, nullptr));
  EXPECT_EQ(syslog.messages.size(), 1u);
  EXPECT_TRUE(DeregisterEventSource(source));
}

TEST(EventLog, HandlesAndServersAreChecked) {
  TempMachineRoot root;
  EXPECT_EQ(RegisterEventSourceA("\\\\FARAWAY-HOST-THAT-IS-NOT-US", "src"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(RegisterEventSourceA(nullptr, nullptr), nullptr);

  HANDLE source = RegisterEventSourceA("", "src");
  ASSERT_NE(source, nullptr);
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, nullptr, nullptr));
  EXPECT_TRUE(DeregisterEventSource(source));
  LPCSTR text[] = {"x"};
  EXPECT_FALSE(ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, text, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeregisterEventSource(source));
  EXPECT_FALSE(std::filesystem::exists(root / "eventlog/Application.jsonl"));
}
