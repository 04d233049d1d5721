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

Item AutoLabel(const QString& name, const QString& text, double left, double top) {
  Item item;
  item.name = name;
  item.text = text;
  item.left = left;
  item.top = top;
  item.autoSize = true;
  return item;
}

Item RightEdgeLabel(const QString& name, double rightEdge, double top) {
  Item item = AutoLabel(name, QString(), rightEdge, top);
  item.alignment = Align::Right;
  return item;
}

Item StretchLabel(const QString& name, double left, double width, Align alignment) {
  Item item;
  item.name = name;
  item.left = left;
  item.width = width;
  item.alignment = alignment;
  item.stretch = true;
  return item;
}

std::vector<Item> Cells(std::span<const Cell> cells) {
  std::vector<Item> items;
  for (const Cell& cell : cells) {
    const QString name = QString::fromLatin1(cell.name);
    const QString text = QString::fromLatin1(cell.text);
    Item item;
    switch (cell.fit) {
      case Fit::Fixed:
      case Fit::Stretch:
        item = StretchLabel(name, cell.left, cell.width, cell.alignment);
        item.stretch = cell.fit == Fit::Stretch;
        item.text = text;
        item.top = cell.top;
        break;
      case Fit::Auto:
        item = AutoLabel(name, text, cell.left, cell.top);
        item.alignment = cell.alignment;
        break;
      case Fit::RightEdge:
        item = RightEdgeLabel(name, cell.left, cell.top);
        item.text = text;
        break;
    }
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
  Item printed = AutoLabel(QStringLiteral("QRSysData1"), QString(), 2.4);
  printed.kind = reportengine::ItemKind::SystemData;
  printed.system = reportengine::SystemData::DateTime;
  Item page = AutoLabel(QStringLiteral("QRSysData2"), QString(), 169.9);
  page.kind = reportengine::ItemKind::SystemData;
  page.system = reportengine::SystemData::PageNumber;
  return MakeBand(
      BandKind::PageFooter, QStringLiteral("PageFooterBand1"), height, Arial(8),
      {printed, AutoLabel(QStringLiteral("QRPage"), QStringLiteral("Page #"), pageLabelLeft),
       page});
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
  const mapi::TDateTime value = mapi::EncodeDate(date.year(), date.month(), date.day()) +
                                time.time().msecsSinceStartOfDay() / 86400000.0;
  return FromAnsi(core::DateTimeText(value));
}

void SetReportTitle(reportengine::Report& report, const QString& title) {
  report.title = title;
  if (Item* label = report.FindItem(QStringLiteral("QRTitle"))) label->text = title;
}

}  // namespace gui::reports
