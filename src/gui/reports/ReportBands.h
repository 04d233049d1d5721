// The pieces the four reports share: items placed in millimetres, bands
// with their frames and fonts, the title and page footer bands, and the
// title hand-over. The reports themselves are tables of these.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <span>
#include <vector>

#include "ReportModel.h"

namespace gui::reports {

using reportengine::Align;
using reportengine::Band;
using reportengine::BandKind;
using reportengine::FontSpec;
using reportengine::Frame;
using reportengine::Item;

FontSpec Arial(double points, bool bold = false, bool italic = false);

// One item of a report's table: how its width is found.
enum class Fit {
  Fixed,      // `width` wide, one line
  Stretch,    // `width` wide, wrapping; the band grows to fit
  Auto,       // the width follows the text from `left`
  RightEdge,  // the width follows the text; its right edge stays at `left`
};
struct Cell {
  const char* name;
  const char* text;  // the fixed caption; run-time texts start empty
  double left;
  double width;  // Fixed and Stretch only
  Align alignment;
  Fit fit;
  double top = 0;
};
std::vector<Item> Cells(std::span<const Cell> cells);

Band MakeBand(BandKind kind, const QString& name, double height, std::optional<FontSpec> font,
              std::vector<Item> items, Frame frame = {});

// The title band, 10.6 mm, with `QRTitle` in Arial 10 bold centred on the
// band: of automatic width (the mailbox list) or 179.7 mm wide from 7.9,
// wrapping (the details window's reports).
enum class TitleWidth { Automatic, Wide };
Band TitleBand(TitleWidth width);

// The page footer in Arial 8: the printing date and time at 2.4, "Page #"
// at `pageLabelLeft` and the page number at 169.9.
Band PageFooterBand(double height, double pageLabelLeft);

// US Letter, portrait, 10 mm margins, Arial 10, footer on the last page,
// printed without records too; the time of printing reads as every other
// date-time of the program.
void SetPageDefaults(reportengine::Report& report);
QString PrintTimeText(const QDateTime& time);

// The report's title (the print job's name too) and `QRTitle`'s caption.
void SetReportTitle(reportengine::Report& report, const QString& title);

}  // namespace gui::reports
