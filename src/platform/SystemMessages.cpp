#include "SystemMessages.h"

#include <iterator>

namespace platform {

namespace {

struct SystemMessage {
  DWORD code;
  const char* text;
};

// The HRESULTs a COM caller meets most, with the system's English texts.
// Win32 codes wrapped as HRESULTs (0x8007xxxx) carry their Win32 text.
constexpr SystemMessage kMessages[] = {
    {0x80004001u, "Not implemented"},
    {0x80004002u, "No such interface supported"},
    {0x80004003u, "Invalid pointer"},
    {0x80004004u, "Operation aborted"},
    {0x80004005u, "Unspecified error"},
    {0x8000FFFFu, "Catastrophic failure"},
    {0x80070005u, "Access is denied."},
    {0x80070006u, "The handle is invalid."},
    {0x8007000Eu, "Not enough storage is available to complete this operation."},
    {0x80070057u, "The parameter is incorrect."},
};

}  // namespace

std::optional<std::string> SystemMessageText(DWORD code) {
  for (const auto& m : kMessages)
    if (m.code == code) return std::string(m.text);
  return std::nullopt;
}

}  // namespace platform
