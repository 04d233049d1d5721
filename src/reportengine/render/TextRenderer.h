// The built pages as text: plain text on a character grid, and CSV with
// one row per printed line and one cell per text run.
#pragma once

#include <QByteArray>
#include <vector>

#include "DisplayList.h"

namespace reportengine {

// The page's text runs gathered into lines, top to bottom, each line's
// runs left to right. Runs whose tops lie within 1.5 mm share a line.
std::vector<std::vector<const TextRun*>> TextLines(const Page& page);

// UTF-8; a column is 2 mm; pages end with a form feed.
QByteArray RenderText(const Document& document);

// UTF-8, CR LF, quoted where needed; the pages' lines follow one another.
QByteArray RenderCsv(const Document& document, char separator = ',');

}  // namespace reportengine
