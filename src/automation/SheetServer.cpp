// The spreadsheet server (libtabrixxl.so, "Excel.Application"): workbooks
// of one sheet kept in memory, cells with values, number formats and
// fonts; each new workbook becomes BookN.xlsx in the documents folder when
// the application is shown, and is handed to the desktop.
#include <memory>
#include <vector>

#include "LocaleSettings.h"
#include "OfficeServers.h"
#include "ServerBase.h"
#include "ServerFiles.h"
#include "SheetModel.h"

namespace automation::server {
namespace {

constexpr const char* kSource = "Spreadsheet";
constexpr std::size_t kMaxCellText = 32767;

struct Application {
  std::vector<std::shared_ptr<Workbook>> books;
  int nextNumber = 1;
  bool visible = false;
};

class SheetObject : public DispatchObject {
 protected:
  const char* Source() const override { return kSource; }
};

class FontObject final : public SheetObject {
 public:
  explicit FontObject(std::shared_ptr<Workbook> book, std::int64_t row, std::int64_t column)
      : book_(std::move(book)), at_(row, column) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    CellFont& f = book_->cells[at_].font;
    const bool put = kind == InvokeKind::Put;
    if (put) args.Expect(1);
    if (MemberIs(name, "Size")) {
      if (!put) return f.size.value_or(11.0);
      const std::int64_t size = args.Integer(0);
      if (size < 1 || size > 409)
        throw ServerError("Unable to set the Size property of the Font class");
      f.size = static_cast<double>(size);
    } else if (MemberIs(name, "Name")) {
      if (!put) return f.name.value_or("Calibri");
      f.name = args.Text(0);
    } else if (MemberIs(name, "Bold")) {
      if (!put) return f.bold.value_or(false);
      f.bold = args.Truth(0);
    } else if (MemberIs(name, "Italic")) {
      if (!put) return f.italic.value_or(false);
      f.italic = args.Truth(0);
    } else if (MemberIs(name, "FontStyle")) {
      if (!put) return Style(f);
      SetStyle(f, args.Text(0));
    } else {
      MemberMissing();
    }
    return {};
  }

 private:
  static std::string Style(const CellFont& f) {
    const bool bold = f.bold.value_or(false), italic = f.italic.value_or(false);
    return bold && italic ? "Bold Italic" : bold ? "Bold" : italic ? "Italic" : "Regular";
  }
  static void SetStyle(CellFont& f, const std::string& style) {
    static constexpr struct {
      const char* name;
      bool bold, italic;
    } kStyles[] = {{"Regular", false, false},
                   {"Bold", true, false},
                   {"Italic", false, true},
                   {"Bold Italic", true, true}};
    for (const auto& s : kStyles) {
      if (MemberIs(style, s.name)) {
        f.bold = s.bold;
        f.italic = s.italic;
        return;
      }
    }
    throw ServerError("Unable to set the FontStyle property of the Font class: \"" + style + "\"");
  }

  std::shared_ptr<Workbook> book_;
  std::pair<std::int64_t, std::int64_t> at_;
};

class CellObject final : public SheetObject {
 public:
  CellObject(std::shared_ptr<Workbook> book, std::int64_t row, std::int64_t column)
      : book_(std::move(book)), row_(row), column_(column) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    const bool put = kind == InvokeKind::Put;
    if (put) args.Expect(1);
    if (MemberIs(name, "Font")) return MakeObject<FontObject>(book_, row_, column_);
    SheetCell& cell = book_->cells[{row_, column_}];
    if (MemberIs(name, "Value")) {
      if (!put) return cell.value;
      const Variant& v = args[0];
      if (v.Type() == VarType::Dispatch)
        throw ServerError("Unable to set the Value property of the Range class");
      if (const auto* s = v.If<std::string>(); s && s->size() > kMaxCellText)
        throw ServerError(
            "Unable to set the Value property of the Range class: a cell holds "
            "at most 32767 characters");
      if (const auto* d = v.If<DateValue>(); d && d->days < 0)
        throw ServerError(
            "Unable to set the Value property of the Range class: dates before "
            "1900 cannot be shown");
      cell.value = v;
    } else if (MemberIs(name, "NumberFormat")) {
      if (!put) return cell.numberFormat.empty() ? std::string("General") : cell.numberFormat;
      cell.numberFormat = StandardNumberFormat(args.Text(0), platform::CurrentLocale());
    } else {
      MemberMissing();
    }
    return {};
  }

 private:
  std::shared_ptr<Workbook> book_;
  std::int64_t row_, column_;
};

class CellsObject final : public SheetObject {
 public:
  explicit CellsObject(std::shared_ptr<Workbook> book) : book_(std::move(book)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (!MemberIs(name, "Item") || kind == InvokeKind::Put) MemberMissing();
    args.Expect(2);
    const std::int64_t row = args.Integer(0), column = args.Integer(1);
    if (row < 1 || row > kSheetRows || column < 1 || column > kSheetColumns)
      throw ServerError("Cells.Item: row " + std::to_string(row) + ", column " +
                        std::to_string(column) + " is outside the sheet");
    return MakeObject<CellObject>(book_, row, column);
  }

 private:
  std::shared_ptr<Workbook> book_;
};

class WorkbookObject final : public SheetObject {
 public:
  explicit WorkbookObject(std::shared_ptr<Workbook> book) : book_(std::move(book)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    args.Expect(0);
    if (MemberIs(name, "Name")) return "Book" + std::to_string(book_->number);
    // One sheet per workbook; it is the sheet itself that holds the cells.
    if (MemberIs(name, "ActiveSheet")) return MakeObject<WorkbookObject>(book_);
    if (MemberIs(name, "Cells")) return MakeObject<CellsObject>(book_);
    MemberMissing();
  }

 private:
  std::shared_ptr<Workbook> book_;
};

class WorkbooksObject final : public SheetObject {
 public:
  explicit WorkbooksObject(std::shared_ptr<Application> app) : app_(std::move(app)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    if (MemberIs(name, "Count")) return static_cast<std::int32_t>(app_->books.size());
    if (!MemberIs(name, "Add")) MemberMissing();
    args.Expect(0);
    auto book = std::make_shared<Workbook>();
    book->number = app_->nextNumber++;
    app_->books.push_back(book);
    return MakeObject<WorkbookObject>(book);
  }

 private:
  std::shared_ptr<Application> app_;
};

class ApplicationObject final : public SheetObject {
 public:
  ApplicationObject() : app_(std::make_shared<Application>()) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (MemberIs(name, "WorkBooks") && kind != InvokeKind::Put)
      return MakeObject<WorkbooksObject>(app_);
    if (!MemberIs(name, "Visible")) MemberMissing();
    if (kind != InvokeKind::Put) return app_->visible;
    args.Expect(1);
    app_->visible = args.Truth(0);
    // Each one is written once, the first time the application is shown
    // with it.
    if (app_->visible) ShowNewItems(app_->books, "Book", ".xlsx", WriteWorkbook);
    return {};
  }

 private:
  std::shared_ptr<Application> app_;
};

DispatchRef CreateSpreadsheet() {
  return MakeObject<ApplicationObject>();
}

}  // namespace
}  // namespace automation::server

// The class the spreadsheet server is registered under.
extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID& clsid,
                                                                            REFIID riid,
                                                                            void** object) {
  return automation::server::ServeClassObject(clsid, &automation::kSpreadsheetClass,
                                              automation::server::CreateSpreadsheet, riid, object);
}
