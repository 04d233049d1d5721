// The common road to a server's mailbox table, shared by the GUI's load and
// the console's server pass: from an open private store, the manage-store
// interface, the store logged off, GetMailboxTable for the server, the nine
// columns, the row count, and the rows in batches of 50. Each program says
// its own messages and shows its own progress through a listener.
#pragma once

#include <string>

#include "ExtendedMAPI.h"
#include "MapiErrorText.h"
#include "MapiPtr.h"
#include "acTableContent.h"

namespace core {

inline constexpr LONG kMailboxBatchSize = 50;

enum class MailboxTableStep {
  QueryInterface,   // the store's IExchangeManageStore (object: the store)
  StoreLogoff,      // StoreLogoff(LOGOFF_NO_WAIT) (object: the store)
  AllocateColumns,  // the column array from MAPIAllocateBuffer (no object)
  GetMailboxTable,  // (no object: the manage-store interface keeps no error record)
  SetColumns,       // (object: the table)
  GetRowCount,      // (object: the table)
  SeekRow,          // (object: the table)
  QueryRows,        // (object: the table)
};

class MailboxTableListener {
 public:
  virtual ~MailboxTableListener() = default;
  // A step failed; `object` is the failing object for the error text. The
  // road ends after this (having logged off the store when the interface
  // query failed) and returns `hr`.
  virtual void Failed(MailboxTableStep step, HRESULT hr, const mapi::ErrorSource& object) = 0;
  virtual void ManageStoreObtained() {}
  virtual void BeforeMailboxTable() {}
  virtual void MailboxTableOpened() {}
  // The table's row count; return false to end the road here with success,
  // without reading rows.
  virtual bool RowCountKnown(ULONG /*count*/) { return true; }
  // One row of the nine columns. An exception thrown here drops the row and
  // the road goes on with the next one.
  virtual void Row(const SRow& row) = 0;
  // After each batch (the GUI lets its window repaint here).
  virtual void BatchDone() {}
};

// Runs the road. Takes over `store` and releases it, with the table and the
// manage-store interface, on every path. `keptServerDn` receives a copy of
// `serverDn` and is what GetMailboxTable is given; the caller keeps it for
// as long as the table is in use. The console allocates its column array
// with MAPIAllocateBuffer, the GUI uses a fixed one. Returns S_OK when the
// road ran to its end (or the listener stopped it after the row count), or
// the failing step's code.
HRESULT ReadMailboxTable(mapi::Flavour flavour, mapi::ComPtr<IMsgStore> store,
                         const std::string& serverDn, std::string* keptServerDn,
                         MailboxTableListener& listener);

// The text for a failed GetMailboxTable, ending in "Can't get the mailbox
// table!": a known code's sentence (ending "\r" in the GUI, "\r\n" in the
// console); other codes nothing in the GUI, the MAPI error text of the
// manage-store object in the console.
std::string MailboxTableFailureText(mapi::Flavour flavour, HRESULT hr,
                                    const mapi::ErrorSource& manageStore);

}  // namespace core
