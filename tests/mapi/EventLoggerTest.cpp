// Both event loggers, writing to a temporary machine root's event log.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <string>

#include "ApplicationTitle.h"
#include "ConsoleEventLogger.h"
#include "EDKDEBUG.h"
#include "FakeMapiMachine.h"
#include "Win32.h"

namespace {

using mapitest::FakeMapiMachine;
using nlohmann::json;

constexpr const char* kEventKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

std::string ReadString(HKEY key, const char* name) {
  char data[512] = {};
  DWORD size = sizeof data - 1;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  return type == REG_SZ ? std::string(data) : "<type " + std::to_string(type) + ">";
}

class EdkLogErrorTest : public ::testing::Test {
 protected:
  void SetUp() override { mapi::SetApplicationTitle("Tabrix Test Title"); }
  void TearDown() override { mapi::SetApplicationTitle(mapi::kDefaultApplicationTitle); }
  std::vector<json> Events() const {
    std::vector<json> events;
    for (const std::string& line : machine_.EventLogLines()) events.push_back(json::parse(line));
    return events;
  }
  FakeMapiMachine machine_;
};

TEST_F(EdkLogErrorTest, ZeroWritesNothingAndReturnsZero) {
  EXPECT_EQ(mapi::EdkLogError(0), 0);
  EXPECT_TRUE(machine_.EventLogLines().empty());
}

TEST_F(EdkLogErrorTest, EventTypeFromTheTwoTopBits) {
  struct Case {
    std::uint32_t code;
    int type;
    const char* text;
  } cases[] = {
      {0x800B0001, 2, "Error/Warning/Information. Returned CODE is: 800B0001"},
      {0x80004005, 2, "Error/Warning/Information. Returned CODE is: 80004005"},
      {0xC0000005, 1, "Error/Warning/Information. Returned CODE is: C0000005"},
      {0x00040380, 4, "Error/Warning/Information. Returned CODE is: 00040380"},
      {0x40000001, 4, "Error/Warning/Information. Returned CODE is: 40000001"},
  };
  for (const Case& c : cases) EXPECT_EQ(mapi::EdkLogError(MakeHr(c.code)), MakeHr(c.code));

  const auto events = Events();
  ASSERT_EQ(events.size(), std::size(cases));
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i]["source"], "Tabrix Test Title");
    EXPECT_EQ(events[i]["type"], cases[i].type) << cases[i].text;
    EXPECT_EQ(events[i]["category"], 0);
    EXPECT_EQ(events[i]["eventId"], cases[i].code);
    EXPECT_EQ(events[i]["strings"], json::array({cases[i].text}));
  }
  const auto& logger = mapi::EdkEventLogger();
  EXPECT_EQ(logger.WarningCount(), 2u);
  EXPECT_EQ(logger.ErrorCount(), 1u);
  EXPECT_EQ(logger.InformationCount(), 2u);
}

TEST_F(EdkLogErrorTest, RegistersTheTitleAsEventSource) {
  mapi::EdkLogError(E_FAIL);
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kEventKey) + "Tabrix Test Title").c_str(), 0,
                    KEY_READ, &key),
      ERROR_SUCCESS);
  const std::string program = platform::ExecutablePath();
  EXPECT_EQ(ReadString(key, "EventMessageFile"), program);
  EXPECT_EQ(ReadString(key, "CategoryMessageFile"), program);
  EXPECT_EQ(ReadString(key, "ParameterMessageFile"), "%SystemRoot%\\System32\\kernel32.dll");
  DWORD types = 0;
  DWORD size = sizeof types;
  DWORD type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(key, "TypesSupported", nullptr, &type,
                             reinterpret_cast<LPBYTE>(&types), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(types, 7u);
  RegCloseKey(key);
  EXPECT_TRUE(mapi::EdkEventLogger().HasSource());
}

