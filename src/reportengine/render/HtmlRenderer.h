// The built pages as one HTML file: every page one after the other as a
// box of the paper's size, each text, line, fill and picture placed in
// millimetres. No page links.
#pragma once

#include <QByteArray>

#include "DisplayList.h"

namespace reportengine {

QByteArray RenderHtml(const Document& document);

}  // namespace reportengine
