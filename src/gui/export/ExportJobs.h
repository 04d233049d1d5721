// The eight export jobs as data: what each writes (title, columns, the
// order of a record's cells) over one frame per target application.
#pragma once

#include <span>
#include <string>

namespace gui {

// The export kinds handed to the export dialog; any other number runs
// nothing.
enum class TExportKind : int {
  ekMailboxesToExcel = 1,
  ekMailboxesToWord = 2,
  ekMessagesToExcel = 3,
  ekMessagesToWord = 4,
  ekMailboxFoldersToExcel = 5,
  ekMailboxFoldersToWord = 6,
  ekAllFoldersToExcel = 7,
  ekAllFoldersToWord = 8,
};

enum class TExportTarget { Excel, Word };

// Which record list a job reads, through MailboxAt, MessageAt or FolderAt.
enum class TRecordKind { Mailbox, Message, Folder };

// The fields the jobs write, each passed as its column says.
enum class TExportField {
  EmailAddress,       // string
  DisplayName,        // string
  NtUserName,         // string
  MailboxSize,        // kilobytes of a signed 64-bit byte count
  ContentCount,       // signed 64-bit integer
  AssocContentCount,  // signed 64-bit integer
  StorageLimits,      // string
  LastLogon,          // a date, or empty
  LastLogoff,         // a date, or empty
  HasAttachment,      // Boolean
  Subject,            // string
  MessageSize,        // kilobytes of an unsigned 32-bit byte count
  DeliveryTime,       // a date, or null
  FolderMailbox,      // string
  FolderPath,         // string, by the folder path rule
  ItemCount,          // 32-bit integer
  FolderSize,         // kilobytes of an unsigned 32-bit byte count
};

struct TExportColumn {
  const char* header;
  TExportField field;
};

struct TExportJob {
  TExportKind kind;
  const char* name;  // the job's name, for messages and tests
  TExportTarget target;
  TRecordKind records;
  const char* title;     // the title text, or its beginning when usesTitle
  bool usesTitle;        // the handed-over title follows `title`
  const char* progress;  // printf form: record index, record count
  std::span<const TExportColumn> columns;
  // The spreadsheet's order of a record's cells, as 0-based columns; the
  // document writes every row in column order.
  std::span<const int> cellOrder;
};

// The job of `kind`; nothing for a number outside 1 to 8.
const TExportJob* FindExportJob(int kind);

struct TTargetApplication {
  const char* progId;
  const char* unavailable;  // shown when it can be neither reached nor created
};
const TTargetApplication& TargetApplication(TExportTarget target);

// "Created with ..." and the product's home page, below every export.
extern const char* const kExportFooter;

}  // namespace gui