TEST_F(EdkLogErrorTest, NothingIsWrittenOffNT) {
  machine_.WriteFile("machine.ini", "[Version]\nPlatformId=1\nMajorVersion=4\nMinorVersion=10\n");
  mapi::FreeEdkEventLogger();  // the platform is read when the logger is made
  EXPECT_EQ(mapi::EdkLogError(MakeHr(0xC0000005)), MakeHr(0xC0000005));
  EXPECT_TRUE(machine_.EventLogLines().empty());
  EXPECT_FALSE(mapi::EdkEventLogger().IsNT());
  EXPECT_FALSE(mapi::EdkEventLogger().HasSource());
  EXPECT_EQ(mapi::EdkEventLogger().ErrorCount(), 1u);  // attempted all the same
}

TEST_F(EdkLogErrorTest, WithoutTheRightToRegisterNoEventIsWritten) {
  // A hive that grants nobody write access refuses the event-source key.
  const std::string hive = machine_.root() + "/registry/HKEY_LOCAL_MACHINE.reg";
  machine_.WriteFile("registry/HKEY_LOCAL_MACHINE.reg", "REGEDIT4\n\n");
  ASSERT_EQ(chmod(hive.c_str(), 0444), 0);
  EXPECT_EQ(mapi::EdkLogError(E_FAIL), E_FAIL);
  EXPECT_TRUE(machine_.EventLogLines().empty());
  EXPECT_FALSE(mapi::EdkEventLogger().Register());
  chmod(hive.c_str(), 0644);
}

TEST_F(EdkLogErrorTest, TheRegisteredSourceIsKeptForLaterEvents) {
  mapi::EdkLogError(E_FAIL);
  mapi::EdkLogError(E_INVALIDARG);
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[1]["eventId"], 0x80070057u);
}

// --- The console's logger ------------------------------------------------------------

TEST(ConsoleEventLogger, SourceIsTheProductNameAndTheProgramFile) {
  FakeMapiMachine machine;
  {
    console::TTabrixEventLogger logger("boxstatcon.exe");
    EXPECT_EQ(logger.SourceName(), "Tabrix Mailbox Statistics boxstatcon.exe");
    logger.Log("MAPI Initialize - OK!", console::kEventInformation, 0, 0);
    logger.Log("The MAPI Error!", console::kEventError, 0, 0);
  }
  const auto lines = machine.EventLogLines();
  ASSERT_EQ(lines.size(), 2u);
  const json first = json::parse(lines[0]);
  const json second = json::parse(lines[1]);
  EXPECT_EQ(first["source"], "Tabrix Mailbox Statistics boxstatcon.exe");
  EXPECT_EQ(first["type"], 4);
  EXPECT_EQ(first["eventId"], 0);
  EXPECT_EQ(first["category"], 0);
  EXPECT_EQ(first["strings"], json::array({"MAPI Initialize - OK!"}));
  EXPECT_EQ(second["type"], 1);
  EXPECT_EQ(second["strings"], json::array({"The MAPI Error!"}));
  // No registry values are written for the console's source.
  HKEY key = nullptr;
  EXPECT_NE(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    (std::string(kEventKey) + "Tabrix Mailbox Statistics boxstatcon.exe").c_str(),
                    0, KEY_READ, &key),
      ERROR_SUCCESS);
}

TEST(ConsoleEventLogger, PassesIdentifierAndCategory) {
  FakeMapiMachine machine;
  console::TTabrixEventLogger logger("boxstatcon");
  logger.Log("text", 2, 77, 3);
  const auto lines = machine.EventLogLines();
  ASSERT_EQ(lines.size(), 1u);
  const json event = json::parse(lines[0]);
  EXPECT_EQ(event["type"], 2);
  EXPECT_EQ(event["eventId"], 77);
  EXPECT_EQ(event["category"], 3);
}

TEST(ConsoleEventLogger, OffNTAMessageBoxInsteadOfAnEvent) {
  FakeMapiMachine machine;
  machine.WriteFile("machine.ini", "[Version]\nPlatformId=1\nMajorVersion=4\nMinorVersion=10\n");
  console::TTabrixEventLogger logger("boxstatcon");
  EXPECT_FALSE(logger.IsNT());
  ::testing::internal::CaptureStderr();
  logger.Log("The MAPI Error!", console::kEventError, 0, 0);
  const std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Extended MAPI"), std::string::npos) << shown;
  EXPECT_NE(shown.find("The MAPI Error!"), std::string::npos) << shown;
  EXPECT_TRUE(machine.EventLogLines().empty());
}

}  // namespace
