// libFuzzer target: the report expression parser must take any text. A text
// either parses or is refused with an ExpressionError; a parsed expression
// evaluates and sums over records of every value kind without any other
// failure (a division by zero or a wrong kind is an ExpressionError too).
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "Expression.h"

using reportengine::Expression;
using reportengine::ExpressionError;
using reportengine::Value;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList fields{"Name", "Size", "Count", "Ratio", "Empty"};
  const Value records[][5] = {
      {QString("Mailbox"), std::int64_t{1536}, std::int64_t{3}, 0.5, std::monostate{}},
      {QString(""), std::numeric_limits<std::int64_t>::max(), std::int64_t{-1}, -0.0,
       std::monostate{}},
      {QString("12"), std::int64_t{0}, std::numeric_limits<std::int64_t>::min(), 1e308,
       QString("x")},
  };
  try {
    Expression expression = Expression::Parse(text, fields);
    for (const auto& record : records) {
      const auto view = [&record](int field) {
        return field >= 0 && field < 5 ? record[field] : Value{};
      };
      try {
        expression.Accumulate(view);
        (void)reportengine::ValueText(expression.Evaluate(view));
      } catch (const ExpressionError&) {
      }
    }
    expression.ResetSums();
  } catch (const ExpressionError&) {
  }
  return 0;
}
