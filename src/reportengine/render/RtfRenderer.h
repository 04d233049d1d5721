// The built pages as Rich Text: a paragraph per printed line, its runs at
// tab stops where they print, the gap above each line kept, a page break
// between pages. Texts and fonts only: lines, fills and pictures are left
// out.
#pragma once

#include <QByteArray>

#include "DisplayList.h"

namespace reportengine {

QByteArray RenderRtf(const Document& document);

}  // namespace reportengine
