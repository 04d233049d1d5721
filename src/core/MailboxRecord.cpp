#include "MailboxRecord.h"

#include <ostream>

#include "ConsoleOutput.h"
#include "MAPIVariantProp.h"

namespace core {

namespace {

constexpr std::size_t kMaxNtUserName = 260;

std::string StringColumn(const SRow& row, ULONG index) {
  const auto text =
      mapi::PropString8(mapi::RowProp(row, index, kMailboxColumns[index]), kMailboxColumns[index]);
  return text ? std::string(*text) : std::string();
}

std::int64_t CountColumn(const SRow& row, ULONG index) {
  const auto value =
      mapi::PropLong(mapi::RowProp(row, index, kMailboxColumns[index]), kMailboxColumns[index]);
  return value ? static_cast<std::int64_t>(*value) : 0;
}

mapi::OptionalDateTime TimeColumn(const SRow& row, ULONG index, mapi::Flavour flavour,
                                  std::ostream* console) {
  const auto ft =
      mapi::PropSysTime(mapi::RowProp(row, index, kMailboxColumns[index]), kMailboxColumns[index]);
  if (!ft) return std::nullopt;
  if (flavour == mapi::Flavour::Gui) return mapi::FileTimeToLocal(*ft, true);
  try {
    return mapi::FileTimeToLocal(*ft, false);
  } catch (const std::exception& e) {
    if (console)
      mapi::WriteSeparated(*console, {std::string("Error! Exception found: ") + e.what()});
    return std::nullopt;
  }
}

}  // namespace

std::string StorageLimitText(std::uint32_t value, mapi::Flavour flavour) {
  switch (value) {
    case 1:
      return "Below Limit";
    case 2:
      return "Issue Warning";
    case 4:
      return "Prohibit Send";
    case 8:
      return flavour == mapi::Flavour::Gui ? "No Check" : "No Checking";
    case 16:
      return "Disabled";
    default:
      return "Undefined";
  }
}

acTableContent ConvertMailboxRow(const SRow& row, mapi::Flavour flavour, std::ostream* console) {
  acTableContent rec;
  rec.emailAddress = StringColumn(row, 0);
  rec.displayName = StringColumn(row, 1);
  rec.ntUserName = StringColumn(row, 2);
  if (flavour == mapi::Flavour::Gui && rec.ntUserName.size() > 1 && rec.ntUserName[0] == '?')
    rec.ntUserName = rec.ntUserName.substr(1, kMaxNtUserName);
  const auto size = mapi::PropI8(mapi::RowProp(row, 3, kMailboxColumns[3]), kMailboxColumns[3]);
  rec.messageSize = size.value_or(0);
  rec.contentCount = CountColumn(row, 4);
  rec.assocContentCount = CountColumn(row, 5);
  rec.lastLogonTime = TimeColumn(row, 6, flavour, console);
  rec.lastLogoffTime = TimeColumn(row, 7, flavour, console);
  const auto limit = mapi::PropLong(mapi::RowProp(row, 8, kMailboxColumns[8]), kMailboxColumns[8]);
  if (limit)
    rec.storageLimitInformation = StorageLimitText(static_cast<std::uint32_t>(*limit), flavour);
  return rec;
}

}  // namespace core
