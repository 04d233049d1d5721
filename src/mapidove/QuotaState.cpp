#include "QuotaState.h"

#include <algorithm>

namespace mapidove {

QuotaState StateOf(const std::vector<QuotaResource>& resources, int warningPercent) {
  QuotaState worst = QuotaState::NoQuota;
  for (const auto& r : resources) {
    if (!r.limit) continue;
    QuotaState state = QuotaState::BelowLimit;
    // A limit of 0 with nothing in use is full too: nothing more fits.
    if (r.value >= *r.limit)
      state = QuotaState::AtLimit;
    else if (r.value * 100 >= *r.limit * warningPercent)
      state = QuotaState::Warning;
    worst = std::max(worst, state);
  }
  return worst;
}

const char* QuotaStateName(QuotaState state) {
  switch (state) {
    case QuotaState::NoQuota:
      return "none";
    case QuotaState::BelowLimit:
      return "below";
    case QuotaState::Warning:
      return "warning";
    case QuotaState::AtLimit:
      return "at-limit";
  }
  return "none";
}

}  // namespace mapidove
