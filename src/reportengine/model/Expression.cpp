#include "Expression.h"

#include <iterator>
#include <vector>

#include "NumberFormat.h"

namespace reportengine {

enum class Op { Literal, Field, Add, Subtract, Multiply, Divide, Negate, Sum, FormatNumeric };

struct Expression::Node {
  Op op = Op::Literal;
  Value literal;   // Literal
  int field = -1;  // Field
  std::vector<std::unique_ptr<Node>> args;
  Value sum;  // Sum: the total so far, nothing before the first record
};

namespace {

using Node = Expression::Node;

class Parser {
 public:
  Parser(const QString& text, const QStringList& fields) : text_(text), fields_(fields) {}

  std::unique_ptr<Node> Whole() {
    auto node = Binary();
    Skip();
    if (at_ < text_.size()) Fail("unexpected '" + QString(text_[at_]) + "'");
    return node;
  }

 private:
  [[noreturn]] void Fail(const QString& what) const {
    throw ExpressionError(QStringLiteral("Expression \"%1\": %2 at position %3")
                              .arg(text_, what)
                              .arg(at_ + 1)
                              .toStdString());
  }
  void Skip() {
    while (at_ < text_.size() && text_[at_].isSpace()) ++at_;
  }
  bool Take(QChar c) {
    Skip();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Expect(QChar c) {
    if (!Take(c)) Fail(QStringLiteral("'%1' expected").arg(c));
  }
  static std::unique_ptr<Node> Make(Op op, std::unique_ptr<Node> a, std::unique_ptr<Node> b = {}) {
    auto node = std::make_unique<Node>();
    node->op = op;
    node->args.push_back(std::move(a));
    if (b) node->args.push_back(std::move(b));
    return node;
  }

  // Left-associative operators, two to a level, the loosest level first.
  struct Level {
    char16_t first;
    Op firstOp;
    char16_t second;
    Op secondOp;
  };
  static constexpr Level kLevels[] = {{u'+', Op::Add, u'-', Op::Subtract},
                                      {u'*', Op::Multiply, u'/', Op::Divide}};

  std::unique_ptr<Node> Binary(std::size_t level = 0) {
    if (level == std::size(kLevels)) return Unary();
    const Level& ops = kLevels[level];
    auto left = Binary(level + 1);
    for (;;) {
      if (Take(ops.first)) {
        left = Make(ops.firstOp, std::move(left), Binary(level + 1));
      } else if (Take(ops.second)) {
        left = Make(ops.secondOp, std::move(left), Binary(level + 1));
      } else {
        return left;
      }
    }
  }
  std::unique_ptr<Node> Unary() {
    if (Take(u'-')) return Make(Op::Negate, Unary());
    return Primary();
  }
  std::unique_ptr<Node> Primary() {
    Skip();
    if (at_ >= text_.size()) Fail(QStringLiteral("the expression ends too early"));
    const QChar c = text_[at_];
    if (Take(u'(')) {
      auto inner = Binary();
      Expect(u')');
      return inner;
    }
    if (c == u'\'') return String();
    if (c.isDigit() || c == u'.') return Number();
    if (c.isLetter() || c == u'_') return Name();
    Fail("unexpected '" + QString(c) + "'");
  }
  std::unique_ptr<Node> String() {
    const qsizetype start = at_++;
    QString value;
    for (;;) {
      if (at_ >= text_.size()) {
        at_ = start;
        Fail(QStringLiteral("the text literal is not closed"));
      }
      if (text_[at_] == u'\'') {
        // Two quotes stand for one.
        if (at_ + 1 < text_.size() && text_[at_ + 1] == u'\'') {
          value += u'\'';
          at_ += 2;
          continue;
        }
        ++at_;
        break;
      }
      value += text_[at_++];
    }
    auto node = std::make_unique<Node>();
    node->literal = value;
    return node;
  }
  std::unique_ptr<Node> Number() {
    const qsizetype start = at_;
    while (at_ < text_.size() && (text_[at_].isDigit() || text_[at_] == u'.')) ++at_;
    const QString digits = text_.mid(start, at_ - start);
    auto node = std::make_unique<Node>();
    bool ok = false;
    if (digits.contains(u'.')) {
      node->literal = digits.toDouble(&ok);
    } else {
      node->literal = static_cast<std::int64_t>(digits.toLongLong(&ok));
    }
    if (!ok) {
      at_ = start;
      Fail("'" + digits + "' is not a number");
    }
    return node;
  }
  std::unique_ptr<Node> Name() {
    const qsizetype start = at_;
    while (at_ < text_.size() && (text_[at_].isLetterOrNumber() || text_[at_] == u'_')) ++at_;
    const QString name = text_.mid(start, at_ - start);
    if (Take(u'(')) return Call(name, start);
    qsizetype field = fields_.size();
    while (--field >= 0 && fields_[field].compare(name, Qt::CaseInsensitive) != 0) {
    }
    if (field < 0) {
      at_ = start;
      Fail("unknown field '" + name + "'");
    }
    auto node = std::make_unique<Node>();
    node->op = Op::Field;
    node->field = static_cast<int>(field);
    return node;
  }
  std::unique_ptr<Node> Call(const QString& name, qsizetype start) {
    if (name.compare(QLatin1String("SUM"), Qt::CaseInsensitive) == 0) {
      if (insideSum_) {
        at_ = start;
        Fail(QStringLiteral("SUM inside SUM"));
      }
      insideSum_ = true;
      auto node = Make(Op::Sum, Binary());
      insideSum_ = false;
      Expect(u')');
      return node;
    }
    if (name.compare(QLatin1String("FORMATNUMERIC"), Qt::CaseInsensitive) == 0) {
      auto pattern = Binary();
      Expect(u',');
      auto node = Make(Op::FormatNumeric, std::move(pattern), Binary());
      Expect(u')');
      return node;
    }
    at_ = start;
    Fail("unknown function '" + name + "'");
  }

  const QString& text_;
  const QStringList& fields_;
  qsizetype at_ = 0;
  bool insideSum_ = false;
};

[[noreturn]] void Fail(const QString& text, const QString& what) {
  throw ExpressionError(QStringLiteral("Expression \"%1\": %2").arg(text, what).toStdString());
}

bool IsNumber(const Value& v) {
  return std::holds_alternative<std::int64_t>(v) || std::holds_alternative<double>(v);
}

double AsDouble(const Value& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  return std::get<double>(v);
}

Value Arithmetic(const QString& text, Op op, const Value& a, const Value& b) {
  if (op == Op::Add && (std::holds_alternative<QString>(a) || std::holds_alternative<QString>(b)))
    return ValueText(a) + ValueText(b);
  if (!IsNumber(a) || !IsNumber(b)) Fail(text, QStringLiteral("arithmetic needs numbers"));
  const bool whole =
      std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b);
  if (op == Op::Divide) {
    if (AsDouble(b) == 0) Fail(text, QStringLiteral("division by zero"));
    return AsDouble(a) / AsDouble(b);
  }
  if (whole) {
    const std::int64_t x = std::get<std::int64_t>(a);
    const std::int64_t y = std::get<std::int64_t>(b);
    std::int64_t r = 0;
    const bool overflow = op == Op::Add        ? __builtin_add_overflow(x, y, &r)
                          : op == Op::Subtract ? __builtin_sub_overflow(x, y, &r)
                                               : __builtin_mul_overflow(x, y, &r);
    if (overflow) Fail(text, QStringLiteral("whole number overflow"));
    return r;
  }
  const double x = AsDouble(a);
  const double y = AsDouble(b);
  return op == Op::Add ? x + y : op == Op::Subtract ? x - y : x * y;
}

Value Eval(const QString& text, const Node& node, const RecordView& record) {
  switch (node.op) {
    case Op::Literal:
      return node.literal;
    case Op::Field:
      return record ? record(node.field) : Value{};
    case Op::Sum:
      return std::holds_alternative<std::monostate>(node.sum) ? Value{std::int64_t{0}} : node.sum;
    case Op::Negate: {
      const Value v = Eval(text, *node.args[0], record);
      if (const auto* i = std::get_if<std::int64_t>(&v)) {
        std::int64_t r = 0;
        if (__builtin_sub_overflow(std::int64_t{0}, *i, &r))
          Fail(text, QStringLiteral("whole number overflow"));
        return r;
      }
      if (const auto* d = std::get_if<double>(&v)) return -*d;
      Fail(text, QStringLiteral("'-' needs a number"));
    }
    case Op::FormatNumeric: {
      const Value pattern = Eval(text, *node.args[0], record);
      const Value number = Eval(text, *node.args[1], record);
      if (!std::holds_alternative<QString>(pattern))
        Fail(text, QStringLiteral("FORMATNUMERIC needs a text pattern first"));
      if (std::holds_alternative<std::monostate>(number)) return QString();
      if (!IsNumber(number)) Fail(text, QStringLiteral("FORMATNUMERIC needs a number second"));
      return FormatNumeric(std::get<QString>(pattern), AsDouble(number));
    }
    default:
      return Arithmetic(text, node.op, Eval(text, *node.args[0], record),
                        Eval(text, *node.args[1], record));
  }
}

void AccumulateNode(const QString& text, Node& node, const RecordView& record) {
  if (node.op != Op::Sum) {
    for (auto& arg : node.args) AccumulateNode(text, *arg, record);
    return;
  }
  const Value v = Eval(text, *node.args[0], record);
  if (std::holds_alternative<std::monostate>(v)) return;  // an empty field adds nothing
  if (!IsNumber(v)) Fail(text, QStringLiteral("SUM needs numbers"));
  node.sum =
      std::holds_alternative<std::monostate>(node.sum) ? v : Arithmetic(text, Op::Add, node.sum, v);
}

void Reset(Node& node) {
  node.sum = Value{};
  for (auto& arg : node.args) Reset(*arg);
}

}  // namespace

Expression::Expression(QString text, std::unique_ptr<Node> root)
    : text_(std::move(text)), root_(std::move(root)) {}
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::~Expression() = default;

Expression Expression::Parse(const QString& text, const QStringList& fields) {
  Parser parser(text, fields);
  return Expression(text, parser.Whole());
}

Value Expression::Evaluate(const RecordView& record) const {
  return Eval(text_, *root_, record);
}

void Expression::Accumulate(const RecordView& record) {
  AccumulateNode(text_, *root_, record);
}

void Expression::ResetSums() {
  Reset(*root_);
}

}  // namespace reportengine
