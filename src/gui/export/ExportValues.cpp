#include "ExportValues.h"

#include "AnsiText.h"
#include "LocaleSettings.h"
#include "NumberText.h"
#include "unExportingDlg.h"

namespace gui {
namespace {

using automation::Variant;

Variant Text(const std::string& ansi) {
  return Variant(UnicodeText(ansi));
}

TFieldValue Plain(Variant value) {
  return {std::move(value), std::nullopt};
}

TFieldValue Size(double bytes) {
  const double kilobytes = bytes / 1024.0;
  return {Variant(kilobytes), kilobytes};
}

// An optional date passed as it is held: a date, else `absent`.
Variant DateOr(const mapi::OptionalDateTime& date, Variant absent) {
  return date ? Variant::Date(*date) : absent;
}

TFieldValue MailboxField(const core::acTableContent& r, TExportField field) {
  switch (field) {
    case TExportField::EmailAddress:
      return Plain(Text(r.emailAddress));
    case TExportField::DisplayName:
      return Plain(Text(r.displayName));
    case TExportField::NtUserName:
      return Plain(Text(r.ntUserName));
    case TExportField::MailboxSize:
      return Size(static_cast<double>(r.messageSize));
    case TExportField::ContentCount:
      return Plain(Variant(r.contentCount));
    case TExportField::AssocContentCount:
      return Plain(Variant(r.assocContentCount));
    case TExportField::StorageLimits:
      return Plain(Text(r.storageLimitInformation));
    case TExportField::LastLogon:
      return Plain(DateOr(r.lastLogonTime, Variant()));
    case TExportField::LastLogoff:
      return Plain(DateOr(r.lastLogoffTime, Variant()));
    default:
      break;
  }
  throw std::logic_error("not a mailbox field");
}

TFieldValue MessageField(const core::TOneFolderMessages& r, TExportField field) {
  switch (field) {
    case TExportField::HasAttachment:
      return Plain(Variant(r.hasAttachment));
    case TExportField::Subject:
      return Plain(Text(r.subject));
    case TExportField::MessageSize:
      return Size(static_cast<double>(r.size));
    case TExportField::DeliveryTime:
      return Plain(DateOr(r.deliveryTime, Variant::Null()));
    default:
      break;
  }
  throw std::logic_error("not a message field");
}

TFieldValue FolderField(const core::TMsgBoxReport& r, TExportField field) {
  switch (field) {
    case TExportField::FolderMailbox:
      return Plain(Text(r.mailbox));
    case TExportField::FolderPath:
      return Plain(Text(FolderPathText(r.folderPath)));
    case TExportField::ItemCount:
      return Plain(Variant(r.itemCount));
    case TExportField::FolderSize:
      return Size(static_cast<double>(r.size));
    default:
      break;
  }
  throw std::logic_error("not a folder field");
}

}  // namespace

TFieldValue RecordField(const TfrmProgress& dialog, TRecordKind records, TExportField field,
                        int index) {
  switch (records) {
    case TRecordKind::Mailbox:
      return MailboxField(dialog.MailboxAt(index), field);
    case TRecordKind::Message:
      return MessageField(dialog.MessageAt(index), field);
    case TRecordKind::Folder:
      return FolderField(dialog.FolderAt(index), field);
  }
  throw std::logic_error("unknown record kind");
}

std::string SizeNumberFormat() {
  return "##0" + platform::CurrentLocale().decimalSeparator + "00";
}

std::string SizeText(double kilobytes) {
  platform::LocaleSettings ungrouped = platform::CurrentLocale();
  ungrouped.thousandsSeparator.clear();
  return core::FormatGrouped(kilobytes, 2, ungrouped);
}

std::string FolderPathText(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path.substr(1, 260);
  return path;
}

std::string UnicodeText(const std::string& ansi) {
  return FromAnsi(ansi).toStdString();
}

}  // namespace gui
