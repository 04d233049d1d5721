// Lays out one band: its items' texts wrapped and aligned, stretched items
// growing the band, background, pictures and frame lines. The result is
// relative to the band's top left corner; the page builder places it.
#pragma once

#include <functional>
#include <vector>

#include "DisplayList.h"
#include "Fonts.h"
#include "ReportModel.h"

namespace reportengine {

struct LaidOutBand {
  double height = 0;  // the band's height after stretching
  std::vector<Element> elements;
};

class BandLayout {
 public:
  // `textOf` gives an item's text at the moment the band prints; problems
  // worth telling the user (missing pictures and fonts) go to `warnings`.
  BandLayout(const Report& report, FontCache& fonts, QStringList& warnings)
      : report_(report), fonts_(fonts), warnings_(warnings) {}

  LaidOutBand Layout(const Band& band, const std::function<QString(const Item&)>& textOf);

 private:
  const TextMeasure& Measure(const FontSpec& fontSpec);
  // Lays out one item; returns how much it grew beyond its own height.
  double LayoutItem(const Band& band, const Item& item, const QString& text,
                    std::vector<Element>& under, std::vector<Element>& over);

  const Report& report_;
  FontCache& fonts_;
  QStringList& warnings_;
};

}  // namespace reportengine
