// The engine's own file format: the built pages exactly as they are, so a
// saved report loads back into the preview and prints the same. A binary
// QDataStream behind a magic number and a format version.
#pragma once

#include <QByteArray>
#include <stdexcept>

#include "DisplayList.h"

namespace reportengine {

// A file that is not a report of this format, of another version, or cut
// short; what() is a text for the user.
class ReportFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

QByteArray WriteReportFile(const Document& document);
Document ReadReportFile(const QByteArray& bytes);

}  // namespace reportengine
