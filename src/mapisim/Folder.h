// IMAPIFolder: the root folder of a store (entry ID folder 0) or one of the
// mailbox's folders.
#pragma once

#include <optional>
#include <string>

#include "SimObject.h"
#include "StoreData.h"

namespace mapisim {

// Opens a folder of `store` by entry ID, or the root for a null one. Used by
// IMsgStore::OpenEntry and IMAPIFolder::OpenEntry; the caller checks faults.
// Interfaces: null, IMAPIFolder, IMAPIContainer, IMAPIProp, IUnknown.
// Flags: MAPI_MODIFY, MAPI_DEFERRED_ERRORS, MAPI_BEST_ACCESS, MAPI_NO_CACHE;
// anything else is MAPI_E_UNKNOWN_FLAGS.
HRESULT OpenFolder(const StorePtr& store, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                   ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk, std::string* error);

// The fault kind of what such an OpenEntry opens: "root" or "folder".
std::string FolderKindOf(ULONG cbEntryID, LPENTRYID lpEntryID);

class Folder final : public SimObject<IMAPIFolder> {
 public:
  Folder(StorePtr store, std::optional<orgdb::Folder> folder);

  HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                   LPSPropValue* lppPropArray) override;
  HRESULT GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                    ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;

 protected:
  bool Implements(REFIID riid) const override;
  const char* QueryInterfaceCall() const override { return "IMAPIFolder::QueryInterface"; }
  std::string FaultMatch() const override { return kind_; }

 private:
  ~Folder() override = default;
  bool IsRoot() const { return !folder_; }
  const std::string& DisplayName() const;

  StorePtr store_;
  std::optional<orgdb::Folder> folder_;  // none: the store's root
  std::string kind_;                     // "root" or "folder"
  std::string entryId_;
  std::string emptyName_;
};

}  // namespace mapisim
