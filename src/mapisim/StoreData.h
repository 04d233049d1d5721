// What a message store object and the folders and management interface
// opened from it share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "SessionContext.h"

namespace mapisim {

enum class StoreKind {
  Own,     // the session's private store, from the message-store table
  Admin,   // a mailbox opened with an administrative entry ID
  Public,  // a server's public folders
};

struct StoreData {
  SessionPtr session;
  Db db;
  StoreKind kind = StoreKind::Own;
  std::int64_t mailboxId = 0;  // 0 for public folders
  std::optional<orgdb::Mailbox> mailbox;
  std::int64_t serverId = 0;
  std::string faultName;  // "private", "public", or the mailbox DN
  std::string entryId;
};
using StorePtr = std::shared_ptr<const StoreData>;

}  // namespace mapisim
