// Temporary profiles through the MAPI stand-in, in both program forms: every
// failed step with its exact message, the success path, the deletion, and
// the stand-in's accounting back to zero afterwards.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "MAPIUtils_Profile.h"
#include "MapiMachine.h"
#include "MapiPtr.h"
#include "RecordingUserDialogs.h"
#include "Win32.h"

namespace {

using mapi::Flavour;

const std::string kLine(50, '=');

std::string Separated(const std::vector<std::string>& lines) {
  std::string text = kLine + "\n";
  for (const std::string& line : lines) text += line + "\n";
  return text + kLine + "\n";
}

using testsupport::RecordingUserDialogs;

struct InjectedFault {
  std::string call;
  std::uint32_t hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  std::optional<std::string> message;
  std::optional<std::string> component;
};

// A machine root with the standard organisation and the stand-in library,
// bound afresh for each test, with no default profile.
class StandInMachine : public testsupport::MapiMachine {
 public:
  explicit StandInMachine(Flavour flavour) : MapiMachine(flavour) {
    BuildStandard();
    ok_ = Start("");
  }
  bool ok() const { return ok_; }

  void AddFault(const InjectedFault& f) {
    MapiMachine::AddFault(f.call, static_cast<HRESULT>(f.hr), f.match, f.nth, std::nullopt,
                          f.message, f.component);
  }

  // Nothing held, and exactly `profiles` profiles on the machine.
  void ExpectBalanced(std::uint32_t profiles, const std::string& why) const {
    MapiMachine::ExpectBalanced(why);
    EXPECT_EQ(BoundAccounting().profiles, profiles) << why;
  }

