// The contents load of one folder: log on to the mailbox, open the folder,
// read its contents table sorted by submit time, 50 rows at a time, into
// TOneFolderMessages records. The details window shows them, the folder
// report and exports read them; the window reports through a listener.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ExtendedMAPI.h"
#include "FolderRecords.h"
#include "FolderWalk.h"
#include "MailboxLogon.h"

namespace core {

inline constexpr LONG kContentsBatchSize = 50;

enum class ContentsStep {
  MailboxLogon,      // (no object)
  OpenFolder,        // OpenEntry of the folder (object: the mailbox store)
  GetContentsTable,  // (object: the folder)
  SetColumns,        // (object: the table)
  SortTable,         // (object: the table)
  GetRowCount,       // (object: the table)
  QueryRows,         // (object: the table)
};

class ContentsListener {
 public:
  virtual ~ContentsListener() = default;
  // A step failed; the load ends. `object` lives only for the call.
  virtual void Failed(ContentsStep step, HRESULT hr, const mapi::ErrorSource& object) = 0;
  // The folder is open: the rows of the folder shown before go now.
  virtual void FolderOpened() {}
  // The table's row count, before the first row is read.
  virtual void RowCountKnown(ULONG /*count*/) {}
  // One message, in the table's order (oldest submit time first).
  virtual void RowRead(TOneFolderMessages message) = 0;
};

struct ContentsResult {
  HRESULT hr = S_OK;        // the failing step's code, or S_OK
  ULONG count = 0;          // the table's row count; 0 when the load ended before it
  std::uint64_t total = 0;  // the sum of the rows' sizes read, without wrapping
};

// Runs the load for the folder with `entryId` in the mailbox `mailboxDn`.
// The mailbox store is logged off on every path once it was logged on.
ContentsResult LoadFolderContents(const MailboxSource& source, const std::string& mailboxDn,
                                  std::span<const BYTE> entryId, ContentsListener& listener);

// The report of a failed step. A failed folder open is the window's own
// message; every other step raises, and the application's error box shows
// the code's system text or "OLE error " and eight hexadecimal digits.
DetailsReport ContentsFailureReport(ContentsStep step, HRESULT hr, const mapi::ErrorSource& object);

// The application's default error text for a raised code.
std::string RaisedErrorText(HRESULT hr);

}  // namespace core
