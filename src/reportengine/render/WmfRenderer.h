// One built page as a plain Windows metafile (not enhanced), behind the
// placeable header that gives its size: 0.01 mm logical units, texts in
// code page 1252 on their baselines, lines, fills and 24-bit pictures.
#pragma once

#include <QByteArray>
#include <QString>

#include "DisplayList.h"

namespace reportengine {

// `page` counts from 0; past the last page gives a blank page.
QByteArray RenderWmf(const Document& document, std::size_t page);

// A metafile holds one page: page 1 goes to `path`, page n to the same
// name with "_n" before the suffix.
QString WmfPagePath(const QString& path, std::size_t page);

}  // namespace reportengine