 private:
  bool ok_ = false;
};

HRESULT FailingNameMaker(const char*, char* buffer, std::size_t size) {
  std::fill(buffer, buffer + size, '\0');
  return E_FAIL;
}

HRESULT LeftoverNameMaker(const char*, char* buffer, std::size_t size) {
  std::snprintf(buffer, size, "%s", "MAILBOXSTAT LEFTOVER");
  return S_OK;
}

// Deletes the profile in the flavour's own way, with MAPI initialised around
// it as the callers have it.
void DeleteWithMapi(const mapi::ProfileReporter& reporter, const std::string& name) {
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  mapi::DeleteTempProfile(reporter, name);
  mapi::MAPIUninitialize();
}

constexpr const char* kProviderMessage = "The profile provider refused the request.";
constexpr const char* kProviderComponent = "Profile Provider";

// --- One row of a failure table --------------------------------------------------

struct FailureRow {
  const char* step;
  InjectedFault fault;
  HRESULT result;
  std::string expected;  // console: the whole output; GUI: the message box text
  bool profileRemains;   // the step failed after CreateProfile
};

const std::string kConsoleProviderText = "MAPI:\r\n" + std::string(kProviderMessage) +
                                         "\r\n\r\nComponent: " + kProviderComponent +
                                         "\r\n\r\nError Code: $";
const std::string kGuiProviderText = std::string(kProviderMessage) +
                                     "\r\n\r\nComponent: " + kProviderComponent +
                                     "\r\n\r\nError Code: $";

InjectedFault ProviderFault(const char* call, std::uint32_t hr,
                            std::optional<std::string> match = std::nullopt) {
  return InjectedFault{call, hr, match, std::nullopt, kProviderMessage, kProviderComponent};
}

// A QueryRows of the service table that succeeds without a row set.
InjectedFault EmptyRowsFault() {
  return InjectedFault{
      "IMAPITable::QueryRows", 0, "services", std::nullopt, std::nullopt, std::nullopt};
}

InjectedFault NthFault(const char* call, std::uint32_t hr, int nth) {
  return InjectedFault{call, hr, std::nullopt, nth, std::nullopt, std::nullopt};
}

std::vector<FailureRow> ConsoleRows() {
  return {
      {"MAPIInitialize", NthFault("MAPIInitialize", 0x80040605, 1), MakeHr(0x80040605),
       "MAPI Initialize FAIL!\n", false},
      {"MAPIAdminProfiles", NthFault("MAPIAdminProfiles", 0x80004005, 1), E_FAIL,
       Separated({"Error! MAPI Admin Profiles!"}), false},
      {"CreateProfile", ProviderFault("IProfAdmin::CreateProfile", 0x80070005), E_ACCESSDENIED,
       Separated({"Error! MAPI Admin Profiles Create Profile!", kConsoleProviderText + "80070005"}),
       false},
      {"AdminServices", ProviderFault("IProfAdmin::AdminServices", 0x8004010F), MAPI_E_NOT_FOUND,
       Separated({"Error! MAPI Admin Profiles Create Profile!", kConsoleProviderText + "8004010F"}),
       true},
      {"CreateMsgService", ProviderFault("IMsgServiceAdmin::CreateMsgService", 0x80040115),
       MAPI_E_NETWORK_ERROR,
       Separated(
           {"Error! MAPI Admin Profiles Create Msg Service!", kConsoleProviderText + "80040115"}),
       true},
      {"GetMsgServiceTable", ProviderFault("IMsgServiceAdmin::GetMsgServiceTable", 0x8004010E),
       MAPI_E_NOT_ENOUGH_RESOURCES,
       Separated({"Error! MAPI Admin Profiles Get Msg Service Table FAIL!",
                  kConsoleProviderText + "8004010E"}),
       true},
      {"QueryRows", ProviderFault("IMAPITable::QueryRows", 0x8004010B, "services"), MAPI_E_BUSY,
       Separated({"Error! QueryRows: -2147221237", kConsoleProviderText + "8004010B"}), true},
      {"QueryRows without a row set", EmptyRowsFault(), E_FAIL,
       Separated({"Error! QueryRows: 0", "MAPI ERROR:\r\nSUCCESS_SUCCESS\r\nError Code: $0"}),
       true},
      {"MAPIAllocateBuffer", NthFault("MAPIAllocateBuffer", 0x8007000E, 1), E_OUTOFMEMORY,
       Separated({"MAPIAllocateBuffer Failed: 8007000E",
                  "MAPI ERROR:\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E"}),
       true},
      {"first MAPIAllocateMore", NthFault("MAPIAllocateMore", 0x8007000E, 1), E_OUTOFMEMORY,
       Separated({"MAPIAllocateBuffer Failed: 8007000E",
                  "MAPI ERROR:\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E"}),
       true},
      {"second MAPIAllocateMore", NthFault("MAPIAllocateMore", 0x8007000E, 2), E_OUTOFMEMORY,
       Separated({"MAPIAllocateMore Failed: 8007000E",
                  "MAPI ERROR:\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E"}),
       true},
      {"ConfigureMsgService", ProviderFault("IMsgServiceAdmin::ConfigureMsgService", 0x80040115),
       MAPI_E_NETWORK_ERROR,
       Separated({"Configure MsgService Error", kConsoleProviderText + "80040115"}), true},
  };
}

std::vector<FailureRow> GuiRows() {
  return {
      {"MAPIAdminProfiles", NthFault("MAPIAdminProfiles", 0x80040605, 1), MakeHr(0x80040605),
       "MAPI Admin Profiles Failed80040605", false},
      {"CreateProfile", ProviderFault("IProfAdmin::CreateProfile", 0x80070005), E_ACCESSDENIED,
       "Profile Admin - CreateProfile Failed.\r\n" + kGuiProviderText + "80070005", false},
      {"AdminServices", ProviderFault("IProfAdmin::AdminServices", 0x8004010F), MAPI_E_NOT_FOUND,
       "Profile Admin - AdminServices Failed.\r\n" + kGuiProviderText + "8004010F", true},
      {"CreateMsgService", ProviderFault("IMsgServiceAdmin::CreateMsgService", 0x80040115),
       MAPI_E_NETWORK_ERROR,
       "Service Admin - Create MsgService Failed.\r\n" + kGuiProviderText + "80040115", true},
      {"GetMsgServiceTable", ProviderFault("IMsgServiceAdmin::GetMsgServiceTable", 0x8004010E),
       MAPI_E_NOT_ENOUGH_RESOURCES,
       "Service Admin - GetMsgServiceTable Failed.\r\n" + kGuiProviderText + "8004010E", true},
      {"QueryRows", ProviderFault("IMAPITable::QueryRows", 0x8004010B, "services"), MAPI_E_BUSY,
       "MAPI Table - QueryRows Failed.\r\n" + kGuiProviderText + "8004010B", true},
      {"no service identifier", EmptyRowsFault(), E_FAIL, "Failed Get Service.", true},
      {"MAPIAllocateBuffer", NthFault("MAPIAllocateBuffer", 0x8007000E, 1), E_OUTOFMEMORY,
       "MAPIAllocateBuffer Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E", true},
      {"first MAPIAllocateMore", NthFault("MAPIAllocateMore", 0x8007000E, 1), E_OUTOFMEMORY,
       "MAPIAllocateMore Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E", true},
      {"second MAPIAllocateMore", NthFault("MAPIAllocateMore", 0x8007000E, 2), E_OUTOFMEMORY,
       "MAPIAllocateMore Failed.\r\nMAPI_E_NOT_ENOUGH_MEMORY\r\nError Code: $8007000E", true},
      {"ConfigureMsgService", ProviderFault("IMsgServiceAdmin::ConfigureMsgService", 0x80040115),
       MAPI_E_NETWORK_ERROR,
       "Service Admin - Configure MsgService Failed.\r\n" + kGuiProviderText + "80040115", true},
  };
}

// --- Console form ------------------------------------------------------------------

TEST(ConsoleTempProfile, EveryFailedStepWritesItsMessage) {
  for (const FailureRow& row : ConsoleRows()) {
    SCOPED_TRACE(row.step);
    StandInMachine machine(Flavour::Console);
    ASSERT_TRUE(machine.ok());
    const std::uint32_t profiles = machine.BoundAccounting().profiles;
    machine.AddFault(row.fault);

    std::ostringstream out;
    mapi::ProfileReporter reporter{Flavour::Console, &out};
    std::optional<std::string> name;
    EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), row.result);
    EXPECT_EQ(out.str(), row.expected);
    if (row.fault.call == "MAPIInitialize") {
      EXPECT_EQ(name, std::nullopt);  // no name buffer was made
    } else {
      ASSERT_TRUE(name.has_value());
      EXPECT_EQ(name->rfind("MAILBOXSTAT ", 0), 0u) << *name;
    }
    // Everything was released and MAPI uninitialised; a profile made before
    // the failure is still there for the caller to delete.
    machine.ExpectBalanced(profiles + (row.profileRemains ? 1 : 0), "after the creation");
    if (name) {
      std::ostringstream ignored;
      DeleteWithMapi({Flavour::Console, &ignored}, *name);
    }
    machine.ExpectBalanced(profiles, "after the deletion");
  }
}

