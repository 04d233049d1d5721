// Turning one mailbox-table row into an acTableContent record.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "ExtendedMAPI.h"
#include "acTableContent.h"

namespace core {

// The text of a PR_STORAGE_LIMIT_INFORMATION value, compared as a whole.
std::string StorageLimitText(std::uint32_t value, mapi::Flavour flavour);

// Converts a row of the nine columns (in kMailboxColumns order). A column
// whose tag is not exactly the requested one leaves its field at the empty
// value. The GUI converts times by the zone rules of their date and lets a
// time that gives no calendar date throw mapi::DateConvertError (the row is
// then dropped); the console uses the offset in force now and, for such a
// time, writes the exception between separator lines to `console` and
// leaves the time empty.
acTableContent ConvertMailboxRow(const SRow& row, mapi::Flavour flavour, std::ostream* console);

}  // namespace core
