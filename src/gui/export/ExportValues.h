// How the jobs turn a record's field into the value a target receives, and
// the size and path rules both targets share.
#pragma once

#include <optional>
#include <string>

#include "ExportJobs.h"
#include "OleVariant.h"

namespace gui {

class TfrmProgress;

struct TFieldValue {
  automation::Variant value;  // what the column passes
  std::optional<double>
      kilobytes;  // set for the size columns, which each target writes its own way
};

// Field `field` of record `index`, read through the dialog's accessor for
// `records`.
TFieldValue RecordField(const TfrmProgress& dialog, TRecordKind records, TExportField field,
                        int index);

// The spreadsheet's size format: "##0", the locale's decimal separator,
// "00".
std::string SizeNumberFormat();
// The document's size text: two decimals, the locale's separator, no
// grouping (1536 bytes give "1.50").
std::string SizeText(double kilobytes);
// A path beginning with "/" loses it and is cut to 260 characters; any
// other is kept whole.
std::string FolderPathText(const std::string& path);
// The records' 8-bit text as the Unicode that automation passes.
std::string UnicodeText(const std::string& ansi);

}  // namespace gui
