// An application event source as both programs' loggers hold it: the source
// is registered on first use, each event carries one string, and the source
// is deregistered with its owner. Off NT there is no event log to write to.
#pragma once

#include <string>

#include "MAPIDefs.h"

namespace mapi {

class EventSource {
 public:
  EventSource();
  ~EventSource();
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  // Whether the system keeps an event log (asked once, at construction).
  bool IsNT() const { return isNT_; }
  bool IsOpen() const { return handle_ != nullptr; }
  // Registers `name` as the source unless one is open already; true when
  // one is open.
  bool Open(const std::string& name);
  // One event with `text` as its only string; nothing without an open source.
  void Report(WORD type, WORD category, DWORD eventId, const std::string& text);

 private:
  void* handle_ = nullptr;  // the registered source
  bool isNT_ = false;
};

}  // namespace mapi
