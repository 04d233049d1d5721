#include "MapiErrorText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "FakeMapiMachine.h"

namespace {

using mapi::Flavour;
using mapi::MapiErrorText;

// Anything with GetLastError. The record is allocated through the bound MAPI
// library, so the test can see MapiErrorText give it back.
struct FakeErrorObject {
  HRESULT result = S_OK;
  bool giveRecord = true;
  bool throws = false;
  std::optional<std::string> message;
  std::optional<std::string> component;
  int calls = 0;
  HRESULT askedCode = 0;
  ULONG askedFlags = 0xFFFFFFFF;

  HRESULT GetLastError(HRESULT hr, ULONG flags, LPMAPIERROR* record) {
    ++calls;
    askedCode = hr;
    askedFlags = flags;
    if (throws) throw std::runtime_error("provider crashed");
    *record = nullptr;
    if (!giveRecord) return result;
    LPVOID block = nullptr;
    EXPECT_EQ(mapi::MAPIAllocateBuffer(sizeof(MAPIERROR), &block), S_OK);
    auto* r = static_cast<LPMAPIERROR>(block);
    std::memset(r, 0, sizeof *r);
    r->lpszError = Copy(message, block);
    r->lpszComponent = Copy(component, block);
    *record = r;
    return result;
  }

  static LPSTR Copy(const std::optional<std::string>& text, LPVOID parent) {
    if (!text) return nullptr;
    LPVOID copy = nullptr;
    EXPECT_EQ(mapi::MAPIAllocateMore(static_cast<ULONG>(text->size() + 1), parent, &copy), S_OK);
    std::memcpy(copy, text->c_str(), text->size() + 1);
    return static_cast<LPSTR>(copy);
  }
};

class MapiErrorTextTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.UseFakeLibrary(); }
  // Every record handed out has been given back.
  void ExpectRecordsFreed(int expectedFrees) {
    auto counters = machine_.Counters();
    EXPECT_EQ(counters.rootBlocks, 0);
    EXPECT_EQ(counters.freed, expectedFrees);
  }
  mapitest::FakeMapiMachine machine_;
};

TEST_F(MapiErrorTextTest, WithoutObjectTheSymbolicName) {
  EXPECT_EQ(MapiErrorText(Flavour::Gui, nullptr, MAPI_E_NOT_FOUND),
            "MAPI_E_NOT_FOUND\r\nError Code: $8004010F");
  EXPECT_EQ(MapiErrorText(Flavour::Console, nullptr, MAPI_E_NOT_FOUND),
            "MAPI ERROR:\r\nMAPI_E_NOT_FOUND\r\nError Code: $8004010F");
}

TEST_F(MapiErrorTextTest, UnknownCodeShowsItsEightDigitForm) {
  EXPECT_EQ(MapiErrorText(Flavour::Gui, nullptr, MakeHr(0x80041234)),
            "$80041234\r\nError Code: $80041234");
  EXPECT_EQ(MapiErrorText(Flavour::Console, nullptr, MakeHr(0x80041234)),
            "MAPI ERROR:\r\n$80041234\r\nError Code: $80041234");
}

TEST_F(MapiErrorTextTest, CodeLineHasNoLeadingZeros) {
  EXPECT_EQ(MapiErrorText(Flavour::Gui, nullptr, MAPI_W_ERRORS_RETURNED),
            "MAPI_W_ERRORS_RETURNED\r\nError Code: $40380");
  EXPECT_EQ(MapiErrorText(Flavour::Gui, nullptr, S_OK), "SUCCESS_SUCCESS\r\nError Code: $0");
}

