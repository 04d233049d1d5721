#include "Folder.h"

#include "EntryIds.h"
#include "StoreSources.h"
#include "Table.h"

namespace mapisim {
namespace {

constexpr ULONG kOpenFlags = MAPI_MODIFY | MAPI_DEFERRED_ERRORS | MAPI_BEST_ACCESS | MAPI_NO_CACHE;
constexpr ULONG kHierarchyFlags = CONVENIENT_DEPTH | MAPI_DEFERRED_ERRORS | MAPI_UNICODE;
constexpr ULONG kContentsFlags = MAPI_ASSOCIATED | MAPI_DEFERRED_ERRORS | MAPI_UNICODE;
constexpr std::int32_t FOLDER_ROOT = 0;
constexpr std::int32_t FOLDER_GENERIC = 1;

// A folder's properties in GetProps order; texts view `entryId` and `f`.
std::vector<PropCell> FolderProps(std::string_view entryId, const orgdb::Folder& f) {
  return {BinaryCell(PR_ENTRYID, entryId),
          LongCell(PR_OBJECT_TYPE, MAPI_FOLDER),
          TextCell(PR_DISPLAY_NAME, f.displayName),
          BoolCell(PR_SUBFOLDERS, f.subfolders),
          LongCell(PR_CONTENT_COUNT, f.contentCount),
          LongCell(PR_MESSAGE_SIZE, static_cast<std::int32_t>(f.messageSize & 0xFFFFFFFF)),
          I8Cell(PR_MESSAGE_SIZE_EXTENDED, static_cast<std::int64_t>(f.messageSize)),
          TextCell(PR_URL_NAME, f.urlName),
          LongCell(PR_FOLDER_TYPE, FOLDER_GENERIC)};
}

// One hierarchy row: what the details window and the tree walk read.
OwnedRow FolderRow(std::int64_t mailboxId, const orgdb::Folder& f, std::int32_t depth) {
  const std::string entryId = FolderEntryId(mailboxId, f.id);
  OwnedRow row;
  for (const PropCell& cell : FolderProps(entryId, f)) row.emplace_back(cell);
  row.emplace_back(LongCell(PR_DEPTH, depth));
  return row;
}

void AddLevel(const Db& db, std::int64_t mailboxId, const std::vector<orgdb::Folder>& level,
              std::int32_t depth, bool deep, std::vector<OwnedRow>& rows) {
  for (const auto& f : level) {
    rows.push_back(FolderRow(mailboxId, f, depth));
    // A bound on depth keeps a corrupt (cyclic) tree from recursing forever.
    if (deep && depth < 64) AddLevel(db, mailboxId, db->ChildFolders(f.id), depth + 1, true, rows);
  }
}

bool IsFolderInterface(LPCIID iid) {
  return !iid || *iid == IID_IMAPIFolder || *iid == IID_IMAPIContainer || *iid == IID_IMAPIProp ||
         *iid == IID_IUnknown;
}

}  // namespace

std::string FolderKindOf(ULONG cbEntryID, LPENTRYID lpEntryID) {
  if (!lpEntryID || cbEntryID == 0) return "root";
  auto id = DecodeEntryId(cbEntryID, lpEntryID);
  return id && id->kind == EntryKind::Folder && id->b == 0 ? "root" : "folder";
}

HRESULT OpenFolder(const StorePtr& store, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                   ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk, std::string* error) {
  if (ulFlags & ~kOpenFlags) {
    *error = "The flags are not supported by this store.";
    return MAPI_E_UNKNOWN_FLAGS;
  }
  if (!IsFolderInterface(lpInterface)) {
    *error = "A folder does not offer the interface asked for.";
    return MAPI_E_INTERFACE_NOT_SUPPORTED;
  }
  std::int64_t folderId = 0;
  if (lpEntryID && cbEntryID > 0) {
    auto id = DecodeEntryId(cbEntryID, lpEntryID);
    if (!id || id->kind != EntryKind::Folder || id->a != store->mailboxId) {
      *error = "The entry ID is not one of a folder of this store.";
      return MAPI_E_INVALID_ENTRYID;
    }
    folderId = id->b;
  }
  if (std::string problem = ServerProblem(store->db, store->serverId); !problem.empty()) {
    *error = problem;
    return MAPI_E_NETWORK_ERROR;
  }
  std::optional<orgdb::Folder> folder;
  if (folderId != 0) {
    folder = store->db->FolderById(folderId);
    if (!folder || folder->mailboxId != store->mailboxId) {
      *error = "The folder does not exist.";
      return MAPI_E_NOT_FOUND;
    }
  }
  *lppUnk = AsUnknown(new Folder(store, std::move(folder)));
  if (lpulObjType) *lpulObjType = MAPI_FOLDER;
  return S_OK;
}

Folder::Folder(StorePtr store, std::optional<orgdb::Folder> folder)
    : store_(std::move(store)), folder_(std::move(folder)) {
  kind_ = folder_ ? "folder" : "root";
  entryId_ = FolderEntryId(store_->mailboxId, folder_ ? folder_->id : 0);
}

bool Folder::Implements(REFIID riid) const {
  return riid == IID_IMAPIFolder || riid == IID_IMAPIContainer || riid == IID_IMAPIProp;
}

const std::string& Folder::DisplayName() const {
  return folder_ ? folder_->displayName : emptyName_;
}

HRESULT Folder::GetLastError(HRESULT, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return HandOutLastError("IMAPIProp::GetLastError", kind_, ulFlags, lppMAPIError);
}

HRESULT Folder::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                         LPSPropValue* lppPropArray) {
  if (lpcValues) *lpcValues = 0;
  if (lppPropArray) *lppPropArray = nullptr;
  if (auto hr = Fault("IMAPIProp::GetProps", kind_, ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (folder_) {
      const auto alterations = CheckAlterations("IMAPIProp::GetProps", kind_, ulFlags);
      return AnswerGetProps(FolderProps(entryId_, *folder_), lpPropTagArray, ulFlags, lpcValues,
                            lppPropArray, [&](Answer& a) { AlterAnswer(alterations, a); });
    }
    const bool hasTop = store_->mailboxId != 0 && store_->db->TopFolder(store_->mailboxId);
    std::vector<PropCell> props = {
        BinaryCell(PR_ENTRYID, entryId_),    LongCell(PR_OBJECT_TYPE, MAPI_FOLDER),
        TextCell(PR_DISPLAY_NAME, ""),       BoolCell(PR_SUBFOLDERS, hasTop),
        LongCell(PR_CONTENT_COUNT, 0),       LongCell(PR_MESSAGE_SIZE, 0),
        I8Cell(PR_MESSAGE_SIZE_EXTENDED, 0), LongCell(PR_FOLDER_TYPE, FOLDER_ROOT)};
    if (auto server = store_->db->ServerById(store_->serverId))
      props.push_back(I8Cell(PR_REPLICA_VERSION, static_cast<std::int64_t>(server->version)));
    return AnswerGetProps(props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  });
}

HRESULT Folder::GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IMAPIFolder::GetHierarchyTable", DisplayName(), ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~kHierarchyFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by this store.",
                  kComponentStore);
    if (std::string problem = ServerProblem(store_->db, store_->serverId); !problem.empty())
      return Fail(MAPI_E_NETWORK_ERROR, problem, kComponentStore);
    std::vector<orgdb::Folder> level;
    if (folder_) {
      level = store_->db->ChildFolders(folder_->id);
    } else if (store_->mailboxId != 0) {
      if (auto top = store_->db->TopFolder(store_->mailboxId)) level.push_back(*top);
    }
    std::vector<OwnedRow> rows;
    AddLevel(store_->db, store_->mailboxId, level, 0, (ulFlags & CONVENIENT_DEPTH) != 0, rows);
    *lppTable = Table::Create(
        "hierarchy", kComponentStore,
        std::make_unique<FixedSource>(std::move(rows),
                                      std::vector<ULONG>{PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS,
                                                         PR_CONTENT_COUNT, PR_DEPTH}));
    return S_OK;
  });
}

