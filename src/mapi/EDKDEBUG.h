// The EDK error-logging routine: every MAPI utility routine passes each
// failure code through it before returning the code.
#pragma once

#include <string>

#include "EventSource.h"
#include "MAPIDefs.h"

namespace mapi {

// Returns `hr` unchanged; a non-zero code is written to the application
// event log by the process-wide TTabrixEventLogger.
HRESULT EdkLogError(HRESULT hr);

// Event type of a code from its two top bits: 11 error (1), 10 warning (2),
// 00 and 01 information (4).
WORD EventTypeOfCode(HRESULT code);

// The logger behind EdkLogError. It registers the application title as an
// event source under HKLM (event message files, types supported) on first
// use. Logging is silent on every failure and writes nothing off NT.
class TTabrixEventLogger {
 public:
  TTabrixEventLogger() = default;
  TTabrixEventLogger(const TTabrixEventLogger&) = delete;
  TTabrixEventLogger& operator=(const TTabrixEventLogger&) = delete;

  // True when a source exists or could be made; zeroes the counts when it
  // makes one.
  bool Register();
  // One event with the code's type, category 0, the code as event
  // identifier and `text` as the only string.
  void Log(const std::string& text, HRESULT code);

  bool IsNT() const { return source_.IsNT(); }
  bool HasSource() const { return source_.IsOpen(); }
  ULONG ErrorCount() const { return errorCount_; }
  ULONG WarningCount() const { return warningCount_; }
  ULONG InformationCount() const { return informationCount_; }

 private:
  EventSource source_;
  ULONG errorCount_ = 0;        // error events written or attempted
  ULONG warningCount_ = 0;      // warning events
  ULONG informationCount_ = 0;  // information events
};

// The process-wide instance, created on first use.
TTabrixEventLogger& EdkEventLogger();
// Frees the process-wide instance (deregistering its source), as the end of
// the process does; the next EdkLogError creates a fresh one. Tests call it
// when they switch machine roots.
void FreeEdkEventLogger();

}  // namespace mapi