TEST(ConsoleTempProfile, FailedNameLeavesAnEmptyName) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  const std::uint32_t profiles = machine.BoundAccounting().profiles;
  std::ostringstream out;
  mapi::ProfileReporter reporter{Flavour::Console, &out};
  reporter.makeName = &FailingNameMaker;
  std::optional<std::string> name;
  EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), E_FAIL);
  EXPECT_EQ(out.str(), "Error! MAPI Create Profile Name!\n");
  EXPECT_EQ(name, std::string());
  machine.ExpectBalanced(profiles, "after the failed name");
}

TEST(ConsoleTempProfile, SuccessAnnouncesTheProfileWhichThenLogsOn) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  const std::uint32_t profiles = machine.BoundAccounting().profiles;
  std::ostringstream out;
  mapi::ProfileReporter reporter{Flavour::Console, &out};
  std::optional<std::string> name;
  ASSERT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), S_OK);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(out.str(), "\nTemporary MAPI profile \"" + *name + "\" is created!\n\n");
  machine.ExpectBalanced(profiles + 1, "after the creation");

  // The profile is usable: a logon with it opens a session.
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  {
    mapi::ComPtr<IMAPISession> session;
    std::string profile = *name;
    EXPECT_EQ(mapi::MAPILogonEx(0, profile.data(), nullptr, 0x8062, mapi::Out(session)), S_OK);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(mapi::DeleteTempProfile(reporter, *name), S_OK);
    session->Logoff(0, 0, 0);
  }
  mapi::MAPIUninitialize();
  machine.ExpectBalanced(profiles, "after logon and deletion");
}

