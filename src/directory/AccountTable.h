// Internal to the directory stand-in: the organisation's NT accounts held in
// one block of text with a hashed index, so that a lookup per mailbox costs
// neither a read of the database nor an allocation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OrgReader.h"
#include "PositionIndex.h"

namespace directory {

// An account as the table holds it; the texts stay valid until the next Load.
struct AccountView {
  std::string_view domain;
  std::string_view name;
};

class AccountTable {
 public:
  // Reads every account of `db`, replacing what was held. Throws
  // orgdb::OrgDbError when they cannot be read; the table is empty then.
  void Load(const orgdb::OrgReader& db);

  // The account whose SID is exactly `sid` (SIDs are unique in the store).
  std::optional<AccountView> Find(const orgdb::Bytes& sid) const;

 private:
  struct Item {
    std::size_t at = 0;  // where its SID, domain and name begin in text_
    std::uint32_t sidLen = 0;
    std::uint32_t domainLen = 0;
    std::uint32_t nameLen = 0;
  };
  std::string text_;
  std::vector<Item> items_;  // in stored order
  orgdb::PositionIndex bySid_;
};

}  // namespace directory
