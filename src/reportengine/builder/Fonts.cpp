#include "Fonts.h"

#include <QFontInfo>
#include <QImage>
#include <algorithm>
#include <array>

namespace reportengine {

namespace {

struct FamilyMapping {
  const char* asked;
  const char* installed;
};

// Liberation Sans, Serif and Mono share the advance widths of these faces.
constexpr std::array kFamilies{
    FamilyMapping{"Arial", "Liberation Sans"},
    FamilyMapping{"Helvetica", "Liberation Sans"},
    FamilyMapping{"Times New Roman", "Liberation Serif"},
    FamilyMapping{"Courier New", "Liberation Mono"},
};

// Text is measured ten times enlarged on a 1200 dpi device: advances are
// whole pixels there, and at this size their rounding no longer shows, so
// the widths are the font's own and hold for screen, printer and PDF alike.
constexpr int kMeasureDpi = 1200;
constexpr double kEnlarge = 10;
constexpr double kPixelsPerMm = kMeasureDpi / 25.4 * kEnlarge;
// Sums of single advances may differ from a whole text's in the last bits.
constexpr double kSlack = 1e-6;

const QImage& MeasureDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_Mono);
    const int dotsPerMeter = static_cast<int>(kMeasureDpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
  }();
  return device;
}

}  // namespace

QString MappedFamily(const QString& family) {
  for (const auto& m : kFamilies)
    if (family.compare(QLatin1String(m.asked), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(m.installed);
  return family;
}

QFont ResolveFont(const FontSpec& fontSpec) {
  QFont font(MappedFamily(fontSpec.family));
  font.setPointSizeF(fontSpec.pointSize);
  font.setBold(fontSpec.bold);
  font.setItalic(fontSpec.italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);  // runs are measured word by word; kerning would not add up
  // Nor would ligatures: unshaped, a text is exactly as wide as its
  // characters, which lets the measure keep one advance per character.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

TextMeasure::TextMeasure(const FontSpec& fontSpec)
    : metrics_(ResolveFont(FontSpec{fontSpec.family, fontSpec.pointSize * kEnlarge, fontSpec.bold,
                                    fontSpec.italic}),
               &MeasureDevice()) {
  lineHeight_ = metrics_.height() / kPixelsPerMm;
  ascent_ = metrics_.ascent() / kPixelsPerMm;
  const QFont font = ResolveFont(fontSpec);
  actualFamily_ = QFontInfo(font).family();
  installed_ = actualFamily_.compare(font.family(), Qt::CaseInsensitive) == 0;
}

double TextMeasure::Advance(QChar c) const {
  // Glyphs this large are not cached by the font engine, so every advance
  // asked of it loads its outline again; reports repeat the same few
  // characters many thousand times.
  const auto [at, inserted] = advances_.try_emplace(c.unicode(), 0.0);
  if (inserted) at->second = metrics_.horizontalAdvance(c) / kPixelsPerMm;
  return at->second;
}

double TextMeasure::Width(const QString& text) const {
  double width = 0;
  for (const QChar c : text) {
    // A character outside the basic plane is measured with its pair.
    if (c.isSurrogate()) return metrics_.horizontalAdvance(text) / kPixelsPerMm;
    width += Advance(c);
  }
  return width;
}

qsizetype TextMeasure::FitCount(QStringView text, double width) const {
  double used = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    used += Advance(text[i]);
    if (used > width + kSlack) return i;
  }
  return text.size();
}

QString TextMeasure::Fit(const QString& text, double width) const {
  if (Width(text) <= width + kSlack) return text;
  return text.left(FitCount(text, width));
}

std::vector<QString> TextMeasure::Wrap(const QString& text, double width) const {
  std::vector<QString> lines;
  const double space = Width(QStringLiteral(" "));
  for (const QString& paragraph : QString(text).remove(u'\r').split(u'\n')) {
    QString line;
    double lineWidth = 0;
    for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
      const double wordWidth = Width(word);
      if (!line.isEmpty() && lineWidth + space + wordWidth <= width + kSlack) {
        line += u' ' + word;
        lineWidth += space + wordWidth;
        continue;
      }
      if (!line.isEmpty()) lines.push_back(line);
      // A word wider than the line is cut between characters; at least one
      // character goes on each line, so a very narrow item still ends.
      for (qsizetype at = 0;;) {
        const qsizetype take = std::max<qsizetype>(FitCount(QStringView(word).mid(at), width), 1);
        if (at + take >= word.size()) {
          line = word.mid(at);
          break;
        }
        lines.push_back(word.mid(at, take));
        at += take;
      }
      lineWidth = Width(line);
    }
    lines.push_back(line);
  }
  return lines;
}

const TextMeasure& FontCache::For(const FontSpec& fontSpec) {
  for (const auto& [key, measure] : fonts_)
    if (key == fontSpec) return *measure;
  fonts_.emplace_back(fontSpec, std::make_unique<TextMeasure>(fontSpec));
  return *fonts_.back().second;
}

}  // namespace reportengine
