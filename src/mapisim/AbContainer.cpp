#include "AbEntries.h"
#include "AddressBook.h"
#include "Allocator.h"
#include "GalCache.h"
#include "Table.h"
#include "TextUtil.h"

namespace mapisim {
namespace {

constexpr ULONG kTableFlags = CONVENIENT_DEPTH | MAPI_DEFERRED_ERRORS | MAPI_UNICODE;

const std::vector<ULONG> kHierarchyColumns = {PR_ENTRYID, PR_DISPLAY_NAME, PR_DEPTH,
                                              PR_OBJECT_TYPE};
const std::vector<ULONG> kContentsColumns = {PR_ENTRYID,       PR_DISPLAY_NAME, PR_ADDRTYPE,
                                             PR_EMAIL_ADDRESS, PR_OBJECT_TYPE,  PR_DISPLAY_TYPE};

// The entry's display name, when it has one.
bool EntryName(const ADRENTRY& entry, std::string* name) {
  if (!entry.rgPropVals || entry.cValues > kMaxCallerCount) return false;
  for (ULONG i = 0; i < entry.cValues; ++i) {
    const ULONG tag = entry.rgPropVals[i].ulPropTag;
    if (PROP_ID(tag) == PROP_ID(PR_DISPLAY_NAME) && TextOfValue(entry.rgPropVals[i], name))
      return true;
  }
  return false;
}

}  // namespace

AbContainer::AbContainer(SessionPtr session, AbContainerId id)
    : session_(std::move(session)), id_(id) {
  kind_ = ContainerById(id).kind;
  displayName_ = ContainerById(id).displayName;
}

HRESULT AbContainer::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPIProp::GetLastError", kind_, ulFlags, lppMAPIError);
}

HRESULT AbContainer::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                              LPSPropValue* lppPropArray) {
  if (lpcValues) *lpcValues = 0;
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hr = Fault("IMAPIProp::GetProps", kind_, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    const OwnedRow row = ContainerProps(id_);
    const std::vector<PropCell> props = Views(row);
    return AnswerGetProps(props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  });
}

HRESULT AbContainer::GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IABContainer::GetHierarchyTable", displayName_, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~kTableFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by the address book.",
                  kComponentDirectory);
    std::vector<OwnedRow> rows;
    if (id_ == AbContainerId::Root) rows = RootHierarchyRows();
    *lppTable = Table::Create("abhierarchy", kComponentDirectory,
                              std::make_unique<FixedSource>(std::move(rows), kHierarchyColumns));
    return S_OK;
  });
}

HRESULT AbContainer::GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IABContainer::GetContentsTable", displayName_, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~kTableFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by the address book.",
                  kComponentDirectory);
    if (id_ == AbContainerId::Root)
      return Fail(MAPI_E_NO_SUPPORT, "The root of the address book holds no entries.",
                  kComponentDirectory);
    std::vector<OwnedRow> rows;
    if (id_ == AbContainerId::Gal) rows = GalContentsRows(session_->db);
    *lppTable = Table::Create("abcontents", kComponentDirectory,
                              std::make_unique<FixedSource>(std::move(rows), kContentsColumns));
    return S_OK;
  });
}

HRESULT AbContainer::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                               ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (lppUnk) *lppUnk = nullptr;
  if (lpulObjType) *lpulObjType = 0;
  auto kind = [&] { return AbKindOf(session_, cbEntryID, lpEntryID); };
  if (auto hr = Fault("IABContainer::OpenEntry", kind, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    if (!lppUnk) return MAPI_E_INVALID_PARAMETER;
    if (!lpEntryID || cbEntryID == 0)
      return Fail(MAPI_E_INVALID_ENTRYID, "A container opens entries by their entry ID.",
                  kComponentDirectory);
    std::string error;
    HRESULT hr = OpenAbEntry(session_, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType,
                             lppUnk, &error);
    return FAILED(hr) ? Fail(hr, error, kComponentDirectory) : hr;
  });
}

HRESULT AbContainer::ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags,
                                  LPADRLIST lpAdrList, LPFlagList lpFlagList) {
  // The fault's match is the display name of the first entry still to resolve.
  auto firstName = [&] {
    std::string name;
    if (lpAdrList && lpFlagList && lpAdrList->cEntries <= kMaxCallerCount &&
        lpFlagList->cFlags == lpAdrList->cEntries)
      for (ULONG i = 0; i < lpAdrList->cEntries; ++i)
        if (lpFlagList->ulFlag[i] == MAPI_UNRESOLVED && EntryName(lpAdrList->aEntries[i], &name))
          break;
    return name;
  };
  if (auto hr = Fault("IABContainer::ResolveNames", firstName, ulFlags)) return *hr;
  return Guarded(kComponentDirectory, [&]() -> HRESULT {
    if (id_ != AbContainerId::Gal)
      return Fail(MAPI_E_NO_SUPPORT, "This container does not resolve names.", kComponentDirectory);
    if (!lpAdrList || !lpFlagList || lpAdrList->cEntries > kMaxCallerCount ||
        lpFlagList->cFlags != lpAdrList->cEntries)
      return MAPI_E_INVALID_PARAMETER;
    if (lpPropTagArray && !ValidTagArray(lpPropTagArray)) return MAPI_E_INVALID_PARAMETER;
    std::vector<ULONG> columns = kContentsColumns;
    if (lpPropTagArray)
      columns.assign(lpPropTagArray->aulPropTag,
                     lpPropTagArray->aulPropTag + lpPropTagArray->cValues);

    std::vector<orgdb::GalEntry> everyone;  // read once, for names without an address
    for (ULONG i = 0; i < lpAdrList->cEntries; ++i) {
      if (lpFlagList->ulFlag[i] != MAPI_UNRESOLVED) continue;
      ADRENTRY& entry = lpAdrList->aEntries[i];
      std::string name;
      if (!EntryName(entry, &name)) continue;
      std::vector<orgdb::GalEntry> matches;
      if (ulFlags & EMS_AB_ADDRESS_LOOKUP) {
        // An exact address of the form EX:<legacy DN>.
        if (name.size() > 3 && platform::EqualsNoCase(name.substr(0, 3), "EX:"))
          matches = CachedGalEntriesByAddress(session_->db, name.substr(3));
      } else {
        if (everyone.empty()) everyone = session_->db->GalEntries();
        for (const auto& e : everyone)
          if (platform::EqualsNoCase(e.displayName, name) || platform::EqualsNoCase(e.alias, name))
            matches.push_back(e);
      }
      if (matches.size() > 1) {
        lpFlagList->ulFlag[i] = MAPI_AMBIGUOUS;
        continue;
      }
      if (matches.empty()) continue;
      const MailUserData user = MailUserFromGal(matches.front());
      const std::vector<PropCell> props = MailUserProps(user);
      std::vector<Answer> answers;
      for (ULONG tag : columns) answers.push_back(Lookup(props, tag));
      LPSPropValue fresh = nullptr;
      SCODE sc = WritePropArray(answers, &fresh);
      if (FAILED(sc))
        return Fail(sc, "Not enough memory to resolve the names.", kComponentDirectory);
      // The entry's old values go back to MAPI memory; the entry now holds
      // the requested columns of the directory entry.
      FreeBuffer(entry.rgPropVals);
      entry.rgPropVals = fresh;
      entry.cValues = static_cast<ULONG>(answers.size());
      lpFlagList->ulFlag[i] = MAPI_RESOLVED;
    }
    return S_OK;
  });
}

}  // namespace mapisim
