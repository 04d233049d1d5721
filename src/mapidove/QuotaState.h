// A mailbox's quota read as one state, the way a mailbox table reports its
// storage limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mapidove {

enum class QuotaState {
  NoQuota,     // no resource has a limit
  BelowLimit,  // every resource below the warning rule
  Warning,     // some resource at or above the warning rule's share of its limit
  AtLimit,     // some resource at or beyond its limit
};

// One line of `doveadm quota get`: a resource of a quota root.
struct QuotaResource {
  std::string root;                   // "User quota"
  std::string type;                   // "STORAGE" (kilobytes) or "MESSAGE" (messages)
  std::int64_t value = 0;             // in use
  std::optional<std::int64_t> limit;  // absent: unlimited
};

// The worst state over the resources; `warningPercent` is the server's
// warning rule (quota_warning = storage=80%%: 80).
QuotaState StateOf(const std::vector<QuotaResource>& resources, int warningPercent);

const char* QuotaStateName(QuotaState state);  // "below", "warning", "at-limit", "none"

}  // namespace mapidove
