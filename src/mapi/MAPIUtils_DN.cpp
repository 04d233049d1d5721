// Legacy distinguished names: /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/...
#include "MAPIUtils.h"
#include "TextUtil.h"

namespace mapi {
namespace {

constexpr std::string_view kServersPath = "/cn=Configuration/cn=Servers/cn=";
constexpr std::string_view kPrivateMdb = "/cn=Microsoft Private MDB";
constexpr std::string_view kMta = "/cn=Microsoft MTA";

using platform::StartsWithNoCase;

// The text without its first occurrence of `part` (exact case), if any.
std::string WithoutFirst(std::string_view text, std::string_view part) {
  std::string result(text);
  std::size_t at = result.find(part);
  if (at != std::string::npos) result.erase(at, part.size());
  return result;
}

// The server name of a DN below the servers container, with `suffix`
// removed: skips the org/site prefix and the container path.
std::string ServerNameFromDn(std::string_view dn, std::string_view suffix) {
  std::size_t skip = OrgSitePrefix(dn).size() + kServersPath.size();
  std::string_view rest = skip < dn.size() ? dn.substr(skip) : std::string_view();
  return WithoutFirst(rest, suffix);
}

}  // namespace

std::string OrgSitePrefix(std::string_view dn) {
  for (std::size_t i = 0; i < dn.size(); ++i) {
    if (dn[i] != '/') continue;
    std::string_view at = dn.substr(i);
    if (!StartsWithNoCase(at, "/o=") && !StartsWithNoCase(at, "/ou="))
      return std::string(dn.substr(0, i));
  }
  return std::string(dn);
}

std::string OrgPart(std::string_view dn) {
  std::size_t slash = dn.size() > 3 ? dn.find('/', 3) : std::string_view::npos;
  return std::string(slash == std::string_view::npos ? dn : dn.substr(0, slash));
}

std::string ServerNameFromMdbDn(std::string_view dn) {
  return ServerNameFromDn(dn, kPrivateMdb);
}

std::string ServerDnFromMdbDn(std::string_view dn) {
  return WithoutFirst(dn, kPrivateMdb);
}

std::string ServerNameFromMtaDn(std::string_view dn) {
  return ServerNameFromDn(dn, kMta);
}

std::string BytesToHex(const void* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  if (!bytes) return text;
  text.reserve(count * 2);
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[p[i] >> 4]);
    text.push_back(kDigits[p[i] & 0x0F]);
  }
  return text;
}

}  // namespace mapi
