// report-screens: renders the report engine's standard preview to PNG
// files offscreen, for review: a grouped, multi-page folder list at "Zoom
// to width", with thumbnails, and after a search. With --print it prints
// the same report on a named printer instead, as the preview's Print does.
//
//   report-screens [output folder]     (default: ./report-screens)
//   report-screens --print PRINTER
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>
#include <iostream>

#include "Fonts.h"
#include "PageBuilder.h"
#include "PreviewWindow.h"
#include "PrintRenderer.h"
#include "RecordSource.h"

namespace {

using namespace reportengine;

// The preview's dialogs are never run here.
class NoDialogs final : public PreviewDialogs {
 public:
  int ExecModal(QDialog&) override { return 0; }
  std::optional<SaveChoice> SaveFileName(QWidget*, const SaveRequest&) override { return {}; }
  bool PrintDialog(QWidget*, QPrinter&, int, int) override { return false; }
  void RunPreview(QWidget&) override {}
  void ErrorBox(const QString& text) override { std::cerr << text.toStdString() << "\n"; }
};

Item Text(ItemKind kind, const QString& text, double left, double width,
          Align align = Align::Left) {
  Item item;
  item.kind = kind;
  item.name = text;
  item.text = text;
  item.left = left;
  item.width = width;
  item.alignment = align;
  return item;
}

Band MakeBand(BandKind kind, double height, std::vector<Item> items) {
  Band band;
  band.kind = kind;
  band.height = height;
  band.items = std::move(items);
  return band;
}

// Three mailboxes of 40 folders each, grouped by mailbox, with sums.
void Define(Report& report, MemoryTable& table) {
  const char* mailboxes[] = {"Administrator", "Nguyen, Siobhan", "\xC3\x98stergaard, Margaret"};
  for (const char* mailbox : mailboxes)
    for (int f = 0; f < 40; ++f)
      table.AddRow({QString::fromUtf8(mailbox),
                    QStringLiteral("Inbox/Projects/Project %1").arg(f + 1),
                    std::int64_t{(f * 37) % 500}, std::int64_t{(f * 7919 % 100000) * 1024}});
  report.title = QStringLiteral("Mailbox Statistis");
  report.source = &table;
  report.baseFont = FontSpec{QStringLiteral("Arial"), 10, false, false};
  Item title = Text(ItemKind::Label, report.title, 0, 0, Align::Center);
  title.autoSize = true;
  title.centerOnBand = true;
  title.font = FontSpec{QStringLiteral("Arial"), 14, true, false};
  report.titleBand = MakeBand(BandKind::Title, 12, {title});
  report.columnHeader = MakeBand(BandKind::ColumnHeader, 7,
                                 {Text(ItemKind::Label, "Folder", 0, 110),
                                  Text(ItemKind::Label, "Items", 115, 25, Align::Right),
                                  Text(ItemKind::Label, "Size", 145, 50, Align::Right)});
  report.columnHeader->frame.bottom = true;
  report.columnHeader->background = QColor(0xE0, 0xE0, 0xE0);
  Group group;
  group.expression = QStringLiteral("Mailbox");
  group.header = MakeBand(BandKind::GroupHeader, 8, {Text(ItemKind::DataField, "Mailbox", 0, 150)});
  group.header.font = FontSpec{QStringLiteral("Arial"), 10, true, false};
  Item items = Text(ItemKind::Expression, "SUM(Items)", 115, 25, Align::Right);
  items.resetAfterPrint = true;
  Item size = Text(ItemKind::Expression, "FORMATNUMERIC('#,##0.0', SUM(Size) / 1024)", 145, 50,
                   Align::Right);
  size.resetAfterPrint = true;
  group.footer = MakeBand(BandKind::GroupFooter, 9, {items, size});
  group.footer->frame.top = true;
  report.groups.push_back(group);
  report.detail = MakeBand(
      BandKind::Detail, 5,
      {Text(ItemKind::DataField, "Folder", 0, 110),
       Text(ItemKind::DataField, "Items", 115, 25, Align::Right),
       Text(ItemKind::Expression, "FORMATNUMERIC('#,##0.0', Size / 1024)", 145, 50, Align::Right)});
  Item page;
  page.kind = ItemKind::SystemData;
  page.system = SystemData::PageNumber;
  page.left = 180;
  page.width = 15;
  page.alignment = Align::Right;
  report.pageFooter = MakeBand(BandKind::PageFooter, 6, {page});
}

bool Save(QWidget& widget, const QString& folder, const QString& name) {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  const QString path = folder + "/" + name + ".png";
  if (!widget.grab().save(path)) {
    std::cerr << "cannot write " << path.toStdString() << "\n";
    return false;
  }
  std::cout << path.toStdString() << "\n";
  return true;
}

// Every page on `printerName`, the job named after the report's title.
int Print(Report& report, const QString& printerName) {
  const auto document = BuildPages(report);
  if (!document) return 1;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPrinterName(printerName);
  if (!printer.isValid()) {
    std::cerr << "no printer " << printerName.toStdString() << "\n";
    return 1;
  }
  printer.setDocName(document->title);
  printer.setFromTo(1, static_cast<int>(document->pages.size()));
  if (!PrintDocument(*document, printer)) return 1;
  std::cout << "printed " << document->pages.size() << " pages on " << printerName.toStdString()
            << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 3 && QByteArray(argv[1]) == "--print") {
    MemoryTable table({"Mailbox", "Folder", "Items", "Size"});
    Report report;
    Define(report, table);
    return Print(report, QString::fromLocal8Bit(argv[2]));
  }
  const QString folder =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("report-screens");
  QDir().mkpath(folder);

  MemoryTable table({"Mailbox", "Folder", "Items", "Size"});
  Report report;
  Define(report, table);
  NoDialogs dialogs;
  PreviewWindow window(report, dialogs);
  window.resize(1100, 850);  // a maximized window has no fixed size offscreen
  window.show();
  if (!window.Build()) return 1;
  window.ZoomToWidth();
  bool ok = true;
  window.SetThumbnailsVisible(false);
  ok &= Save(window, folder, "preview-01-zoom-to-width");
  window.SetThumbnailsVisible(true);
  ok &= Save(window, folder, "preview-02-thumbnails");
  window.SetSearchVisible(true);
  window.FindNext(QStringLiteral("Project 17"));
  ok &= Save(window, folder, "preview-03-search");
  window.GoToPage(window.PageCount());
  ok &= Save(window, folder, "preview-04-last-page");
  return ok ? 0 : 1;
}
