// PDF of the built pages: Qt's PDF writer with the fonts embedded, then
// every Flate stream stored inflated, since the reports' PDF goes out
// uncompressed.
#pragma once

#include <QByteArray>

#include "DisplayList.h"

namespace reportengine {

QByteArray RenderPdf(const Document& document);

// `pdf` with every /FlateDecode stream inflated and the cross-reference
// table rebuilt. Throws std::runtime_error on a file it cannot follow.
QByteArray InflatePdfStreams(const QByteArray& pdf);

}  // namespace reportengine
