#include "NumberFormat.h"

#include <cmath>

#include "Expression.h"

namespace reportengine {

namespace {

struct Pattern {
  int minInteger = 0;   // '0's before the point
  int minFraction = 0;  // '0's after it
  int maxFraction = 0;  // '0's and '#'s after it
  bool grouping = false;
};

Pattern ParsePattern(const QString& text) {
  Pattern p;
  bool fraction = false;
  for (QChar c : text) {
    if (c == u'.' && !fraction) {
      fraction = true;
    } else if (c == u',' && !fraction) {
      p.grouping = true;
    } else if (c == u'0' || c == u'#') {
      if (!fraction) {
        if (c == u'0') ++p.minInteger;
      } else {
        ++p.maxFraction;
        // A '0' after a '#' still prints: the digits before it are needed.
        if (c == u'0') p.minFraction = p.maxFraction;
      }
    } else {
      throw ExpressionError("Number pattern '" + text.toStdString() + "' holds the character '" +
                            QString(c).toStdString() + "'; only 0 # . , are known");
    }
  }
  return p;
}

// The digits of |value| with `decimals` places, rounded half away from zero.
QString Digits(double value, int decimals) {
  const double scaled = std::fabs(value) * std::pow(10.0, decimals);
  if (scaled < 9007199254740992.0) {  // 2^53: whole numbers are exact below it
    QString digits = QString::number(static_cast<qint64>(std::floor(scaled + 0.5)));
    if (decimals == 0) return digits;
    digits = digits.rightJustified(decimals + 1, u'0');
    digits.insert(digits.size() - decimals, u'.');
    return digits;
  }
  return QString::number(std::fabs(value), 'f', decimals);
}

}  // namespace

QString FormatNumeric(const QString& pattern, double value) {
  const Pattern p = ParsePattern(pattern);
  if (!std::isfinite(value)) return QString::number(value);
  const QString digits = Digits(value, p.maxFraction);
  const qsizetype point = digits.indexOf(u'.');
  QString integer = point < 0 ? digits : digits.left(point);
  QString fraction = point < 0 ? QString() : digits.mid(point + 1);
  while (fraction.size() > p.minFraction && fraction.endsWith(u'0')) fraction.chop(1);
  // Leading zeros go, then come back as far as the pattern asks for them.
  while (integer.startsWith(u'0')) integer.remove(0, 1);
  if (integer.size() < p.minInteger) integer = integer.rightJustified(p.minInteger, u'0');
  if (p.grouping) {
    for (qsizetype at = integer.size() - 3; at > 0; at -= 3) integer.insert(at, u',');
  }
  QString text = fraction.isEmpty() ? integer : integer + u'.' + fraction;
  const bool zero = digits.count(u'0') + (point < 0 ? 0 : 1) == digits.size();
  if (value < 0 && !zero) text.prepend(u'-');
  return text;
}

}  // namespace reportengine
