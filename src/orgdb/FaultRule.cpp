// When an injected fault answers a call; the account, directory and MAPI
// stand-ins all apply this one rule.
#include "OrgReader.h"
#include "TextUtil.h"

namespace orgdb {

bool FaultFits(const Fault& fault, std::string_view call, const FaultMatchText* match,
               std::uint32_t flags, std::int64_t& seen) {
  if (fault.call != call) return false;
  if (fault.match && (!match || !platform::EqualsNoCase(*fault.match, (*match)()))) return false;
  if (fault.flags && (flags & *fault.flags) != *fault.flags) return false;
  ++seen;
  return !fault.nth || seen == *fault.nth;
}

}  // namespace orgdb
