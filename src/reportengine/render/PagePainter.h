// Draws one built page with a QPainter: the preview, the printer and PDF
// all paint through here, so they show the same thing.
#pragma once

#include <QPainter>
#include <QPointF>

#include "DisplayList.h"

namespace reportengine {

// Paints `page` with its top left corner at `origin` (device pixels),
// `pixelsPerMm` device pixels to the millimetre.
void PaintPage(QPainter& painter, const Page& page, double pixelsPerMm, QPointF origin = {});

}  // namespace reportengine
