// The built pages as an Excel workbook (libxlsxwriter): one worksheet, a
// row per printed line and a cell per text run, in the run's font.
#pragma once

#include <QByteArray>

#include "DisplayList.h"

namespace reportengine {

// Throws std::runtime_error when the workbook cannot be made.
QByteArray RenderXlsx(const Document& document);

}  // namespace reportengine
