// Number patterns of FORMATNUMERIC: '0' a digit always printed, '#' a digit
// printed when significant, '.' the decimal point, ',' anywhere before it
// asks for thousands groups of three. Rounding is half away from zero;
// the output separators are '.' and ','.
#pragma once

#include <QString>

namespace reportengine {

QString FormatNumeric(const QString& pattern, double value);

}  // namespace reportengine
