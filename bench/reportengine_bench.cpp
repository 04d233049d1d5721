// The report engine against LibreOffice: a report of ROWS records (default
// 10,000) with nine columns and a child band per record, built and saved as
// PDF, against LibreOffice (headless) converting a CSV of the same rows to
// PDF, in the same run (target: at most 0.5 of its time). Then, without a
// target, the time and peak resident memory of 100,000 records to PDF and
// to an Excel workbook, each in a process of its own.
//
// Usage: reportengine_bench [ROWS]
//        reportengine_bench --save pdf|xlsx ROWS FILE   (one measured save)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "PageBuilder.h"
#include "ProcessRun.h"
#include "RecordSource.h"
#include "SaveFormats.h"

namespace {

using namespace reportengine;

constexpr int kColumns = 9;

QString Cell(int row, int column) {
  switch (column) {
    case 0:
      return QStringLiteral("Mailbox %1").arg(row);
    case 1:
      return QStringLiteral("DOMAIN\\user%1").arg(row);
    case 8:
      return QStringLiteral("/o=Tabrix/ou=First Administrative Group/cn=Recipients/cn=u%1")
          .arg(row);
    default:
      return QString::number((row * 7919 + column * 104729) % 1000000);
  }
}

QStringList FieldNames() {
  QStringList names;
  for (int c = 0; c < kColumns; ++c) names << QStringLiteral("F%1").arg(c);
  return names;
}

Item Field(int column, double left, double width) {
  Item item;
  item.kind = ItemKind::DataField;
  item.name = item.text = QStringLiteral("F%1").arg(column);
  item.left = left;
  item.width = width;
  return item;
}

// Nine columns on one line, the directory name on a child band below.
void Define(Report& report, const MemoryTable& table) {
  report.title = QStringLiteral("Benchmark");
  report.source = &table;
  report.baseFont = FontSpec{QStringLiteral("Arial"), 8, false, false};
  report.detail.kind = BandKind::Detail;
  report.detail.height = 4.5;
  for (int c = 0; c < 8; ++c) report.detail.items.push_back(Field(c, c * 24.0, 23));
  Band child;
  child.kind = BandKind::Child;
  child.height = 4;
  child.items.push_back(Field(8, 5, 180));
  report.detail.children.push_back(child);
}

MemoryTable MakeTable(int rows) {
  MemoryTable table(FieldNames());
  for (int r = 0; r < rows; ++r) {
    std::vector<Value> row;
    for (int c = 0; c < kColumns; ++c) row.emplace_back(Cell(r, c));
    table.AddRow(std::move(row));
  }
  return table;
}

int SaveOnce(SaveFormat format, int rows, const QString& path) {
  const MemoryTable table = MakeTable(rows);
  Report report;
  Define(report, table);
  const auto document = BuildPages(report);
  if (!document) return 1;
  SaveDocument(*document, format, path);
  return 0;
}

// Runs a command with its output discarded; ends the bench when it fails.
benchsupport::Measure Spawn(const std::vector<std::string>& args) {
  const benchsupport::Measure m = benchsupport::Run(args, "/dev/null");
  benchsupport::Check(m, args[0].c_str());
  return m;
}

double Best(int rounds, const std::function<double()>& once) {
  double best = 1e300;
  for (int i = 0; i < rounds; ++i) best = std::min(best, once());
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 5 && QByteArray(argv[1]) == "--save") {
    const SaveFormat format = QByteArray(argv[2]) == "xlsx" ? SaveFormat::Xlsx : SaveFormat::Pdf;
    return SaveOnce(format, std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
  }
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
  QTemporaryDir dir;
  const std::string self = QCoreApplication::applicationFilePath().toStdString();
  const std::string folder = dir.path().toStdString();

  // The same rows as CSV for LibreOffice, which also lays them out on pages.
  {
    QFile csv(dir.filePath("rows.csv"));
    if (!csv.open(QIODevice::WriteOnly)) return 1;
    for (int r = 0; r < rows; ++r) {
      QStringList cells;
      for (int c = 0; c < kColumns; ++c) cells << Cell(r, c);
      csv.write((cells.join(',') + '\n').toUtf8());
    }
  }
  const std::string profile = "-env:UserInstallation=file://" + folder + "/lo-profile";
  const std::vector<std::string> office = {
      "soffice", profile,    "--headless", "--convert-to",
      "pdf",     "--outdir", folder,       folder + "/rows.csv"};
  Spawn(office);  // the first start lays out LibreOffice's profile

  const std::string pdf = folder + "/engine.pdf";
  const std::string count = std::to_string(rows);
  const double engine = Best(3, [&] { return Spawn({self, "--save", "pdf", count, pdf}).seconds; });
  const double libreoffice = Best(3, [&] { return Spawn(office).seconds; });
  std::printf("%d records to PDF: engine %.2f s, LibreOffice %.2f s, ratio %.2f (target <= 0.5)\n",
              rows, engine, libreoffice, engine / libreoffice);

  for (const char* format : {"pdf", "xlsx"}) {
    const benchsupport::Measure run =
        Spawn({self, "--save", format, "100000", folder + "/large." + format});
    std::printf("100000 records to %s: %.2f s, peak resident memory %.0f MiB\n", format,
                run.seconds, static_cast<double>(run.maxRssKb) / 1024.0);
  }
  return 0;
}
