// The built pages on a printer: the pages the printer's range asks for,
// full page, at the printer's resolution.
#pragma once

#include <QPrinter>

#include "DisplayList.h"

namespace reportengine {

// False when the printer could not be started.
bool PrintDocument(const Document& document, QPrinter& printer);

}  // namespace reportengine
