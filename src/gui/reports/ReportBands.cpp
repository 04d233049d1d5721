#include "ReportBands.h"

#include "AnsiText.h"
#include "DateTimeText.h"
#include "MAPIDateUtils.h"

namespace gui::reports {

FontSpec Arial(double points, bool bold, bool italic) {
  FontSpec font;
  font.pointSize = points;
  font.bold = bold;
  font.italic = italic;
  return font;
}

std::vector<Item> Cells(std::span<const Cell> cells) {
  std::vector<Item> items;
  for (const Cell& cell : cells) {
    Item item;
    item.name = QString::fromLatin1(cell.name);
    item.text = QString::fromLatin1(cell.text);
    item.left = cell.left;
    item.top = cell.top;
    item.alignment = cell.alignment;
    item.width = cell.width;
    item.stretch = cell.fit == Fit::Stretch;
    // A right-aligned item whose width follows its text keeps its right
    // edge at `left`.
    item.autoSize = cell.fit == Fit::Auto || cell.fit == Fit::RightEdge;
    if (cell.fit == Fit::RightEdge) item.alignment = Align::Right;
    items.push_back(std::move(item));
  }
  return items;
}

Band MakeBand(BandKind kind, const QString& name, double height, std::optional<FontSpec> font,
              std::vector<Item> items, Frame frame) {
  Band band;
  band.kind = kind;
  band.name = name;
  band.height = height;
  band.font = font;
  band.items = std::move(items);
  band.frame = frame;
  return band;
}

Band TitleBand(TitleWidth width) {
  Item title;
  title.name = QStringLiteral("QRTitle");
  title.alignment = Align::Center;
  title.font = Arial(10, true);
  if (width == TitleWidth::Automatic) {
    title.autoSize = true;
    title.centerOnBand = true;
  } else {
    title.left = 7.9;
    title.width = 179.7;
    title.stretch = true;
  }
  return MakeBand(BandKind::Title, QStringLiteral("TitleBand1"), 10.6, std::nullopt, {title});
}

Band PageFooterBand(double height, double pageLabelLeft) {
  const Cell cells[] = {{"QRSysData1", "", 2.4, 0, Align::Left, Fit::Auto},
                        {"QRPage", "Page #", pageLabelLeft, 0, Align::Left, Fit::Auto},
                        {"QRSysData2", "", 169.9, 0, Align::Left, Fit::Auto}};
  std::vector<Item> items = Cells(cells);
  items[0].kind = reportengine::ItemKind::SystemData;
  items[0].system = reportengine::SystemData::DateTime;
  items[2].kind = reportengine::ItemKind::SystemData;
  items[2].system = reportengine::SystemData::PageNumber;
  return MakeBand(BandKind::PageFooter, QStringLiteral("PageFooterBand1"), height, Arial(8),
                  std::move(items));
}

void SetPageDefaults(reportengine::Report& report) {
  report.page = reportengine::PageSetup{};
  report.baseFont = Arial(10);
  report.printIfEmpty = true;
  report.pageFooterOnLastPage = true;
  report.dateTimeText = PrintTimeText;
}

QString PrintTimeText(const QDateTime& time) {
  const QDate date = time.date();
  const QTime clock = time.time();
  return FromAnsi(
      core::DateTimeText(mapi::EncodeDateTime(date.year(), date.month(), date.day(), clock.hour(),
                                              clock.minute(), clock.second(), clock.msec())));
}

void SetReportTitle(reportengine::Report& report, const QString& title) {
  report.title = title;
  if (Item* label = report.FindItem(QStringLiteral("QRTitle"))) label->text = title;
}

}  // namespace gui::reports
