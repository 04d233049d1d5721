// The automation stand-in through its public calls, with servers loaded
// from a test machine's system directory as the programs load them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "OleAuto.h"
#include "RaisedMessages.h"
#include "RecordedCalls.h"
#include "ServerBase.h"
#include "TestMachine.h"
#include "Win32.h"

namespace fs = std::filesystem;
using namespace automation;

namespace {

constexpr CLSID kRecorderClass = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

// A machine root with the recorder placed as <root>/system32/librecorder.so
// and registered as "Test.Application".
class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.SetUp());
    system32 = fs::path(machine.root()) / "system32";
    fs::create_symlink(fs::path(testsupport::TestMachine::BinDir()) / "librecorder.so",
                       system32 / "librecorder.so");
    ASSERT_EQ(RegisterInprocServer("Test.Application", kRecorderClass, "recorder.dll"),
              ERROR_SUCCESS);
  }
  void TearDown() override { CoUninitialize(); }

  OleObject CreateRecorder() {
    ComRef<IUnknown> created;
    EXPECT_EQ(CoCreateInstance(kRecorderClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(created.Put())),
              S_OK);
    return OleObject(QueryDispatch(created.get()));
  }
  static ComRef<IRecordedCalls> Recording(const OleObject& app) {
    ComRef<IRecordedCalls> calls;
    app.dispatch()->QueryInterface(IID_IRecordedCalls, reinterpret_cast<void**>(calls.Put()));
    return calls;
  }

  testsupport::TestMachine machine;
  fs::path system32;
};

TEST(GuidTextTest, ReadsTheRegistryFormAndRejectsEverythingElse) {
  const GUID g = {0x00024500, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_EQ(GuidText(g), "{00024500-0000-0000-C000-000000000046}");
  EXPECT_EQ(ParseGuid("{00024500-0000-0000-c000-000000000046}"), g);  // lower case is read too
  struct Row {
    const char* text;
    const char* why;
  } rows[] = {
      {"00024500-0000-0000-C000-000000000046", "no braces"},
      {"{00024500-0000-0000-C000-00000000004}", "one digit short"},
      {"{00024500-0000-0000-C000+000000000046}", "a separator that is not a dash"},
      {"{0002450G-0000-0000-C000-000000000046}", "not a hexadecimal digit"},
      {"", "empty"},
  };
  for (const Row& r : rows) EXPECT_FALSE(ParseGuid(r.text)) << r.why;
}

TEST_F(AutomationTest, ProgIdsResolveThroughTheClassesRoot) {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID("Test.Application", &clsid), S_OK);
  EXPECT_EQ(clsid, kRecorderClass);
  // An application that is not installed has no ProgID.
  EXPECT_EQ(CLSIDFromProgID("Excel.Application", &clsid), CO_E_CLASSSTRING);
  // What the registry holds must be a class identifier.
  ASSERT_EQ(RegisterInprocServer("Broken.Application", kRecorderClass, "recorder.dll"),
            ERROR_SUCCESS);
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Broken.Application\\CLSID", 0, KEY_SET_VALUE, &raw),
            ERROR_SUCCESS);
  RegSetValueExA(raw, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("Excel"), 6);
  RegCloseKey(raw);
  EXPECT_EQ(CLSIDFromProgID("Broken.Application", &clsid), CO_E_CLASSSTRING);
}

