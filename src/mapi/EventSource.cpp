#include "EventSource.h"

#include "Win32.h"

namespace mapi {

namespace {

bool RunsOnNT() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

EventSource::EventSource() : isNT_(RunsOnNT()) {}

EventSource::~EventSource() {
  if (isNT_ && handle_) DeregisterEventSource(handle_);
}

bool EventSource::Open(const std::string& name) {
  if (!handle_) handle_ = RegisterEventSourceA(nullptr, name.c_str());
  return handle_ != nullptr;
}

void EventSource::Report(WORD type, WORD category, DWORD eventId, const std::string& text) {
  if (!handle_) return;
  LPCSTR strings[1] = {text.c_str()};
  ReportEventA(handle_, type, category, eventId, nullptr, 1, 0, strings, nullptr);
}

}  // namespace mapi
