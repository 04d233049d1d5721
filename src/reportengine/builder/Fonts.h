// Fonts in millimetres. The reports ask for Windows families; they map
// here, in one table, onto the metric-compatible Liberation faces, so the
// widths are those the millimetre layouts were made for.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ReportModel.h"

namespace reportengine {

// The installed family a report's family prints with.
QString MappedFamily(const QString& family);

// A QFont for `fontSpec`, unhinted so that its widths scale with the device.
QFont ResolveFont(const FontSpec& fontSpec);

// Measures text of one font in millimetres.
class TextMeasure {
 public:
  explicit TextMeasure(const FontSpec& fontSpec);

  double Width(const QString& text) const;
  double LineHeight() const { return lineHeight_; }
  double Ascent() const { return ascent_; }
  // Whether the family asked for (after mapping) is installed.
  bool Installed() const { return installed_; }
  QString ActualFamily() const { return actualFamily_; }

  // Word wrap into lines no wider than `width`: breaks at blanks and at
  // line breaks; a word wider than the line is broken between characters.
  // An empty text gives one empty line.
  std::vector<QString> Wrap(const QString& text, double width) const;
  // The longest start of `text` that fits `width`.
  QString Fit(const QString& text, double width) const;

 private:
  qsizetype FitCount(QStringView text, double width) const;
  double Advance(QChar c) const;

  QFontMetricsF metrics_;
  mutable std::unordered_map<char16_t, double> advances_;  // millimetres per character
  double lineHeight_ = 0;
  double ascent_ = 0;
  bool installed_ = true;
  QString actualFamily_;
};

// One TextMeasure per font for the length of a build.
class FontCache {
 public:
  const TextMeasure& For(const FontSpec& fontSpec);

 private:
  std::vector<std::pair<FontSpec, std::unique_ptr<TextMeasure>>> fonts_;
};

}  // namespace reportengine