TEST_F(MapiErrorTextTest, ProviderRecordWithComponent) {
  FakeErrorObject object;
  object.message = "Cannot connect to the server.";
  object.component = "Microsoft Exchange Server Information Store";
  EXPECT_EQ(MapiErrorText(Flavour::Gui, &object, MAPI_E_NETWORK_ERROR),
            "Cannot connect to the server.\r\n\r\n"
            "Component: Microsoft Exchange Server Information Store\r\n\r\n"
            "Error Code: $80040115");
  EXPECT_EQ(object.askedCode, MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(object.askedFlags, 0u);  // 8-bit strings
  EXPECT_EQ(MapiErrorText(Flavour::Console, &object, MAPI_E_NETWORK_ERROR),
            "MAPI:\r\nCannot connect to the server.\r\n\r\n"
            "Component: Microsoft Exchange Server Information Store\r\n\r\n"
            "Error Code: $80040115");
  ExpectRecordsFreed(2);
}

TEST_F(MapiErrorTextTest, ProviderRecordWithoutComponent) {
  FakeErrorObject object;
  object.message = "100% broken %s";  // taken as text, never as a format
  EXPECT_EQ(MapiErrorText(Flavour::Gui, &object, E_FAIL),
            "100% broken %s\r\n\r\nError Code: $80004005");
  EXPECT_EQ(MapiErrorText(Flavour::Console, &object, E_FAIL),
            "MAPI:\r\n100% broken %s\r\n\r\nError Code: $80004005");
  ExpectRecordsFreed(2);
}

TEST_F(MapiErrorTextTest, FallbacksWhenTheObjectHasNothingToSay) {
  struct Case {
    const char* why;
    HRESULT result;
    bool giveRecord;
    std::optional<std::string> message;
  } cases[] = {
      {"no record", S_OK, false, std::nullopt},
      {"a record without message", S_OK, true, std::nullopt},
      {"a record with an empty message", S_OK, true, std::string()},
      {"GetLastError failed (record freed all the same)", MAPI_E_NO_SUPPORT, true,
       std::string("ignored")},
  };
  int frees = 0;
  for (const Case& c : cases) {
    FakeErrorObject object;
    object.result = c.result;
    object.giveRecord = c.giveRecord;
    object.message = c.message;
    object.component = "Component";
    EXPECT_EQ(MapiErrorText(Flavour::Gui, &object, MAPI_E_NOT_FOUND),
              "MAPI_E_NOT_FOUND\r\nError Code: $8004010F")
        << c.why;
    EXPECT_EQ(object.calls, 1) << c.why;
    if (c.giveRecord) ++frees;
  }
  ExpectRecordsFreed(frees);
}

TEST_F(MapiErrorTextTest, ThrowingGetLastErrorStillYieldsTheFallback) {
  FakeErrorObject object;
  object.throws = true;
  EXPECT_EQ(MapiErrorText(Flavour::Console, &object, MAPI_E_LOGON_FAILED),
            "MAPI ERROR:\r\nMAPI_E_LOGON_FAILED\r\nError Code: $80040111");
  EXPECT_EQ(object.calls, 1);
  ExpectRecordsFreed(0);
}

TEST_F(MapiErrorTextTest, LongProviderMessageIsWrappedAt60) {
  FakeErrorObject object;
  object.message =
      "The Microsoft Exchange Server computer is not available. Either there are network "
      "problems or the computer is down for maintenance.";
  const std::string text = MapiErrorText(Flavour::Gui, &object, MAPI_E_NETWORK_ERROR);
  EXPECT_EQ(text,
            "The Microsoft Exchange Server computer is not available. \r\n"
            "Either there are network problems or the computer is down \r\n"
            "for maintenance.\r\n\r\nError Code: $80040115");
  ExpectRecordsFreed(1);
}

TEST(MapiErrorTextWithoutLibrary, NeverFails) {
  mapitest::FakeMapiMachine machine;  // nothing installed: no MAPI library
  mapi::SetLibrarySearch(Flavour::Console);
  FakeErrorObject object;
  object.giveRecord = false;
  EXPECT_EQ(MapiErrorText(Flavour::Gui, &object, MAPI_E_CALL_FAILED),
            "MAPI_E_CALL_FAILED\r\nError Code: $80004005");
}

}  // namespace
