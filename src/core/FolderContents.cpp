#include "FolderContents.h"

#include <cstdio>

#include "MAPIUtils.h"
#include "SystemMessages.h"

namespace core {

ContentsResult LoadFolderContents(const MailboxSource& source, const std::string& mailboxDn,
                                  std::span<const BYTE> entryId, ContentsListener& listener) {
  ContentsResult result;
  // Owners in acquisition order: rows, table, folder, then the store's logoff.
  LoggedOnMailbox store;
  mapi::ComPtr<IMAPIFolder> folder;
  mapi::ComPtr<IMAPITable> table;
  auto fail = [&](ContentsStep step, HRESULT hr, const mapi::ErrorSource& object) {
    result.hr = FAILED(hr) ? hr : E_FAIL;
    listener.Failed(step, result.hr, object);
    return result;
  };

  HRESULT hr = store.LogOn(source, mailboxDn);
  if (FAILED(hr)) return fail(ContentsStep::MailboxLogon, hr, nullptr);
  std::vector<BYTE> id(entryId.begin(), entryId.end());
  ULONG type = 0;
  hr = mapi::OpenEntryBestAccess(store.get(), static_cast<ULONG>(id.size()),
                                 id.empty() ? nullptr : reinterpret_cast<LPENTRYID>(id.data()),
                                 &IID_IMAPIFolder, &type, folder);
  if (FAILED(hr) || !folder) return fail(ContentsStep::OpenFolder, hr, store.get());
  listener.FolderOpened();

  hr = folder->GetContentsTable(0, mapi::Out(table));
  if (FAILED(hr) || !table) return fail(ContentsStep::GetContentsTable, hr, folder.get());
  SizedSPropTagArray<kMessageColumnCount> columns{kMessageColumnCount, {}};
  std::copy(kMessageColumns, kMessageColumns + kMessageColumnCount, columns.aulPropTag);
  hr = table->SetColumns(columns.get(), 0);
  if (FAILED(hr)) return fail(ContentsStep::SetColumns, hr, table.get());
  SSortOrderSet sort{};
  sort.cSorts = 1;
  sort.aSort[0].ulPropTag = PR_CLIENT_SUBMIT_TIME;
  sort.aSort[0].ulOrder = TABLE_SORT_ASCEND;
  hr = table->SortTable(&sort, 0);
  if (FAILED(hr)) return fail(ContentsStep::SortTable, hr, table.get());
  ULONG count = 0;
  hr = table->GetRowCount(0, &count);
  if (FAILED(hr)) return fail(ContentsStep::GetRowCount, hr, table.get());
  result.count = count;
  listener.RowCountKnown(count);

  for (;;) {
    mapi::RowSetPtr rows;
    hr = table->QueryRows(kContentsBatchSize, 0, mapi::Out(rows));
    if (FAILED(hr)) return fail(ContentsStep::QueryRows, hr, table.get());
    if (!rows || rows->cRows == 0) break;
    for (ULONG i = 0; i < rows->cRows; ++i) {
      TOneFolderMessages message = MessageFromRow(rows->aRow[i]);
      result.total += message.size;
      listener.RowRead(std::move(message));
    }
  }
  return result;
}

std::string RaisedErrorText(HRESULT hr) {
  if (auto text = platform::SystemMessageText(static_cast<DWORD>(hr))) return *text;
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(hr));
  return std::string("OLE error ") + code;
}

DetailsReport ContentsFailureReport(ContentsStep step, HRESULT hr,
                                    const mapi::ErrorSource& object) {
  if (step != ContentsStep::OpenFolder) return DetailsReport{ReportBox::Error, RaisedErrorText(hr)};
  if (IsPlainFailure(hr))
    return DetailsReport{ReportBox::Error, "Can't  open \"Exchange Private Store\""};
  return DetailsReport{ReportBox::Error, mapi::MapiErrorText(mapi::Flavour::Gui, object, hr)};
}

}  // namespace core
