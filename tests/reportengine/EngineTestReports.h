// Small reports the engine's tests build: a titled list with a column
// header, a detail line per record, a summary and a page footer with the
// page number, in the units and fonts the real reports use.
#pragma once

#include <QString>
#include <ostream>
#include <vector>

#include "DisplayList.h"
#include "ReportModel.h"

namespace reportengine::test {

inline Item Label(const QString& name, const QString& text, double left, double top = 0) {
  Item item;
  item.name = name;
  item.text = text;
  item.left = left;
  item.top = top;
  item.autoSize = true;
  return item;
}

inline Band MakeBand(BandKind kind, const QString& name, double height, std::vector<Item> items) {
  Band band;
  band.kind = kind;
  band.name = name;
  band.height = height;
  band.items = std::move(items);
  return band;
}

// Title 10 mm, column header 10 mm, detail 5 mm ("Row n" from the need-data
// callback), summary 8 mm, page footer 5.6 mm ("Page" and the number).
struct ListReport {
  Report report;
  int records = 0;
  int served = 0;
  int beforePrintCalls = 0;
  int needDataCalls = 0;

  explicit ListReport(int count) : records(count) {
    report.title = "List";
    report.titleBand = MakeBand(BandKind::Title, "title", 10, {Label("QRTitle", "The Title", 0)});
    report.titleBand->items[0].centerOnBand = true;
    report.columnHeader =
        MakeBand(BandKind::ColumnHeader, "header", 10, {Label("QRHead", "Column", 0)});
    report.detail = MakeBand(BandKind::Detail, "detail", 5, {Label("QRRow", "", 0)});
    report.summary = MakeBand(BandKind::Summary, "summary", 8, {Label("QRSum", "Summary", 0)});
    Item page = Label("QRPageNo", "", 20);
    page.kind = ItemKind::SystemData;
    page.system = SystemData::PageNumber;
    report.pageFooter =
        MakeBand(BandKind::PageFooter, "footer", 5.6, {Label("QRPage", "Page", 0), page});
    report.beforePrint = [this] {
      ++beforePrintCalls;
      served = 0;
    };
    report.needData = [this] {
      ++needDataCalls;
      if (served >= records) {
        report.SetProgress(100);
        return false;
      }
      report.FindItem("QRRow")->text = QStringLiteral("Row %1").arg(served + 1);
      report.SetProgress(served * 100 / records);
      ++served;
      return true;
    };
  }
};

struct PlacedText {
  QString text;
  double x;
  double y;
};

// The page's texts in painting order.
inline std::vector<PlacedText> Texts(const Page& page) {
  std::vector<PlacedText> texts;
  for (const Element& e : page.elements)
    if (const auto* run = std::get_if<TextRun>(&e)) texts.push_back({run->text, run->x, run->y});
  return texts;
}

inline std::vector<QString> TextsOnly(const Page& page) {
  std::vector<QString> texts;
  for (const auto& t : Texts(page)) texts.push_back(t.text);
  return texts;
}

}  // namespace reportengine::test

// Readable QStrings in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
