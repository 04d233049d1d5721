// Fault injection: the organisation database names MAPI calls that must
// fail. Every exported function and interface method asks CheckFault under
// its own name before doing anything; a hit makes the call return the
// fault's code and nothing else (out-pointers cleared, no object, no
// buffer), with the fault's message and component as the error record of the
// object the call was made on.
//
// Names and the argument that `match` is compared with (without regard to
// case; a fault with a match never fires for calls that have none):
//   MAPIInitialize, MAPIAdminProfiles, MAPIAllocateBuffer, MAPIAllocateMore,
//   MAPIFreeBuffer, ScDupPropset ............ no match argument
//   MAPILogonEx ............................. the profile name passed ("" for none)
//   HrQueryAllRows .......................... the table kind (below)
//   HrGetOneProp ............................ the tag, 8 upper-case hex digits
//   FGetComponentPath ....................... the component text
//   IMAPISession::OpenMsgStore .............. "private", "public", or the mailbox DN
//                                             of an administrative entry ID
//   IMAPISession::OpenEntry ................. kind of the object opened
//   IMAPISession::* (other methods) ......... the session's profile name
//   IMsgStore::OpenEntry .................... kind of the object opened ("root", "folder")
//   IMsgStore::* (other methods) ............ the store: "private", "public" or the
//                                             mailbox DN of an administratively opened one
//   IExchangeManageStore::GetMailboxTable ... the server DN passed ("" for none)
//   IExchangeManageStore::CreateStoreEntryID  the mailbox DN passed ("" for none)
//   IExchangeManageStore::QueryInterface .... "manage"
//   IMAPITable::* ........................... the table kind: "mailbox", "msgstores",
//                                             "hierarchy", "contents", "services",
//                                             "profiles", "abhierarchy", "abcontents"
//   IMAPIFolder::GetHierarchyTable,
//   IMAPIFolder::GetContentsTable ........... the folder's display name
//   IMAPIFolder::OpenEntry .................. kind of the object opened ("folder")
//   IAddrBook::OpenEntry .................... kind of the object opened: "root", "gal",
//                                             "container", "mailuser", "identity"
//   IABContainer::GetHierarchyTable,
//   IABContainer::GetContentsTable .......... the container's display name
//   IABContainer::OpenEntry ................. kind of the object opened
//   IABContainer::ResolveNames .............. the PR_DISPLAY_NAME of the first entry
//                                             still to resolve
//   IMAPIProp::GetProps, IMAPIProp::GetLastError, <Interface>::QueryInterface
//     on stores, folders, address books, containers and mail users .. the object's
//     kind: "store", "root", "folder", "addrbook", "gal", "container", "mailuser",
//     "identity" (the session's own user, opened from QueryIdentity's entry ID)
//   IProfAdmin::CreateProfile, DeleteProfile, AdminServices,
//   SetDefaultProfile ....................... the profile name ("" for none)
//   IProfAdmin::GetProfileTable, GetLastError .. no match argument
//   IProfAdmin::QueryInterface .............. "" (the empty text)
//   IMsgServiceAdmin::* ..................... the profile name of the administration
//
// `flags` of a fault fires only when the call's flags argument includes all of
// its bits (calls without a flags argument have 0). `nth` fires only on the
// n-th call (1-based) that matches name, match and flags. Counting is per
// process and per fault set: the faults are read when MAPIInitialize finds
// MAPI uninitialised and again when the database is opened after it, and the
// counters restart only when the set read differs from the one in force (or
// comes from another machine root), so that a program that initialises MAPI
// twice keeps counting. The functions that return nothing (MAPIUninitialize,
// FreeProws, FreePadrlist) and the two TabrixSim functions cannot report a
// failure and are not subject to faults; AddRef and Release neither.
//
// Alterations: a fault whose call is one of the names below, with its
// suffix, does not fail the call but changes what it returns, so that
// tests can hand a caller malformed answers. match, nth and flags narrow
// it as above (the match argument is the call's own); message and
// component are not an error record here. Several may apply to one call.
//   IMAPITable::GetRowCount/offset .......... the count returned is moved by
//                                             `hr` (signed; never below 0)
//   IMAPITable::QueryRows/<action>,
//   IMAPIProp::GetProps/<action> ............ (folders only) act on the value
//                                             whose property identifier is that of
//                                             the tag in `hr`, in every row:
//     /drop    the value is absent (an error value MAPI_E_NOT_FOUND)
//     /retype  the value has the type of the tag in `hr`, with no content
//              (0, or an empty text or binary)
//     /resize  a binary value is replaced by as many bytes as `message`
//              says in decimal (at most 65536)
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "MAPIDefs.h"
#include "OrgReader.h"
#include "PropValues.h"

namespace mapisim {

struct FaultHit {
  HRESULT hr = S_OK;
  std::optional<std::string> message;
  std::optional<std::string> component;
};

// Frees the fault set when the library is unloaded.
void ShutdownFaults();

// Puts a fault set read from the database at `source` in force.
void InstallFaults(const std::string& source, std::vector<orgdb::Fault> faults);

// A call's match argument, worked out only when a fault in force for that
// call compares one: most calls meet no fault, and some match texts cost a
// decode. Refers to a callable returning std::string that outlives it.
class MatchText {
 public:
  // Implicit, so that a lambda goes where the match argument goes.
  template <class F, std::enable_if_t<std::is_invocable_r_v<std::string, const F&>, int> = 0>
  MatchText(const F& make) : make_(&Make<F>), callable_(&make) {}
  std::string operator()() const { return make_(callable_); }

 private:
  template <class F>
  static std::string Make(const void* callable) {
    return (*static_cast<const F*>(callable))();
  }
  std::string (*make_)(const void*);
  const void* callable_;
};

// The fault that a call must answer with, if any. `match` is null for calls
// without a match argument.
std::optional<FaultHit> CheckFault(std::string_view call, const MatchText* match, ULONG flags);
inline std::optional<FaultHit> CheckFault(std::string_view call, MatchText match, ULONG flags) {
  return CheckFault(call, &match, flags);
}
inline std::optional<FaultHit> CheckFault(std::string_view call, std::string_view match,
                                          ULONG flags) {
  auto text = [match] { return std::string(match); };
  return CheckFault(call, text, flags);
}
// An alteration in force for a call: the action after the '/' of its name,
// its number (`hr`) and its text (`message`).
struct Alteration {
  std::string action;
  std::int32_t number = 0;
  std::optional<std::string> text;
};

// The alterations that fit a call, in the order they were added.
std::vector<Alteration> CheckAlterations(std::string_view call, std::string_view match,
                                         ULONG flags);

// Applies the value alterations to one value about to be returned.
void AlterAnswer(const std::vector<Alteration>& alterations, Answer& answer);

inline std::optional<FaultHit> CheckFaultNoMatch(std::string_view call, ULONG flags) {
  return CheckFault(call, nullptr, flags);
}

}  // namespace mapisim
