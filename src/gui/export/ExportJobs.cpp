// The jobs' tables. Titles and headers are kept exactly as the program has
// always written them, spelling included ("Statistis", "Items Count" in the
// spreadsheet, "Item Count" in the document).
#include "ExportJobs.h"

namespace gui {
namespace {

using F = TExportField;

constexpr TExportColumn kMailboxColumns[] = {
    {"Mailbox Path", F::EmailAddress},
    {"Mailbox", F::DisplayName},
    {"Last Logged on By Account", F::NtUserName},
    {"Total Message Size (K)", F::MailboxSize},
    {"Total Items", F::ContentCount},
    {"Assoc. Items", F::AssocContentCount},
    {"Storage Limits", F::StorageLimits},
    {"Last Logon", F::LastLogon},
    {"Last Logoff", F::LastLogoff},
};
constexpr TExportColumn kMessageColumns[] = {
    {"Att.", F::HasAttachment},
    {"Subject", F::Subject},
    {"Size (K)", F::MessageSize},
    {"Date", F::DeliveryTime},
};
constexpr TExportColumn kSheetFolderColumns[] = {
    {"Folder", F::FolderPath},
    {"Items Count", F::ItemCount},
    {"Size (K)", F::FolderSize},
};
constexpr TExportColumn kSheetAllFolderColumns[] = {
    {"Mailbox", F::FolderMailbox},
    {"Folder", F::FolderPath},
    {"Items Count", F::ItemCount},
    {"Size (K)", F::FolderSize},
};
constexpr TExportColumn kDocumentFolderColumns[] = {
    {"Folder", F::FolderPath},
    {"Item Count", F::ItemCount},
    {"Size (K)", F::FolderSize},
};
constexpr TExportColumn kDocumentAllFolderColumns[] = {
    {"Mailbox", F::FolderMailbox},
    {"Folder", F::FolderPath},
    {"Item Count", F::ItemCount},
    {"Size (K)", F::FolderSize},
};

constexpr int kInOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
// The message sheet writes its size cell last.
constexpr int kMessageCells[] = {0, 1, 3, 2};

constexpr const char* kMailboxProgress = "Exporting Mailbox %d of %d ...";
constexpr const char* kMessageProgress = "Exporting Message %d of %d ...";
constexpr const char* kFolderProgress = "Exporting folder %d of %d ...";

using K = TExportKind;
using T = TExportTarget;
using R = TRecordKind;

const TExportJob kJobs[] = {
    {K::ekMailboxesToExcel, "ExportMailboxesToExcel", T::Excel, R::Mailbox,
     "Mailbox Statistis for ", true, kMailboxProgress, kMailboxColumns, kInOrder},
    {K::ekMailboxesToWord,
     "ExportMailboxesToWord",
     T::Word,
     R::Mailbox,
     "Mailbox Statistis for ",
     true,
     kMailboxProgress,
     kMailboxColumns,
     {}},
    {K::ekMessagesToExcel, "ExportMessagesToExcel", T::Excel, R::Message, "Report for folder ",
     true, kMessageProgress, kMessageColumns, kMessageCells},
    {K::ekMessagesToWord,
     "ExportMessagesToWord",
     T::Word,
     R::Message,
     "Report for folder ",
     true,
     kMessageProgress,
     kMessageColumns,
     {}},
    {K::ekMailboxFoldersToExcel, "ExportMailboxFoldersToExcel", T::Excel, R::Folder,
     "Report for mailbox ", true, kFolderProgress, kSheetFolderColumns, std::span(kInOrder, 3)},
    {K::ekMailboxFoldersToWord,
     "ExportMailboxFoldersToWord",
     T::Word,
     R::Folder,
     "Report for mailbox ",
     true,
     kFolderProgress,
     kDocumentFolderColumns,
     {}},
    {K::ekAllFoldersToExcel, "ExportAllFoldersToExcel", T::Excel, R::Folder, "Mailbox Statistis",
     false, kFolderProgress, kSheetAllFolderColumns, std::span(kInOrder, 4)},
    {K::ekAllFoldersToWord,
     "ExportAllFoldersToWord",
     T::Word,
     R::Folder,
     "Mailbox Statistics",
     false,
     kFolderProgress,
     kDocumentAllFolderColumns,
     {}},
};

}  // namespace

const char* const kExportFooter =
    "Created with \"Tabrix Mailbox Statistics\" -  https://www.tabrix.example/mailboxstats/";

const TExportJob* FindExportJob(int kind) {
  for (const TExportJob& job : kJobs)
    if (static_cast<int>(job.kind) == kind) return &job;
  return nullptr;
}

const TTargetApplication& TargetApplication(TExportTarget target) {
  static constexpr TTargetApplication kExcel = {"Excel.Application", "Excel is unavailable!"};
  static constexpr TTargetApplication kWord = {"Word.Application", "Word is unavailable!"};
  return target == TExportTarget::Excel ? kExcel : kWord;
}

}  // namespace gui
