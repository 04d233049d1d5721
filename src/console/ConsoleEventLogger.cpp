#include "ConsoleEventLogger.h"

#include "Win32.h"

namespace console {

TTabrixEventLogger::TTabrixEventLogger(const std::string& programName)
    : sourceName_("Tabrix Mailbox Statistics " + programName) {}

void TTabrixEventLogger::Log(const std::string& text, WORD type, DWORD eventId, WORD category) {
  if (!source_.IsNT()) {
    MessageBoxA(nullptr, text.c_str(), "Extended MAPI", type);
    return;
  }
  if (!source_.Open(sourceName_)) return;
  source_.Report(type, category, eventId, text);
}

}  // namespace console