TEST(ConsoleTempProfile, UnknownMailboxFailsInTheServiceConfiguration) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  std::ostringstream out;
  std::optional<std::string> name;
  EXPECT_TRUE(FAILED(mapi::CreateTempProfile({Flavour::Console, &out}, "nobody", "SRV01", &name)));
  const std::string text = out.str();
  EXPECT_EQ(text.rfind(kLine + "\nConfigure MsgService Error\nMAPI:\r\n", 0), 0u) << text;
  DeleteWithMapi({Flavour::Console, &out}, *name);
}

TEST(ConsoleTempProfile, ALeftoverOfTheSameNameIsReplaced) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  const std::uint32_t profiles = machine.BoundAccounting().profiles;
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  {
    mapi::ComPtr<IProfAdmin> admin;
    ASSERT_EQ(mapi::MAPIAdminProfiles(0, mapi::Out(admin)), S_OK);
    char leftover[] = "MAILBOXSTAT LEFTOVER";
    ASSERT_EQ(admin->CreateProfile(leftover, nullptr, 0, 0), S_OK);
  }
  mapi::MAPIUninitialize();
  std::ostringstream out;
  mapi::ProfileReporter reporter{Flavour::Console, &out};
  reporter.makeName = &LeftoverNameMaker;
  std::optional<std::string> name;
  EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), S_OK);
  EXPECT_EQ(out.str(), "\nTemporary MAPI profile \"MAILBOXSTAT LEFTOVER\" is created!\n\n");
  machine.ExpectBalanced(profiles + 1, "one profile of that name");
  DeleteWithMapi(reporter, *name);
  machine.ExpectBalanced(profiles, "after the deletion");
}

// "<prefix> <pid> <time high> <time low>" as MakeProfileName writes it.
std::string TempProfileName(const char* prefix, unsigned pid, std::uint64_t fileTime) {
  char name[64];
  std::snprintf(name, sizeof name, "%s %08X %08X %08X", prefix, pid,
                static_cast<unsigned>(fileTime >> 32), static_cast<unsigned>(fileTime));
  return name;
}

std::uint64_t FileTimeNow() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  FILETIME time{};
  SystemTimeToFileTime(&now, &time);
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(ConsoleTempProfile, LeftOversOfEndedRunsAreDeletedFirst) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  // A process identifier that no process has any more: a child's, reaped.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  const auto self = static_cast<unsigned>(::getpid());
  const std::uint64_t now = FileTimeNow();
  const std::uint64_t in2006 = 127856880000000000ULL;
  const struct {
    std::string name;
    bool deleted;
    const char* why;
  } profiles[] = {
      {TempProfileName("MAILBOXSTAT", static_cast<unsigned>(child), now), true,
       "its process has ended"},
      {TempProfileName("MAILBOXSTAT", self, now), false, "its process is running"},
      {TempProfileName("MAILBOXSTAT", self, in2006), true,
       "its identifier now belongs to a later process"},
      {TempProfileName("TABRIX_STAT", static_cast<unsigned>(child), now), false,
       "another program's"},
      {"MAILBOXSTAT LEFTOVER", false, "not a name the program makes"},
      {TempProfileName("MAILBOXSTAT", static_cast<unsigned>(child), now) + " x", false,
       "not a name the program makes either"},
  };
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  {
    mapi::ComPtr<IProfAdmin> admin;
    ASSERT_EQ(mapi::MAPIAdminProfiles(0, mapi::Out(admin)), S_OK);
    for (const auto& p : profiles) {
      std::string name = p.name;
      ASSERT_EQ(admin->CreateProfile(name.data(), nullptr, 0, 0), S_OK) << name;
    }
  }
  mapi::MAPIUninitialize();

  std::ostringstream out;
  mapi::ProfileReporter reporter{Flavour::Console, &out};
  std::vector<std::string> said;
  reporter.leftOverDeleted = [&said](const std::string& name) { said.push_back(name); };
  std::optional<std::string> name;
  EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), S_OK);
  const std::vector<std::string> left = machine.ProfileNames();
  std::vector<std::string> wantSaid;
  for (const auto& p : profiles) {
    SCOPED_TRACE(p.why);
    EXPECT_EQ(std::find(left.begin(), left.end(), p.name) == left.end(), p.deleted);
    if (p.deleted) wantSaid.push_back(p.name);
  }
  std::sort(said.begin(), said.end());
  std::sort(wantSaid.begin(), wantSaid.end());
  EXPECT_EQ(said, wantSaid);
  // The run's own profile is made as before.
  ASSERT_TRUE(name);
  EXPECT_NE(std::find(left.begin(), left.end(), *name), left.end());
  DeleteWithMapi(reporter, *name);
}

