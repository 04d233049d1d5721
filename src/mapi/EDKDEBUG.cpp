#include "EDKDEBUG.h"

#include <memory>

#include "ApplicationTitle.h"
#include "TextForms.h"
#include "UniqueHKey.h"
#include "Win32.h"

namespace mapi {
namespace {

constexpr const char* kEventLogKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

std::unique_ptr<TTabrixEventLogger>& Instance() {
  static std::unique_ptr<TTabrixEventLogger> instance;
  return instance;
}

void SetString(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

}  // namespace

WORD EventTypeOfCode(HRESULT code) {
  switch (static_cast<std::uint32_t>(code) >> 30) {
    case 3:
      return EVENTLOG_ERROR_TYPE;
    case 2:
      return EVENTLOG_WARNING_TYPE;
    default:
      return EVENTLOG_INFORMATION_TYPE;
  }
}

bool TTabrixEventLogger::Register() {
  if (source_.IsOpen()) return true;
  char path[261] = {};
  GetModuleFileNameA(nullptr, path, 260);
  const std::string program = path;
  const std::string title = ApplicationTitle();

  HKEY raw = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kEventLogKey + title).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw,
                      &disposition) != ERROR_SUCCESS)
    return false;
  // Closed when the registration ends, after the source is opened.
  const platform::UniqueHKey key(raw);
  // A value that cannot be written does not stop the registration.
  SetString(key.get(), "EventMessageFile", program);
  SetString(key.get(), "ParameterMessageFile", "%SystemRoot%\\System32\\kernel32.dll");
  SetString(key.get(), "CategoryMessageFile", program);
  DWORD types = 7;
  RegSetValueExA(key.get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                 sizeof types);

  const bool opened = source_.Open(title);
  if (opened) errorCount_ = warningCount_ = informationCount_ = 0;
  return opened;
}

void TTabrixEventLogger::Log(const std::string& text, HRESULT code) {
  const WORD type = EventTypeOfCode(code);
  // Register before counting, so that the registration's reset of the counts
  // does not swallow the first event.
  if (source_.IsNT() && !source_.IsOpen()) Register();
  switch (type) {
    case EVENTLOG_ERROR_TYPE:
      ++errorCount_;
      break;
    case EVENTLOG_WARNING_TYPE:
      ++warningCount_;
      break;
    default:
      ++informationCount_;
      break;
  }
  if (!source_.IsNT()) return;
  source_.Report(type, 0, static_cast<DWORD>(code), text);
}

TTabrixEventLogger& EdkEventLogger() {
  auto& instance = Instance();
  if (!instance) instance = std::make_unique<TTabrixEventLogger>();
  return *instance;
}

void FreeEdkEventLogger() {
  Instance().reset();
}

HRESULT EdkLogError(HRESULT hr) {
  if (hr == 0) return hr;
  try {
    EdkEventLogger().Log("Error/Warning/Information. Returned CODE is: " + Hex8(hr), hr);
  } catch (...) {
    // Logging never changes the caller's flow.
  }
  return hr;
}

}  // namespace mapi
