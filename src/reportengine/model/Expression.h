// The small expression language of report items:
//   field names, 'string literals', numbers, + - * / and parentheses,
//   SUM(expr)                 the sum of expr over the records printed so far,
//   FORMATNUMERIC('fmt', x)   x through a number pattern (NumberFormat.h).
// Names of fields and functions are case-blind. A parsed expression keeps
// its sums, so one Expression belongs to one item of one run.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

#include "Value.h"

namespace reportengine {

// Thrown for a text that does not parse, an unknown name, a division by
// zero or a value of the wrong kind; what() says which and where.
class ExpressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The current record, field by index.
using RecordView = std::function<Value(int field)>;

class Expression {
 public:
  // Throws ExpressionError. Names resolve against `fields`.
  static Expression Parse(const QString& text, const QStringList& fields);

  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;
  ~Expression();

  // The value for `record`; SUM parts give their sums so far.
  Value Evaluate(const RecordView& record) const;
  // Adds `record` to every SUM of the expression.
  void Accumulate(const RecordView& record);
  void ResetSums();

  struct Node;

 private:
  Expression(QString text, std::unique_ptr<Node> root);
  QString text_;
  std::unique_ptr<Node> root_;
};

}  // namespace reportengine
