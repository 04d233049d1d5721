// The two walks of a mailbox's folder hierarchy, shared by the details
// window, the reports and the exports: the tree build (one node per folder)
// and the statistics walk (one TMsgBoxReport per folder). Both log on to the
// mailbox, find and open the top of the information store, and read every
// level with one QueryRows, depth first in pre-order. A failure inside a
// level ends that level only; the level above goes on with its next folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ExtendedMAPI.h"
#include "FolderRecords.h"
#include "MailboxLogon.h"
#include "MapiErrorText.h"

namespace core {

enum class FolderWalkKind { Tree, Statistics };

enum class FolderWalkStep {
  MailboxLogon,       // the mailbox store (no object: the manage-store interface has no record)
  FindTop,            // PR_IPM_SUBTREE_ENTRYID (object: the mailbox store)
  OpenTop,            // OpenEntry of the top (object: the mailbox store)
  GetHierarchyTable,  // (object: the folder)
  GetRowCount,        // (object: the table)
  SetColumns,         // (object: the table)
  QueryRows,          // (object: the table)
  OpenEntry,          // a row's folder or a subfolder (object: the folder it is opened from)
  GetProps,           // (object: the opened folder)
};

// A handle the listener gives for a tree node; the walk only passes it back.
using FolderNodeHandle = std::uintptr_t;

// What GetProps returned for one folder of a level.
struct FolderEntry {
  std::string displayName;    // empty when absent
  std::vector<BYTE> entryId;  // the returned PR_ENTRYID; empty when absent
  bool subfolders = false;    // PR_SUBFOLDERS
};

class FolderWalkListener {
 public:
  virtual ~FolderWalkListener() = default;
  // A step failed; `object` is the object whose error text explains it. It
  // lives only for the call.
  virtual void Failed(FolderWalkStep step, HRESULT hr, const mapi::ErrorSource& object) = 0;
  // Before each folder of a level (the window processes pending messages).
  virtual void BeforeFolder() {}
  // Tree build: a folder below `parent`; returns the handle of its node.
  virtual FolderNodeHandle FolderAdded(FolderNodeHandle parent, const FolderEntry& /*folder*/) {
    return parent;
  }
  // Statistics walk: the record just appended.
  virtual void RecordAppended(const TMsgBoxReport& /*record*/) {}
};

// The tree build: each folder's node is added under its parent's handle,
// the top's subfolders under `mailboxNode`. Returns the logon's code, or
// S_OK (also when the top was not found or could not be opened, or a level
// failed: those were reported to the listener).
HRESULT BuildFolderTree(const MailboxSource& source, const std::string& mailboxDn,
                        FolderNodeHandle mailboxNode, FolderWalkListener& listener);

// The statistics walk: one record per folder below the top, in pre-order,
// appended to `records` with `mailboxName`.
HRESULT CollectFolderStatistics(const MailboxSource& source, const std::string& mailboxDn,
                                const std::string& mailboxName, std::vector<TMsgBoxReport>& records,
                                FolderWalkListener& listener);

// How the window reports a walk's failure.
enum class ReportBox {
  Error,  // error icon, OK
  Plain,  // a plain message
};
struct DetailsReport {
  ReportBox box = ReportBox::Error;
  std::string text;
};

// The report of a failed step; none where the walk stays silent.
std::optional<DetailsReport> FolderWalkReport(FolderWalkKind kind, FolderWalkStep step, HRESULT hr,
                                              const mapi::ErrorSource& object);

// "Mailbox Not Available: Error " and the code in eight upper-case
// hexadecimal digits.
std::string MailboxNotAvailableText(HRESULT hr);

// E_FAIL and 0x800B0001 have fixed texts in the details window.
bool IsPlainFailure(HRESULT hr);

}  // namespace core
