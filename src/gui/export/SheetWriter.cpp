// The spreadsheet jobs: title in D1, a bold header row 3, a record per row
// from row 4, and a bold footer three rows below the last record counted.
#include "ExportValues.h"
#include "ExportWriter.h"
#include "unExportingDlg.h"

namespace gui {
namespace {

using automation::OleObject;
using automation::Variant;

constexpr std::int32_t kTitleRow = 1;
constexpr std::int32_t kTitleColumn = 4;
constexpr std::int32_t kHeaderRow = 3;
constexpr std::int32_t kFirstRecordRow = 4;
constexpr std::int32_t kFooterOffset = 7;  // footer row = counter + 7

class SheetWriter final : public TExportWriter {
 public:
  SheetWriter(const TExportJob& job, const TfrmProgress& dialog, OleObject application)
      : job_(job), dialog_(dialog), application_(std::move(application)) {}

  void Begin(int /*count*/) override {
    workbook_ = application_.Object("WorkBooks").CallObject("Add");
    sheet_ = workbook_.Object("ActiveSheet");
    Cell(kTitleRow, kTitleColumn).Put("Value", UnicodeText(dialog_.TitleText(job_)));
    Cell(kTitleRow, kTitleColumn).Object("Font").Put("Size", std::int32_t{11});
    Cell(kTitleRow, kTitleColumn).Object("Font").Put("FontStyle", "Bold");
    Cell(kTitleRow, kTitleColumn).Object("Font").Put("Name", "Arial");
    for (std::size_t c = 0; c < job_.columns.size(); ++c) {
      Cell(kHeaderRow, Column(c)).Put("Value", job_.columns[c].header);
      Cell(kHeaderRow, Column(c)).Object("Font").Put("FontStyle", "Bold");
    }
  }

  void WriteRecord(int index) override {
    const std::int32_t row = index + kFirstRecordRow;
    for (const int c : job_.cellOrder) {
      const TFieldValue field = RecordField(dialog_, job_.records, job_.columns[c].field, index);
      if (field.kilobytes) Cell(row, Column(c)).Put("NumberFormat", SizeNumberFormat());
      Cell(row, Column(c)).Put("Value", field.value);
    }
  }

  void Finish(int counter) override {
    if (!sheet_) return;
    Cell(counter + kFooterOffset, 1).Put("Value", kExportFooter);
    Cell(counter + kFooterOffset, 1).Object("Font").Put("FontStyle", "Bold");
  }

 private:
  static std::int32_t Column(std::size_t zeroBased) {
    return static_cast<std::int32_t>(zeroBased) + 1;
  }
  // Every write goes through its own path from the sheet; no cell is kept.
  OleObject Cell(std::int32_t row, std::int32_t column) const {
    return sheet_.Object("Cells").Object("Item", {row, column});
  }

  const TExportJob& job_;
  const TfrmProgress& dialog_;
  OleObject application_;
  OleObject workbook_;
  OleObject sheet_;
};

}  // namespace

std::unique_ptr<TExportWriter> MakeSheetWriter(const TExportJob& job, const TfrmProgress& dialog,
                                               OleObject application) {
  return std::make_unique<SheetWriter>(job, dialog, std::move(application));
}

}  // namespace gui
