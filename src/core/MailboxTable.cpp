#include "MailboxTable.h"

#include <cstring>
#include <exception>

namespace core {

namespace {

// The nine columns in the console's form: a tag array from MAPIAllocateBuffer.
HRESULT AllocateColumns(mapi::MapiBuffer<SPropTagArray>* columns) {
  const HRESULT hr =
      mapi::MAPIAllocateBuffer(CbNewSPropTagArray(kMailboxColumnCount), mapi::Out(*columns));
  if (FAILED(hr)) return hr;
  if (!*columns) return MAPI_E_NOT_ENOUGH_MEMORY;
  (*columns)->cValues = kMailboxColumnCount;
  std::memcpy((*columns)->aulPropTag, kMailboxColumns, sizeof kMailboxColumns);
  return S_OK;
}

}  // namespace

HRESULT ReadMailboxTable(mapi::Flavour flavour, mapi::ComPtr<IMsgStore> store,
                         const std::string& serverDn, std::string* keptServerDn,
                         MailboxTableListener& listener) {
  // Declared in acquisition order: released table first, store last.
  mapi::ComPtr<IExchangeManageStore> manage;
  mapi::MapiBuffer<SPropTagArray> allocatedColumns;
  mapi::ComPtr<IMAPITable> table;

  HRESULT hr = store->QueryInterface(IID_IExchangeManageStore, mapi::Out(manage));
  if (FAILED(hr) || !manage) {
    if (SUCCEEDED(hr)) hr = E_FAIL;
    listener.Failed(MailboxTableStep::QueryInterface, hr, store.get());
    ULONG logoffFlags = LOGOFF_NO_WAIT;
    store->StoreLogoff(&logoffFlags);
    return hr;
  }
  listener.ManageStoreObtained();

  ULONG logoffFlags = LOGOFF_NO_WAIT;
  hr = store->StoreLogoff(&logoffFlags);
  if (FAILED(hr)) {
    listener.Failed(MailboxTableStep::StoreLogoff, hr, store.get());
    return hr;
  }

  SizedSPropTagArray<kMailboxColumnCount> fixedColumns{kMailboxColumnCount, {}};
  std::memcpy(fixedColumns.aulPropTag, kMailboxColumns, sizeof kMailboxColumns);
  LPSPropTagArray columns = fixedColumns.get();
  if (flavour == mapi::Flavour::Console) {
    hr = AllocateColumns(&allocatedColumns);
    if (FAILED(hr)) {
      listener.Failed(MailboxTableStep::AllocateColumns, hr, nullptr);
      return hr;
    }
    columns = allocatedColumns.get();
  }

  listener.BeforeMailboxTable();
  *keptServerDn = serverDn;
  hr = manage->GetMailboxTable(keptServerDn->data(), mapi::Out(table), 0);
  if (FAILED(hr) || !table) {
    if (SUCCEEDED(hr)) hr = E_FAIL;
    // The manage-store interface keeps no error record of its own (it has no
    // GetLastError), so its text is the code's own.
    listener.Failed(MailboxTableStep::GetMailboxTable, hr, nullptr);
    return hr;
  }
  listener.MailboxTableOpened();

  hr = table->SetColumns(columns, TBL_BATCH);
  if (FAILED(hr)) {
    listener.Failed(MailboxTableStep::SetColumns, hr, table.get());
    return hr;
  }
  ULONG count = 0;
  hr = table->GetRowCount(0, &count);
  if (FAILED(hr)) {
    listener.Failed(MailboxTableStep::GetRowCount, hr, table.get());
    return hr;
  }
  if (!listener.RowCountKnown(count)) return S_OK;
  hr = table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
  if (FAILED(hr)) {
    listener.Failed(MailboxTableStep::SeekRow, hr, table.get());
    return hr;
  }
  for (;;) {
    mapi::RowSetPtr rows;
    hr = table->QueryRows(kMailboxBatchSize, 0, mapi::Out(rows));
    if (FAILED(hr)) {
      listener.Failed(MailboxTableStep::QueryRows, hr, table.get());
      return hr;
    }
    if (!rows || rows->cRows == 0) break;
    for (ULONG i = 0; i < rows->cRows; ++i) {
      try {
        listener.Row(rows->aRow[i]);
      } catch (const std::exception&) {
        // A row that cannot be converted is skipped; the rest still count.
      }
    }
    rows.reset();
    listener.BatchDone();
  }
  return S_OK;
}

std::string MailboxTableFailureText(mapi::Flavour flavour, HRESULT hr,
                                    const mapi::ErrorSource& manageStore) {
  const char* sentence = nullptr;
  switch (hr) {
    case MAPI_E_CALL_FAILED:
      sentence = "An unknown error occurred.";
      break;
    case MAPI_E_LOGON_FAILED:
      sentence = "The Microsoft Exchange Server information store is not running on the server.";
      break;
    case MAPI_E_NETWORK_ERROR:
      sentence = "Cannot connect to the server.";
      break;
    case MAPI_E_NO_ACCESS:
      sentence = "The user has no permissions on the folder.";
      break;
    case MAPI_E_NOT_ENOUGH_MEMORY:
      sentence = "There wasn't enough memory to complete the operation.";
      break;
    case MAPI_E_INVALID_PARAMETER:
      sentence = "One of the parameters was not valid.";
      break;
    default:
      break;
  }
  std::string text;
  if (sentence)
    text = std::string(sentence) + (flavour == mapi::Flavour::Gui ? "\r" : "\r\n");
  else if (flavour == mapi::Flavour::Console)
    text = mapi::MapiErrorText(flavour, manageStore, hr);
  return text + "Can't get the mailbox table!";
}

}  // namespace core
