// The system's texts for result codes: the common COM codes by their exact
// English texts, and codes the system does not describe.
#include <gtest/gtest.h>

#include "SystemMessages.h"

namespace {

struct Case {
  DWORD code;
  const char* text;  // null: no system text
  const char* why;
};

const Case kCases[] = {
    {0x80004005u, "Unspecified error", "E_FAIL"},
    {0x8007000Eu, "Not enough storage is available to complete this operation.", "E_OUTOFMEMORY"},
    {0x80070057u, "The parameter is incorrect.", "E_INVALIDARG"},
    {0x80004001u, "Not implemented", "E_NOTIMPL"},
    {0x80070005u, "Access is denied.", "E_ACCESSDENIED, also MAPI_E_NO_ACCESS"},
    {0x80004002u, "No such interface supported", "E_NOINTERFACE"},
    {0x80004003u, "Invalid pointer", "E_POINTER"},
    {0x80004004u, "Operation aborted", "E_ABORT"},
    {0x8000FFFFu, "Catastrophic failure", "E_UNEXPECTED"},
    {0x8004010Fu, nullptr, "MAPI_E_NOT_FOUND: MAPI codes have no system text"},
    {0x800B0001u, nullptr, "the Exchange toolkit's not-found code"},
    {0u, nullptr, "success is not a message"},
};

TEST(SystemMessages, TextPerCode) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const auto text = platform::SystemMessageText(c.code);
    if (c.text)
      EXPECT_EQ(text, std::string(c.text));
    else
      EXPECT_FALSE(text.has_value());
  }
}

}  // namespace
