#include "ConsoleEventLogger.h"

#include "Win32.h"

namespace console {
namespace {

bool RunsOnNT() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

TTabrixEventLogger::TTabrixEventLogger(const std::string& programName)
    : sourceName_("Tabrix Mailbox Statistics " + programName), isNT_(RunsOnNT()) {}

TTabrixEventLogger::~TTabrixEventLogger() {
  if (isNT_ && source_) DeregisterEventSource(source_);
}

void TTabrixEventLogger::Log(const std::string& text, WORD type, DWORD eventId, WORD category) {
  if (!isNT_) {
    MessageBoxA(nullptr, text.c_str(), "Extended MAPI", type);
    return;
  }
  if (!source_) source_ = RegisterEventSourceA(nullptr, sourceName_.c_str());
  if (!source_) return;
  LPCSTR strings[1] = {text.c_str()};
  ReportEventA(source_, type, category, eventId, nullptr, 1, 0, strings, nullptr);
}

}  // namespace console
