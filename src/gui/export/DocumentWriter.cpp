// The document jobs: a bold underlined title, two empty paragraphs, a table
// of a header row and one row per record in Arial 10, formatted at the
// end, and the footer text in the page footer.
#include "ExportValues.h"
#include "ExportWriter.h"
#include "unExportingDlg.h"

namespace gui {
namespace {

using automation::OleObject;
using automation::Variant;

constexpr std::int32_t kTableFormat = 16;  // a plain grid
constexpr std::int32_t kCellFontSize = 10;

class DocumentWriter final : public TExportWriter {
 public:
  DocumentWriter(const TExportJob& job, const TfrmProgress& dialog, OleObject application)
      : job_(job), dialog_(dialog), application_(std::move(application)) {}

  void Begin(int count) override {
    document_ = application_.Object("Documents").CallObject("Add");
    selection_ = application_.Object("Selection");
    selection_.Object("Font").Put("Bold", std::int32_t{1});
    selection_.Object("Font").Put("Underline", std::int32_t{1});
    selection_.Call("TypeText", {UnicodeText(dialog_.TitleText(job_))});
    selection_.Object("Font").Put("Underline", std::int32_t{0});
    for (int i = 0; i < 3; ++i) selection_.Call("TypeParagraph");
    rows_ = count + 1;
    const OleObject tables = document_.Object("Tables");
    table_ = tables.CallObject("Add", {selection_.Object("Range").dispatch(), rows_, Columns()});
    for (std::int32_t c = 1; c <= Columns(); ++c)
      WriteCell(1, c, Variant(job_.columns[c - 1].header));
  }

  void WriteRecord(int index) override {
    for (std::int32_t c = 1; c <= Columns(); ++c) {
      TFieldValue field = RecordField(dialog_, job_.records, job_.columns[c - 1].field, index);
      WriteCell(index + 2, c, field.kilobytes ? Variant(SizeText(*field.kilobytes)) : field.value);
    }
  }

  void Finish(int /*counter*/) override {
    if (!selection_) return;
    // Without a table (an error while the title was typed) there is
    // nothing to format, but the document still gets its footer.
    if (table_) {
      table_.Call("AutoFormat",
                  {kTableFormat, true, false, false, false, false, false, false, false, true});
      for (std::int32_t c = 1; c <= Columns(); ++c) CellFont(1, c).Put("Bold", std::int32_t{1});
      for (std::int32_t c = 1; c <= Columns(); ++c) CellFont(1, c).Put("Italic", std::int32_t{0});
      for (std::int32_t c = 1; c <= Columns(); ++c) CellFont(rows_, c).Put("Bold", std::int32_t{0});
    }
    document_.Object("Sections")
        .Object("Item", {std::int32_t{1}})
        .Object("Footers")
        .Object("Item", {std::int32_t{1}})
        .Object("Range")
        .Put("Text", kExportFooter);
  }

 private:
  std::int32_t Columns() const { return static_cast<std::int32_t>(job_.columns.size()); }
  // Every write goes through its own path from the table.
  OleObject CellRange(std::int32_t row, std::int32_t column) const {
    return table_.CallObject("Cell", {row, column}).Object("Range");
  }
  OleObject CellFont(std::int32_t row, std::int32_t column) const {
    return CellRange(row, column).Object("Font");
  }
  void WriteCell(std::int32_t row, std::int32_t column, const Variant& text) const {
    CellRange(row, column).Put("Text", text);
    CellFont(row, column).Put("Size", kCellFontSize);
    CellFont(row, column).Put("Name", "Arial");
  }

  const TExportJob& job_;
  const TfrmProgress& dialog_;
  OleObject application_;
  OleObject document_;
  OleObject selection_;
  OleObject table_;
  std::int32_t rows_ = 1;
};

}  // namespace

std::unique_ptr<TExportWriter> MakeDocumentWriter(const TExportJob& job, const TfrmProgress& dialog,
                                                  OleObject application) {
  return std::make_unique<DocumentWriter>(job, dialog, std::move(application));
}

}  // namespace gui
