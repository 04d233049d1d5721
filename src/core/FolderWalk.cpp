#include "FolderWalk.h"

#include <algorithm>
#include <cstdio>

#include "MAPIUtils.h"
#include "MAPIVariantProp.h"

namespace core {

namespace {

constexpr ULONG kTreeProps = 3;
constexpr ULONG kStatisticsProps = 6;
// The tree asks for the first three, the statistics walk for all six.
const ULONG kFolderProps[kStatisticsProps] = {PR_DISPLAY_NAME,  PR_ENTRYID,      PR_SUBFOLDERS,
                                              PR_CONTENT_COUNT, PR_MESSAGE_SIZE, PR_URL_NAME};

LPENTRYID AsEntryId(const std::vector<BYTE>& bytes) {
  return bytes.empty() ? nullptr : reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(bytes.data()));
}

class Walk {
 public:
  Walk(FolderWalkKind kind, FolderWalkListener& listener, const std::string& mailboxName,
       std::vector<TMsgBoxReport>* records)
      : kind_(kind), listener_(listener), mailboxName_(mailboxName), records_(records) {}

  // One level of `folder`: its rows, and below each folder with subfolders
  // the next level. Returns at the first failure of the level.
  void Level(IMAPIFolder* folder, FolderNodeHandle parent) {
    // Owners in acquisition order: the rows go before the table.
    mapi::ComPtr<IMAPITable> table;
    mapi::RowSetPtr rows;
    HRESULT hr = folder->GetHierarchyTable(0, mapi::Out(table));
    if (FAILED(hr) || !table) {
      listener_.Failed(FolderWalkStep::GetHierarchyTable, FAILED(hr) ? hr : E_FAIL, folder);
      return;
    }
    ULONG count = 0;
    hr = table->GetRowCount(0, &count);
    if (FAILED(hr)) {
      listener_.Failed(FolderWalkStep::GetRowCount, hr, table.get());
      return;
    }
    SizedSPropTagArray<1> columns{1, {PR_ENTRYID}};
    hr = table->SetColumns(columns.get(), 0);
    if (FAILED(hr)) {
      listener_.Failed(FolderWalkStep::SetColumns, hr, table.get());
      return;
    }
    // The row count governs: an empty level asks for nothing, and rows the
    // count does not cover are not read.
    if (count == 0) return;
    hr =
        table->QueryRows(static_cast<LONG>(std::min<ULONG>(count, 0x7FFFFFFF)), 0, mapi::Out(rows));
    if (FAILED(hr)) {
      listener_.Failed(FolderWalkStep::QueryRows, hr, table.get());
      return;
    }
    if (!rows) return;
    for (ULONG i = 0; i < rows->cRows; ++i)
      if (!Folder(folder, rows->aRow[i], parent)) return;
  }

 private:
  // One row of a level; false ends the level.
  bool Folder(IMAPIFolder* folder, const SRow& row, FolderNodeHandle parent) {
    listener_.BeforeFolder();
    std::vector<BYTE> rowId;
    if (auto id = mapi::PropBinary(mapi::RowProp(row, 0, PR_ENTRYID), PR_ENTRYID))
      rowId.assign(id->begin(), id->end());

    mapi::ComPtr<IMAPIProp> object;
    mapi::MapiBuffer<SPropValue> props;
    ULONG type = 0;
    HRESULT hr = mapi::OpenEntryBestAccess(folder, static_cast<ULONG>(rowId.size()),
                                           AsEntryId(rowId), &IID_IMAPIProp, &type, object);
    if (FAILED(hr) || !object) {
      listener_.Failed(FolderWalkStep::OpenEntry, FAILED(hr) ? hr : E_FAIL, folder);
      return false;
    }
    const ULONG wanted = kind_ == FolderWalkKind::Tree ? kTreeProps : kStatisticsProps;
    SizedSPropTagArray<kStatisticsProps> tags{wanted, {}};
    std::copy(kFolderProps, kFolderProps + wanted, tags.aulPropTag);
    ULONG values = 0;
    // A warning such as MAPI_W_ERRORS_RETURNED counts as success.
    hr = object->GetProps(tags.get(), 0, &values, mapi::Out(props));
    if (FAILED(hr)) {
      listener_.Failed(FolderWalkStep::GetProps, hr, object.get());
      return false;
    }
    const SPropValue* p = props.get();
    FolderEntry entry;
    if (auto name =
            mapi::PropString8(mapi::PropWithTag(p, values, 0, PR_DISPLAY_NAME), PR_DISPLAY_NAME))
      entry.displayName.assign(name->data(), name->size());
    if (auto id = mapi::PropBinary(mapi::PropWithTag(p, values, 1, PR_ENTRYID), PR_ENTRYID))
      entry.entryId.assign(id->begin(), id->end());
    if (auto sub = mapi::PropBoolean(mapi::PropWithTag(p, values, 2, PR_SUBFOLDERS), PR_SUBFOLDERS))
      entry.subfolders = *sub;

    FolderNodeHandle node = parent;
    if (kind_ == FolderWalkKind::Tree) {
      node = listener_.FolderAdded(parent, entry);
    } else {
      TMsgBoxReport record;
      record.mailbox = mailboxName_;
      if (auto url = mapi::PropString8(mapi::PropWithTag(p, values, 5, PR_URL_NAME), PR_URL_NAME))
        record.folderPath.assign(url->data(), url->size());
      if (auto n =
              mapi::PropLong(mapi::PropWithTag(p, values, 3, PR_CONTENT_COUNT), PR_CONTENT_COUNT))
        record.itemCount = *n;
      if (auto size =
              mapi::PropLong(mapi::PropWithTag(p, values, 4, PR_MESSAGE_SIZE), PR_MESSAGE_SIZE))
        record.size = static_cast<std::uint32_t>(*size);
      records_->push_back(std::move(record));
      listener_.RecordAppended(records_->back());
    }
    // Done with the folder's own properties before its subfolders are read.
    props.reset();
    object.reset();
    if (!entry.subfolders) return true;

    mapi::ComPtr<IMAPIFolder> subfolder;
    hr = mapi::OpenEntryBestAccess(folder, static_cast<ULONG>(entry.entryId.size()),
                                   AsEntryId(entry.entryId), &IID_IMAPIFolder, &type, subfolder);
    if (FAILED(hr) || !subfolder) {
      listener_.Failed(FolderWalkStep::OpenEntry, FAILED(hr) ? hr : E_FAIL, folder);
      return false;
    }
    Level(subfolder.get(), node);
    return true;
  }

