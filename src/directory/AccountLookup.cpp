// LookupAccountSidA answered from the organisation's NT accounts.
//
// Parameters as Windows has them. lpSystemName: null, empty, the local
//   computer's host name or "localhost" mean the local computer; otherwise a
//   server of the organisation (a leading "\\" is allowed), compared without
//   regard to case.
// Returns TRUE and SidTypeUser with the name and domain copied and the
//   counts set to their lengths without the terminator. On FALSE,
//   GetLastError gives:
//   ERROR_INVALID_PARAMETER    no SID, a malformed SID, or missing counts;
//   RPC_S_SERVER_UNAVAILABLE   a system name that is neither the local
//                              computer nor a reachable server, or a named
//                              system while the organisation cannot be read;
//   ERROR_NONE_MAPPED          a SID the organisation does not know, or the
//                              organisation cannot be read (local computer);
//   ERROR_INSUFFICIENT_BUFFER  a buffer too small for its text and
//                              terminator; both counts then hold the sizes
//                              needed, terminators included.
// Fault injection: call "LookupAccountSidA", match the SID text
//   ("S-1-5-21-..."), flags 0. The fault's HRESULT becomes the last error: the
//   Win32 code of a 0x8007xxxx value, else the value itself.

#include <cstring>

#include "Accounts.h"
#include "OrgSession.h"
#include "TextUtil.h"
#include "ThisHost.h"
#include "Win32.h"

namespace {

using platform::EqualsNoCase;

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// The binary SID at `sid`, read only as far as its own header says.
std::optional<orgdb::Bytes> ReadSid(const void* sid) {
  if (!sid) return std::nullopt;
  const auto* p = static_cast<const std::uint8_t*>(sid);
  if (p[0] != 1 || p[1] > 15) return std::nullopt;
  return orgdb::Bytes(p, p + 8 + 4 * p[1]);
}

bool IsLocalComputer(std::string_view name) {
  return name.empty() || EqualsNoCase(name, "localhost") || platform::detail::IsThisHost(name);
}

}  // namespace

BOOL LookupAccountSidA(LPCSTR lpSystemName, PSID Sid, LPSTR Name, LPDWORD cchName,
                       LPSTR ReferencedDomainName, LPDWORD cchReferencedDomainName,
                       SID_NAME_USE* peUse) {
  auto sid = ReadSid(Sid);
  if (!sid || !cchName || !cchReferencedDomainName) return Fail(ERROR_INVALID_PARAMETER);

  directory::OrgSession session;
  std::string_view system = lpSystemName ? lpSystemName : "";
  if (system.substr(0, 2) == "\\\\") system.remove_prefix(2);
  bool local = IsLocalComputer(system);
  const orgdb::OrgReader* db = session.db();

  // The organisation is read before the fault check so that the check can
  // reuse the fault table whenever that read finds the database unchanged;
  // the answer still comes from the fault first.
  enum class Outcome { Found, Unreadable, ServerUnavailable } outcome = Outcome::Unreadable;
  std::optional<directory::AccountView> account;
  if (db) {
    try {
      std::optional<orgdb::Server> server;
      if (!local) server = db->FindServerByName(system);
      if (!local && (!server || !server->reachable)) {
        outcome = Outcome::ServerUnavailable;
      } else {
        account = session.FindNtAccount(*sid);
        outcome = Outcome::Found;
      }
    } catch (const orgdb::OrgDbError&) {
      outcome = Outcome::Unreadable;
    }
  }
  std::optional<std::string> sidText;  // made only when a fault compares it
  const orgdb::FaultMatchText sidMatch = [&]() -> std::string_view {
    if (!sidText) sidText = orgdb::SidToString(*sid);
    return *sidText;
  };
  auto fault = outcome == Outcome::Unreadable
                   ? session.FaultFor("LookupAccountSidA", sidMatch, 0)
                   : session.FaultForAfterRead("LookupAccountSidA", sidMatch, 0);
  if (fault) {
    auto code = static_cast<std::uint32_t>(fault->hr);
    return Fail((code & 0xFFFF0000u) == 0x80070000u ? code & 0xFFFFu : code);
  }

  if (outcome == Outcome::ServerUnavailable) return Fail(RPC_S_SERVER_UNAVAILABLE);
  if (outcome == Outcome::Unreadable)
    return Fail(local ? ERROR_NONE_MAPPED : RPC_S_SERVER_UNAVAILABLE);
  if (!account) return Fail(ERROR_NONE_MAPPED);

  // Texts with an embedded NUL end there, as a C string would.
  const auto cText = [](std::string_view text) { return text.substr(0, text.find('\0')); };
  const std::string_view name = cText(account->name);
  const std::string_view domain = cText(account->domain);
  auto needName = static_cast<DWORD>(name.size() + 1);
  auto needDomain = static_cast<DWORD>(domain.size() + 1);
  if (*cchName < needName || *cchReferencedDomainName < needDomain || !Name ||
      !ReferencedDomainName) {
    *cchName = needName;
    *cchReferencedDomainName = needDomain;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(Name, name.data(), name.size());
  Name[name.size()] = '\0';
  std::memcpy(ReferencedDomainName, domain.data(), domain.size());
  ReferencedDomainName[domain.size()] = '\0';
  *cchName = needName - 1;
  *cchReferencedDomainName = needDomain - 1;
  if (peUse) *peUse = SidTypeUser;
  return TRUE;
}