TEST(ConsoleTempProfile, DeletionFailuresAreWrittenSeparated) {
  struct Case {
    const char* why;
    std::optional<InjectedFault> fault;
    std::string expected;
  } cases[] = {
      {"no profile administration", NthFault("MAPIAdminProfiles", 0x80004005, 1),
       Separated({"Error! Exception found: Can not get Profile Admin Interface"})},
      {"DeleteProfile refused", ProviderFault("IProfAdmin::DeleteProfile", 0x80070005),
       Separated({"Error! Delete profile: MAILBOXSTAT 00000001 00000002 00000003"})},
      {"no such profile", std::nullopt,
       Separated({"Error! Delete profile: MAILBOXSTAT 00000001 00000002 00000003"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    StandInMachine machine(Flavour::Console);
    ASSERT_TRUE(machine.ok());
    if (c.fault) machine.AddFault(*c.fault);
    std::ostringstream out;
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    EXPECT_TRUE(FAILED(mapi::DeleteTempProfile({Flavour::Console, &out},
                                               "MAILBOXSTAT 00000001 00000002 00000003")));
    mapi::MAPIUninitialize();
    EXPECT_EQ(out.str(), c.expected);
    machine.ExpectBalanced(machine.BoundAccounting().profiles, "after the failed deletion");
  }
}

// --- GUI form ----------------------------------------------------------------------

TEST(GuiTempProfile, EveryFailedStepShowsItsMessage) {
  for (const FailureRow& row : GuiRows()) {
    SCOPED_TRACE(row.step);
    StandInMachine machine(Flavour::Gui);
    ASSERT_TRUE(machine.ok());
    const std::uint32_t profiles = machine.BoundAccounting().profiles;
    machine.AddFault(row.fault);

    RecordingUserDialogs dialogs;
    mapi::ProfileReporter reporter{Flavour::Gui, nullptr, &dialogs, 0x1234};
    std::optional<std::string> name;
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);  // the GUI's logon has initialised MAPI
    EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), row.result);
    // The hourglass is restored before the message box.
    EXPECT_EQ(dialogs.calls,
              (std::vector<std::string>{"hourglass", "restore", "plain:" + row.expected}));
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->rfind("TABRIX_STAT ", 0), 0u) << *name;
    EXPECT_EQ(mapi::DeleteTempProfile(reporter, *name),
              row.profileRemains ? S_OK : MAPI_E_NOT_FOUND);
    mapi::MAPIUninitialize();
    machine.ExpectBalanced(profiles, "after creation and deletion");
    EXPECT_EQ(dialogs.calls.size(), 3u) << "the deletion shows nothing";
  }
}

TEST(GuiTempProfile, FailedNameShowsTheCode) {
  StandInMachine machine(Flavour::Gui);
  ASSERT_TRUE(machine.ok());
  RecordingUserDialogs dialogs;
  mapi::ProfileReporter reporter{Flavour::Gui, nullptr, &dialogs};
  reporter.makeName = &FailingNameMaker;
  std::optional<std::string> name;
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::CreateTempProfile(reporter, "jsmith", "SRV01", &name), E_FAIL);
  mapi::MAPIUninitialize();
  EXPECT_EQ(dialogs.calls,
            (std::vector<std::string>{"hourglass", "restore",
                                      "plain:Create \"Profile Name\" Failed.\r\n80004005"}));
  EXPECT_EQ(name, std::string());
}