HRESULT Folder::GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) {
  if (lppTable) *lppTable = nullptr;
  if (auto hr = Fault("IMAPIFolder::GetContentsTable", DisplayName(), ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppTable) return MAPI_E_INVALID_PARAMETER;
    if (ulFlags & ~kContentsFlags)
      return Fail(MAPI_E_UNKNOWN_FLAGS, "The flags are not supported by this store.",
                  kComponentStore);
    if (std::string problem = ServerProblem(store_->db, store_->serverId); !problem.empty())
      return Fail(MAPI_E_NETWORK_ERROR, problem, kComponentStore);
    std::unique_ptr<TableSource> source;
    if (folder_ && !(ulFlags & MAPI_ASSOCIATED)) {
      source = MakeContentsSource(store_->db, folder_->id);
    } else {
      // The root holds no messages, and no folder holds associated items.
      source = std::make_unique<FixedSource>(std::vector<OwnedRow>{}, ContentsColumns());
    }
    *lppTable = Table::Create("contents", kComponentStore, std::move(source));
    return S_OK;
  });
}

HRESULT Folder::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                          ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (lppUnk) *lppUnk = nullptr;
  if (lpulObjType) *lpulObjType = 0;
  auto kind = [&] { return FolderKindOf(cbEntryID, lpEntryID); };
  if (auto hr = Fault("IMAPIFolder::OpenEntry", kind, ulFlags)) return *hr;
  return Guarded(kComponentStore, [&]() -> HRESULT {
    if (!lppUnk) return MAPI_E_INVALID_PARAMETER;
    if (!lpEntryID || cbEntryID == 0)
      return Fail(MAPI_E_INVALID_ENTRYID, "A folder opens entries by their entry ID.",
                  kComponentStore);
    std::string error;
    HRESULT hr =
        OpenFolder(store_, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType, lppUnk, &error);
    return FAILED(hr) ? Fail(hr, error, kComponentStore) : hr;
  });
}

}  // namespace mapisim
