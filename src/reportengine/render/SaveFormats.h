// The file formats the built pages can be saved in, with the filter text
// the save dialog offers for each, and the one way of writing them.
#pragma once

#include <QByteArray>
#include <QString>
#include <span>
#include <stdexcept>

#include "DisplayList.h"

namespace reportengine {

enum class SaveFormat { Report, Text, Csv, Pdf, Xlsx, Rtf, Wmf, Html };

struct SaveFormatInfo {
  SaveFormat format;
  const char* filter;  // Qt's form, "PDF file (*.pdf)"
  const char* suffix;  // without the dot
};

// In the order the save dialog lists them; the engine's own format first.
std::span<const SaveFormatInfo> SaveFormats();

// A file that could not be written; what() is a text for the user.
class SaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's bytes; for a metafile, those of the first page.
QByteArray Render(const Document& document, SaveFormat format);

// Writes `document` to `path` through a temporary file renamed into place
// at the end, so a failed save leaves no half-written file behind. A
// metafile holds one page: further pages go beside it (WmfPagePath).
void SaveDocument(const Document& document, SaveFormat format, const QString& path);

}  // namespace reportengine
