// The console's server pass: the configured server's mailbox table read
// through the common road, with the console's messages and events, the
// owner resolution and the size filter. The records that pass are handed to
// the caller (the report writer).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "ExtendedMAPI.h"
#include "acTableContent.h"

namespace core {

// The one server a console run reports on.
struct ConsoleServerEntry {
  std::string serverName;         // as written in the configuration
  std::string serverDn;           // upper-cased legacy distinguished name
  std::int32_t sizeLimitKb = -1;  // only mailboxes above this many KB are kept
  bool realNtAccount = false;     // resolve each mailbox's owning account
  std::string lookupServer;       // where accounts are looked up; empty: this computer
};

struct ConsolePassContext {
  std::ostream* out = nullptr;
  // Writes one event (type 4 information, 1 error) to the console's log.
  std::function<void(const std::string& text, WORD type)> logEvent;
  bool logSuccess = false;
  std::string* lastError = nullptr;     // receives the text of a failure
  std::string* keptServerDn = nullptr;  // the server name handed to GetMailboxTable
  // The owner account of a mailbox address ("" when not found); called only
  // when the entry asks for real NT accounts.
  std::function<std::string(const std::string& emailAddress)> resolveOwner;
  // A record that passed the size filter, in table order.
  std::function<void(acTableContent&& record)> keep;
  // Called after each batch of rows; an exception it throws ends the pass
  // (everything the pass holds is released on the way out).
  std::function<void()> betweenBatches;
};

// True when a mailbox of `messageSize` bytes goes into the report.
constexpr bool PassesSizeLimit(std::int64_t messageSize, std::int32_t sizeLimitKb) {
  return static_cast<std::int64_t>(sizeLimitKb) < messageSize / 1024;
}

// Runs the pass. True when the table was read to its end (or was empty):
// the report step follows. False after a failure, which has been written,
// logged as an error event and stored as the last error.
bool RunConsoleServerPass(IMAPISession* session, const ConsoleServerEntry& server,
                          ConsolePassContext& context);

}  // namespace core
