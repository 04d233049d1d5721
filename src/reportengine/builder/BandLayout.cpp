#include "BandLayout.h"

#include <algorithm>

namespace reportengine {

const TextMeasure& BandLayout::Measure(const FontSpec& fontSpec) {
  const TextMeasure& measure = fonts_.For(fontSpec);
  if (!measure.Installed()) {
    const QString warning = QStringLiteral("Font \"%1\" is not installed; printed with \"%2\"")
                                .arg(fontSpec.family, measure.ActualFamily());
    if (!warnings_.contains(warning)) warnings_.append(warning);
  }
  return measure;
}

double BandLayout::LayoutItem(const Band& band, const Item& item, const QString& text,
                              std::vector<Element>& under, std::vector<Element>& over) {
  const double bandWidth = report_.page.PrintableWidth();
  if (item.kind == ItemKind::Picture) {
    if (item.picture.isNull()) {
      warnings_.append(QStringLiteral("Picture \"%1\" holds no image").arg(item.name));
      return 0;
    }
    const double left = item.centerOnBand ? (bandWidth - item.width) / 2 : item.left;
    over.push_back(PictureBox{left, item.top, item.width, item.height, item.picture});
    return 0;
  }

  const FontSpec& font = item.font ? *item.font : band.font ? *band.font : report_.baseFont;
  const TextMeasure& measure = Measure(font);
  const double ownHeight = item.height > 0 ? item.height : measure.LineHeight();

  // The item's box: its width follows the text with autoSize, anchored at
  // the edge its text is aligned to; centred on the band when asked.
  // One line unless stretched, cut at the box's edge like any fixed item.
  const QString oneLine = item.stretch ? text : QString(text).replace(u'\n', u' ').remove(u'\r');
  const double textWidth = item.stretch ? 0 : measure.Width(oneLine);
  double boxWidth = std::min(item.width, bandWidth);
  double boxLeft = item.left;
  if (item.autoSize) {
    boxWidth = std::min(item.stretch ? measure.Width(text) : textWidth, bandWidth);
    if (item.alignment == Align::Right) boxLeft = item.left + item.width - boxWidth;
    if (item.alignment == Align::Center) boxLeft = item.left + (item.width - boxWidth) / 2;
  }
  if (item.centerOnBand) boxLeft = (bandWidth - boxWidth) / 2;

  std::vector<QString> lines;
  std::vector<double> widths;
  if (item.stretch) {
    lines = measure.Wrap(text, boxWidth);
    for (const QString& line : lines) widths.push_back(measure.Width(line));
  } else if (textWidth <= boxWidth) {
    lines.push_back(oneLine);
    widths.push_back(textWidth);
  } else {
    lines.push_back(measure.Fit(oneLine, boxWidth));
    widths.push_back(measure.Width(lines.back()));
  }
  const double textHeight = static_cast<double>(lines.size()) * measure.LineHeight();
  const double height = item.stretch ? std::max(ownHeight, textHeight) : ownHeight;

  if (!item.transparent)
    under.push_back(FilledRect{boxLeft, item.top, boxWidth, height, item.background});
  double y = item.top;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (!line.isEmpty()) {
      const double width = widths[i];
      double x = boxLeft;
      if (item.alignment == Align::Right) x += boxWidth - width;
      if (item.alignment == Align::Center) x += (boxWidth - width) / 2;
      over.push_back(
          TextRun{x, y, width, measure.LineHeight(), measure.Ascent(), line, font, Qt::black});
    }
    y += measure.LineHeight();
  }
  return height - ownHeight;
}

LaidOutBand BandLayout::Layout(const Band& band,
                               const std::function<QString(const Item&)>& textOf) {
  std::vector<Element> under;
  std::vector<Element> over;
  double growth = 0;
  for (const Item& item : band.items) {
    const QString text = item.kind == ItemKind::Picture ? QString() : textOf(item);
    growth = std::max(growth, LayoutItem(band, item, text, under, over));
  }

  LaidOutBand out;
  out.height = band.height + growth;
  const double w = report_.page.PrintableWidth();
  const double h = out.height;
  if (band.background.isValid()) out.elements.push_back(FilledRect{0, 0, w, h, band.background});
  out.elements.insert(out.elements.end(), under.begin(), under.end());
  out.elements.insert(out.elements.end(), over.begin(), over.end());
  const LineSegment edge;
  if (band.frame.top) out.elements.push_back(LineSegment{0, 0, w, 0, edge.width, edge.color});
  if (band.frame.bottom) out.elements.push_back(LineSegment{0, h, w, h, edge.width, edge.color});
  if (band.frame.left) out.elements.push_back(LineSegment{0, 0, 0, h, edge.width, edge.color});
  if (band.frame.right) out.elements.push_back(LineSegment{w, 0, w, h, edge.width, edge.color});
  return out;
}

}  // namespace reportengine
