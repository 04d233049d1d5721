// The console's report: one delimited text line per kept mailbox record
// under a header line, written beside the program as <server>.txt.
#pragma once

#include <cstddef>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "acTableContent.h"

namespace console {

// The text between two qualifiers, every qualifier inside it doubled.
std::string QuoteField(std::string_view text, char qualifier);

// Raised when the report file cannot be written; the message says which
// file and why.
struct ReportFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ConsoleReport {
 public:
  ConsoleReport(char qualifier, char delimiter);

  std::string HeaderLine() const;
  std::string RecordLine(const core::acTableContent& record) const;

  // Adds the record's line; the record itself need not be kept.
  void Add(const core::acTableContent& record);
  std::size_t RecordCount() const { return records_; }

  // With at least one record: writes the header and the lines, each ending
  // CR LF, to `path` (through a temporary file in the same folder that is
  // renamed over it, so a half-written report never looks complete) and
  // writes "Saving report to : " and the path to `out`. Without records
  // nothing is written. Then an empty line to `out` either way. Throws
  // ReportFileError when the file cannot be written, and RunInterrupted
  // (leaving no file behind) when a stop signal arrives while it is.
  void Write(const std::string& path, std::ostream& out) const;

 private:
  char qualifier_;
  char delimiter_;
  // The record lines, CR LF after each, in blocks of about 1 MiB: a large
  // server's report is neither copied as it grows nor held twice.
  std::vector<std::string> body_;
  std::size_t records_ = 0;
};

// The longest file name (without its folder) the file systems take.
inline constexpr std::size_t kMaxFileName = 255;

// `path` with `suffix` appended to its file name, the name shortened first
// where the two together would be longer than kMaxFileName.
std::string TemporaryNameFor(const std::string& path, std::string_view suffix);

// Writes the pieces, one after the other, to `path` through a temporary
// file in the same folder, renamed over `path` only when everything was
// written. A new file gets the mode the process umask leaves of 0666; a
// file that replaces an older one keeps that one's permissions and group.
void WriteFileReplacing(const std::string& path, const std::vector<std::string_view>& pieces);

}  // namespace console
