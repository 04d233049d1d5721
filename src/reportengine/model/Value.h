// A value of a record field or of an expression: nothing, a whole number,
// a floating number or a text. Typed, so that "12" and 12 stay apart and
// sums of whole numbers stay whole.
#pragma once

#include <QString>
#include <cstdint>
#include <variant>

namespace reportengine {

using Value = std::variant<std::monostate, std::int64_t, double, QString>;

// The text an item prints for a value: whole numbers plainly, floating
// numbers in their shortest exact form, nothing as an empty text.
QString ValueText(const Value& value);

}  // namespace reportengine