  FolderWalkKind kind_;
  FolderWalkListener& listener_;
  const std::string& mailboxName_;
  std::vector<TMsgBoxReport>* records_;
};

// Logs on, finds and opens the top, and walks from there.
HRESULT WalkMailbox(FolderWalkKind kind, const MailboxSource& source, const std::string& mailboxDn,
                    FolderNodeHandle mailboxNode, const std::string& mailboxName,
                    std::vector<TMsgBoxReport>* records, FolderWalkListener& listener) {
  // Owners in acquisition order: the top folder, then its entry ID, then the
  // store go, the store's logoff last.
  LoggedOnMailbox store;
  mapi::MapiBuffer<ENTRYID> topId;
  mapi::ComPtr<IMAPIFolder> top;
  HRESULT hr = store.LogOn(source, mailboxDn);
  if (FAILED(hr)) {
    listener.Failed(FolderWalkStep::MailboxLogon, hr, nullptr);
    return hr;
  }
  ULONG topSize = 0;
  hr = mapi::GetIpmSubtreeId(store.get(), &topId, &topSize);
  if (FAILED(hr)) {
    listener.Failed(FolderWalkStep::FindTop, hr, store.get());
    return S_OK;
  }
  ULONG type = 0;
  hr = mapi::OpenEntryBestAccess(store.get(), topSize, topId.get(), &IID_IMAPIFolder, &type, top);
  if (FAILED(hr) || !top) {
    listener.Failed(FolderWalkStep::OpenTop, FAILED(hr) ? hr : E_FAIL, store.get());
    return S_OK;
  }
  Walk(kind, listener, mailboxName, records).Level(top.get(), mailboxNode);
  return S_OK;
}

}  // namespace

HRESULT BuildFolderTree(const MailboxSource& source, const std::string& mailboxDn,
                        FolderNodeHandle mailboxNode, FolderWalkListener& listener) {
  static const std::string kNoName;
  return WalkMailbox(FolderWalkKind::Tree, source, mailboxDn, mailboxNode, kNoName, nullptr,
                     listener);
}

HRESULT CollectFolderStatistics(const MailboxSource& source, const std::string& mailboxDn,
                                const std::string& mailboxName, std::vector<TMsgBoxReport>& records,
                                FolderWalkListener& listener) {
  return WalkMailbox(FolderWalkKind::Statistics, source, mailboxDn, 0, mailboxName, &records,
                     listener);
}

std::string MailboxNotAvailableText(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(hr));
  return std::string("Mailbox Not Available: Error ") + code;
}

bool IsPlainFailure(HRESULT hr) {
  return hr == E_FAIL || hr == EDK_E_NOT_FOUND;
}

std::optional<DetailsReport> FolderWalkReport(FolderWalkKind kind, FolderWalkStep step, HRESULT hr,
                                              const mapi::ErrorSource& object) {
  // Asked only where it is shown: the text costs the object a GetLastError.
  auto mapiText = [&] {
    return DetailsReport{ReportBox::Error, mapi::MapiErrorText(mapi::Flavour::Gui, object, hr)};
  };
  switch (step) {
    case FolderWalkStep::MailboxLogon:
      return DetailsReport{ReportBox::Plain, MailboxNotAvailableText(hr)};
    case FolderWalkStep::FindTop:
      return std::nullopt;
    case FolderWalkStep::OpenTop:
      if (kind == FolderWalkKind::Tree) return std::nullopt;
      return mapiText();
    case FolderWalkStep::OpenEntry:
      if (kind == FolderWalkKind::Statistics) return mapiText();
      // The tree build names only the two plain codes; others end the level
      // silently.
      if (IsPlainFailure(hr)) return DetailsReport{ReportBox::Error, "Error"};
      return std::nullopt;
    case FolderWalkStep::GetHierarchyTable:
    case FolderWalkStep::GetRowCount:
    case FolderWalkStep::SetColumns:
    case FolderWalkStep::QueryRows:
    case FolderWalkStep::GetProps:
      if (IsPlainFailure(hr)) return DetailsReport{ReportBox::Error, "Error"};
      return mapiText();
  }
  return std::nullopt;
}

}  // namespace core