TEST(GuiTempProfile, SuccessShowsNothingAndDeletionRemovesTheProfile) {
  StandInMachine machine(Flavour::Gui);
  ASSERT_TRUE(machine.ok());
  const std::uint32_t profiles = machine.BoundAccounting().profiles;
  RecordingUserDialogs dialogs;
  mapi::ProfileReporter reporter{Flavour::Gui, nullptr, &dialogs, 0x1234};
  std::optional<std::string> name;
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::CreateTempProfile(reporter, "Smith, John", "SRV01", &name), S_OK);
  EXPECT_EQ(dialogs.calls, (std::vector<std::string>{"hourglass", "restore"}));
  EXPECT_EQ(machine.BoundAccounting().profiles, profiles + 1);
  EXPECT_EQ(mapi::DeleteTempProfile(reporter, *name), S_OK);
  mapi::MAPIUninitialize();
  machine.ExpectBalanced(profiles, "after the deletion");
}

// --- Names -------------------------------------------------------------------------

TEST(MakeProfileName, PrefixProcessAndTime) {
  char buffer[mapi::kProfileNameBufferSize];
  ASSERT_EQ(mapi::MakeProfileName("MAILBOXSTAT", buffer, sizeof buffer), S_OK);
  const std::string name = buffer;
  char pid[16];
  std::snprintf(pid, sizeof pid, "%08X", static_cast<unsigned>(GetCurrentProcessId()));
  ASSERT_EQ(name.size(), std::string("MAILBOXSTAT 00000000 00000000 00000000").size()) << name;
  EXPECT_EQ(name.substr(0, 12), "MAILBOXSTAT ");
  EXPECT_EQ(name.substr(12, 8), pid);
  EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF ", 12), std::string::npos) << name;
}

TEST(MakeProfileName, TwoNamesInOneProcessDifferByTheTime) {
  char first[mapi::kProfileNameBufferSize];
  char second[mapi::kProfileNameBufferSize];
  ASSERT_EQ(mapi::MakeProfileName("TABRIX_GAL", first, sizeof first), S_OK);
  timespec pause{0, 3'000'000};
  nanosleep(&pause, nullptr);  // FILETIMEs of system time move in milliseconds
  ASSERT_EQ(mapi::MakeProfileName("TABRIX_GAL", second, sizeof second), S_OK);
  EXPECT_STRNE(first, second);
  EXPECT_EQ(std::string(first).substr(0, 20), std::string(second).substr(0, 20));
}

TEST(MakeProfileName, ALongPrefixIsCutAt260Characters) {
  std::vector<char> buffer(mapi::kProfileNameBufferSize + 8, 'Z');
  const std::string prefix(400, 'P');
  ASSERT_EQ(mapi::MakeProfileName(prefix.c_str(), buffer.data(), mapi::kProfileNameBufferSize),
            S_OK);
  EXPECT_EQ(std::string(buffer.data()), std::string(260, 'P'));
  // Nothing beyond the 261 bytes was touched.
  for (std::size_t i = mapi::kProfileNameBufferSize; i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], 'Z');
}

TEST(MakeProfileName, SmallBufferAndBadArguments) {
  char small[8];
  std::fill(std::begin(small), std::end(small), 'x');
  EXPECT_EQ(mapi::MakeProfileName("MAILBOXSTAT", small, sizeof small), S_OK);
  EXPECT_STREQ(small, "MAILBOX");
  EXPECT_EQ(mapi::MakeProfileName("MAILBOXSTAT", nullptr, 10), E_INVALIDARG);
  EXPECT_EQ(mapi::MakeProfileName("MAILBOXSTAT", small, 0), E_INVALIDARG);
}

}  // namespace

namespace {

// The stand-in as the console binds it: its version resource is read back.
TEST(StandInBinding, ConsoleReadsTheLibraryVersion) {
  StandInMachine machine(Flavour::Console);
  ASSERT_TRUE(machine.ok());
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  EXPECT_EQ(mapi::MapiLibraryVersion(), "11.0.5604.0");
  mapi::MAPIUninitialize();
  machine.ExpectBalanced(machine.BoundAccounting().profiles, "after initialise and uninitialise");
}

}  // namespace