TEST_F(AutomationTest, CreationFailsWithTheCodeOfWhatIsMissing) {
  const CLSID unknown = {0x99, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  const CLSID missing = {0x99, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
  const CLSID noExport = {0x99, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
  const CLSID notALibrary = {0x99, 0, 0, {0, 0, 0, 0, 0, 0, 0, 4}};
  ASSERT_EQ(RegisterInprocServer("Missing.Application", missing, "gone.dll"), ERROR_SUCCESS);
  // The MAPI stand-in is a library, but no automation server.
  ASSERT_EQ(RegisterInprocServer("NoExport.Application", noExport, "mapi32.dll"), ERROR_SUCCESS);
  ASSERT_EQ(RegisterInprocServer("Text.Application", notALibrary, "garbage.dll"), ERROR_SUCCESS);
  std::ofstream(system32 / "libgarbage.so") << "not a shared library\n";
  struct Row {
    CLSID clsid;
    HRESULT expected;
    const char* why;
  } rows[] = {
      {unknown, REGDB_E_CLASSNOTREG, "no registration"},
      {missing, CO_E_DLLNOTFOUND, "registered, library missing"},
      {noExport, CO_E_ERRORINDLL, "a library without DllGetClassObject"},
      {notALibrary, CO_E_DLLNOTFOUND, "a file that does not load"},
  };
  for (const Row& r : rows) {
    ComRef<IUnknown> created;
    EXPECT_EQ(CoCreateInstance(r.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(created.Put())),
              r.expected)
        << r.why;
    EXPECT_FALSE(created) << r.why;
    ComRef<IUnknown> active;
    EXPECT_EQ(GetActiveObject(r.clsid, nullptr, active.Put()), MK_E_UNAVAILABLE) << r.why;
  }
}

TEST_F(AutomationTest, ACreatedApplicationRunsUntilAutomationEnds) {
  ComRef<IUnknown> active;
  EXPECT_EQ(GetActiveObject(kRecorderClass, nullptr, active.Put()), MK_E_UNAVAILABLE);
  const OleObject app = CreateRecorder();
  ASSERT_TRUE(app);
  ASSERT_EQ(GetActiveObject(kRecorderClass, nullptr, active.Put()), S_OK);
  EXPECT_EQ(QueryDispatch(active.get()), app.dispatch());  // the same application

  // The newest registration of a class answers.
  const OleObject second = CreateRecorder();
  ASSERT_EQ(GetActiveObject(kRecorderClass, nullptr, active.Put()), S_OK);
  EXPECT_EQ(QueryDispatch(active.get()), second.dispatch());
  DWORD extra = 0;
  ASSERT_EQ(RegisterActiveObject(app.dispatch().get(), kRecorderClass, 0, &extra), S_OK);
  ASSERT_EQ(GetActiveObject(kRecorderClass, nullptr, active.Put()), S_OK);
  EXPECT_EQ(QueryDispatch(active.get()), app.dispatch());
  EXPECT_EQ(RevokeActiveObject(extra, nullptr), S_OK);
  EXPECT_EQ(RevokeActiveObject(extra, nullptr), E_INVALIDARG);

  CoUninitialize();
  EXPECT_EQ(GetActiveObject(kRecorderClass, nullptr, active.Put()), MK_E_UNAVAILABLE);
}

TEST_F(AutomationTest, TheRecorderWritesEveryCallWithItsTypesAndValues) {
  const OleObject app = CreateRecorder();
  const auto recording = Recording(app);
  ASSERT_TRUE(recording);
  const OleObject sheet = app.Object("WorkBooks").CallObject("Add").Object("ActiveSheet");
  const OleObject cell = sheet.Object("Cells").Object("Item", {std::int32_t{4}, std::int32_t{1}});
  cell.Put("Value", Variant());
  cell.Put("Value", Variant::Null());
  cell.Put("Value", true);
  cell.Put("Value", std::int64_t{-9223372036854775807 - 1});
  cell.Put("Value", 1.5);
  cell.Put("Value", Variant::Date(38777.5));
  cell.Put("Value", "Inbox \"1\"");
  app.Call("Tables", {sheet.dispatch(), std::int32_t{3}, false});
  const std::string c = "app.WorkBooks.Add().ActiveSheet.Cells.Item(VT_I4 4, VT_I4 1)";
  const std::vector<std::string> expected = {
      "get app.WorkBooks",
      "call app.WorkBooks.Add()",
      "get app.WorkBooks.Add().ActiveSheet",
      "get app.WorkBooks.Add().ActiveSheet.Cells",
      "get " + c,
      "put " + c + ".Value = VT_EMPTY",
      "put " + c + ".Value = VT_NULL",
      "put " + c + ".Value = VT_BOOL True",
      "put " + c + ".Value = VT_I8 -9223372036854775808",
      "put " + c + ".Value = VT_R8 1.5",
      "put " + c + ".Value = VT_DATE 38777.5",
      "put " + c + ".Value = VT_BSTR \"Inbox \"1\"\"",
      "call app.Tables(VT_DISPATCH app.WorkBooks.Add().ActiveSheet, VT_I4 3, VT_BOOL False)",
  };
  EXPECT_EQ(recording->Calls(), expected);
}

TEST_F(AutomationTest, ARaisedErrorArrivesAsAnExceptionWithItsText) {
  const OleObject app = CreateRecorder();
  const auto recording = Recording(app);
  recording->FailOn("value", 2, "Unable to set the Value property");
  const OleObject cell = app.Object("Cell");
  EXPECT_NO_THROW(cell.Put("Value", 1));
  try {
    cell.Put("VALUE", 2);
    ADD_FAILURE() << "no exception";
  } catch (const EOleError& e) {
    EXPECT_STREQ(e.what(), "Unable to set the Value property");
    EXPECT_EQ(e.code(), DISP_E_EXCEPTION);
  }
  EXPECT_NO_THROW(cell.Put("Value", 3));     // only the second call fails
  EXPECT_EQ(recording->Calls().size(), 4u);  // the failing call is recorded too
  // An object that was never obtained cannot be called.
  EXPECT_THROW(OleObject().Get("Anything"), EOleError);
}

// A server object with one member, to check the boundary of every call.
class Probe final : public server::DispatchObject {
 protected:
  Variant Dispatch(std::string_view name, InvokeKind, const server::Args& args) override {
    if (!server::MemberIs(name, "Sum")) MemberMissing();
    args.Expect(2);
    return std::int64_t{args.Integer(0) + args.Integer(1)};
  }
  const char* Source() const override { return "Probe"; }
};

TEST(ServerBoundaryTest, CallsAreCheckedAndFailuresBecomeTexts) {
  const OleObject probe(server::MakeObject<Probe>());
  EXPECT_EQ(*probe.Call("sUM", {std::int32_t{2}, 3.0}).If<std::int64_t>(), 5);
  automationtest::ExpectRaised({
      {[&] {
         probe.Call("Product", {1, 2});
       },
       "Member not found: Product"},
      {[&] { probe.Call("Sum", {1}); }, "Sum takes 2 argument(s), not 1"},
      {[&] {
         probe.Call("Sum", {1, 2.5});
       },
       "Sum: argument 2 is VT_R8, not a whole number"},
      {[&] {
         probe.Call("Sum", {"1", 2});
       },
       "Sum: argument 1 is VT_BSTR, not a whole number"},
      {[&] {
         probe.Object("Sum", {1, 2});
       },
       "Automation member Sum is not an object"},
  });
}

}  // namespace
