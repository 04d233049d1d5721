// The console program's event logger: success milestones and failures of a
// run go to the application event log under the source "Tabrix Mailbox
// Statistics " followed by the program file's name. Logging never stops or
// changes the run; every failure inside it is silent.
#pragma once

#include <string>

#include "EventSource.h"
#include "MAPIDefs.h"

namespace console {

// Event types as the console passes them.
inline constexpr WORD kEventError = 1;
inline constexpr WORD kEventWarning = 2;
inline constexpr WORD kEventInformation = 4;

class TTabrixEventLogger {
 public:
  // `programName` is the program file's name without folder (boxstatcon).
  explicit TTabrixEventLogger(const std::string& programName);
  TTabrixEventLogger(const TTabrixEventLogger&) = delete;
  TTabrixEventLogger& operator=(const TTabrixEventLogger&) = delete;

  // Writes one event. On NT the source is registered on first use (no
  // registry values are written); elsewhere a message box without owner,
  // titled "Extended MAPI", with the type as its style.
  void Log(const std::string& text, WORD type, DWORD eventId = 0, WORD category = 0);

  const std::string& SourceName() const { return sourceName_; }
  bool IsNT() const { return source_.IsNT(); }

 private:
  std::string sourceName_;
  mapi::EventSource source_;
};

}  // namespace console
