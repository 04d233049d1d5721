// The document server (libtabrixwd.so, "Word.Application"): documents of
// paragraphs and tables kept in memory, typed at the end through the
// selection; each new document becomes DocumentN.docx in the documents
// folder when the application is shown, and is handed to the desktop.
#include <functional>
#include <memory>

#include "DocumentModel.h"
#include "OfficeServers.h"
#include "ServerBase.h"
#include "ServerFiles.h"

namespace automation::server {
namespace {

constexpr const char* kSource = "Document";
constexpr std::int64_t kMaxRows = 32767;
constexpr std::int64_t kMaxColumns = 63;

struct Application {
  std::vector<std::shared_ptr<Document>> documents;
  std::shared_ptr<Document> active;
  int nextNumber = 1;
  bool visible = false;
  TextFont selectionFont;
};

class WordObject : public DispatchObject {
 protected:
  const char* Source() const override { return kSource; }
};

using FontAccess = std::function<TextFont&()>;

// The font of a selection or a cell; Bold, Italic and Underline take
// numbers or Booleans, as the object model does.
class FontObject final : public WordObject {
 public:
  explicit FontObject(FontAccess font) : font_(std::move(font)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    TextFont& f = font_();
    const bool put = kind == InvokeKind::Put;
    if (put) args.Expect(1);
    auto flag = [&](bool& value) -> Variant {
      if (!put) return std::int32_t{value ? -1 : 0};
      value = args.Truth(0);
      return {};
    };
    if (MemberIs(name, "Bold")) return flag(f.bold);
    if (MemberIs(name, "Italic")) return flag(f.italic);
    if (MemberIs(name, "Underline")) return flag(f.underline);
    if (MemberIs(name, "Size")) {
      if (!put) return f.size.value_or(12.0);
      const std::int64_t size = args.Integer(0);
      if (size < 1 || size > 1638) throw ServerError("The font size must be between 1 and 1638.");
      f.size = static_cast<double>(size);
      return {};
    }
    if (MemberIs(name, "Name")) {
      if (!put) return f.name.value_or("Times New Roman");
      f.name = args.Text(0);
      return {};
    }
    MemberMissing();
  }

 private:
  FontAccess font_;
};

// A range that only carries text: a cell's or the footer's.
class TextRangeObject final : public WordObject {
 public:
  TextRangeObject(std::function<std::string&()> text, FontAccess font)
      : text_(std::move(text)), font_(std::move(font)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (MemberIs(name, "Font") && font_ && kind != InvokeKind::Put)
      return MakeObject<FontObject>(font_);
    if (!MemberIs(name, "Text")) MemberMissing();
    if (kind != InvokeKind::Put) return text_();
    args.Expect(1);
    if (args[0].Type() == VarType::Dispatch) throw ServerError("Type mismatch: Text");
    text_() = ValueText(args[0], platform::CurrentLocale());
    return {};
  }

 private:
  std::function<std::string&()> text_;
  FontAccess font_;
};

// The insertion point of a document, as Selection.Range gives it.
class InsertionRange final : public WordObject {
 public:
  explicit InsertionRange(std::shared_ptr<Document> document) : document_(std::move(document)) {}
  const std::shared_ptr<Document>& document() const { return document_; }

 protected:
  Variant Dispatch(std::string_view, InvokeKind, const Args&) override { MemberMissing(); }

 private:
  std::shared_ptr<Document> document_;
};

class TableObject final : public WordObject {
 public:
  TableObject(std::shared_ptr<Document> document, std::size_t block)
      : document_(std::move(document)), block_(block) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    Table& t = std::get<Table>(document_->body[block_]);
    if (MemberIs(name, "Cell")) {
      args.Expect(2);
      const std::int64_t row = args.Integer(0), column = args.Integer(1);
      if (row < 1 || row > t.rows || column < 1 || column > t.columns)
        throw ServerError("The requested member of the collection does not exist.");
      auto doc = document_;
      const std::size_t block = block_;
      auto cell = [doc, block, row, column]() -> TableCell& {
        return std::get<Table>(doc->body[block])
            .At(static_cast<int>(row), static_cast<int>(column));
      };
      return MakeObject<CellObject>(cell);
    }
    if (MemberIs(name, "AutoFormat")) {
      // Format, borders, shading, font, colour, heading rows, last row,
      // first column, last column, fit to contents.
      args.Expect(10);
      const std::int64_t format = args.Integer(0);
      if (format < 0 || format > 42)
        throw ServerError("The requested table format does not exist.");
      t.formatted = true;
      t.borders = args.Truth(1);
      t.fitToContents = args.Truth(9);
      return {};
    }
    MemberMissing();
  }

 private:
  class CellObject final : public WordObject {
   public:
    explicit CellObject(std::function<TableCell&()> cell) : cell_(std::move(cell)) {}

   protected:
    Variant Dispatch(std::string_view name, InvokeKind kind, const Args&) override {
      if (!MemberIs(name, "Range") || kind == InvokeKind::Put) MemberMissing();
      auto cell = cell_;
      return MakeObject<TextRangeObject>([cell]() -> std::string& { return cell().text; },
                                         [cell]() -> TextFont& { return cell().font; });
    }

   private:
    std::function<TableCell&()> cell_;
  };

  std::shared_ptr<Document> document_;
  std::size_t block_;
};

class TablesObject final : public WordObject {
 public:
  explicit TablesObject(std::shared_ptr<Document> document) : document_(std::move(document)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (!MemberIs(name, "Add") || kind == InvokeKind::Put) MemberMissing();
    args.Expect(3);
    const auto* where = args[0].If<DispatchRef>();
    const auto* range = where ? dynamic_cast<const InsertionRange*>(where->get()) : nullptr;
    if (!range || range->document() != document_)
      throw ServerError("Tables.Add needs a range of the same document.");
    const std::int64_t rows = args.Integer(1), columns = args.Integer(2);
    if (rows < 1 || rows > kMaxRows || columns < 1 || columns > kMaxColumns)
      throw ServerError(
          "The number of rows must be between 1 and 32767 and the number of "
          "columns between 1 and 63.");
    Table table;
    table.rows = static_cast<int>(rows);
    table.columns = static_cast<int>(columns);
    table.cells.resize(static_cast<std::size_t>(rows * columns));
    // An empty paragraph at the insertion point gives way to the table;
    // typing goes on in a paragraph after it.
    auto& body = document_->body;
    const auto* last = std::get_if<Paragraph>(&body.back());
    if (last && last->runs.empty()) body.pop_back();
    body.emplace_back(std::move(table));
    const std::size_t block = body.size() - 1;
    body.emplace_back(Paragraph{});
    return MakeObject<TableObject>(document_, block);
  }

 private:
  std::shared_ptr<Document> document_;
};

// Sections.Item(1).Footers.Item(1): the one section's primary footer.
class FooterPath final : public WordObject {
 public:
  enum class Step { Sections, Section, Footers, Footer };
  FooterPath(std::shared_ptr<Document> document, Step step)
      : document_(std::move(document)), step_(step) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    switch (step_) {
      case Step::Sections:
      case Step::Footers:
        if (!MemberIs(name, "Item")) MemberMissing();
        args.Expect(1);
        if (args.Integer(0) != 1)
          throw ServerError("The requested member of the collection does not exist.");
        return MakeObject<FooterPath>(document_,
                                      step_ == Step::Sections ? Step::Section : Step::Footer);
      case Step::Section:
        if (!MemberIs(name, "Footers")) MemberMissing();
        return MakeObject<FooterPath>(document_, Step::Footers);
      case Step::Footer: {
        if (!MemberIs(name, "Range")) MemberMissing();
        auto doc = document_;
        return MakeObject<TextRangeObject>([doc]() -> std::string& { return doc->footer; },
                                           FontAccess{});
      }
    }
    MemberMissing();
  }

 private:
  std::shared_ptr<Document> document_;
  Step step_;
};

class DocumentObject final : public WordObject {
 public:
  explicit DocumentObject(std::shared_ptr<Document> document) : document_(std::move(document)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args&) override {
    if (kind == InvokeKind::Put) MemberMissing();
    if (MemberIs(name, "Tables")) return MakeObject<TablesObject>(document_);
    if (MemberIs(name, "Sections"))
      return MakeObject<FooterPath>(document_, FooterPath::Step::Sections);
    if (MemberIs(name, "Name")) return "Document" + std::to_string(document_->number);
    MemberMissing();
  }

 private:
  std::shared_ptr<Document> document_;
};

class SelectionObject final : public WordObject {
 public:
  explicit SelectionObject(std::shared_ptr<Application> app) : app_(std::move(app)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    if (MemberIs(name, "Font")) {
      auto app = app_;
      return MakeObject<FontObject>([app]() -> TextFont& { return app->selectionFont; });
    }
    Document& d = Active();
    if (MemberIs(name, "Range")) return MakeObject<InsertionRange>(app_->active);
    if (MemberIs(name, "TypeText")) {
      args.Expect(1);
      auto& runs = std::get<Paragraph>(d.body.back()).runs;
      runs.push_back(Run{args.Text(0), app_->selectionFont});
      return {};
    }
    if (MemberIs(name, "TypeParagraph")) {
      args.Expect(0);
      d.body.emplace_back(Paragraph{});
      return {};
    }
    MemberMissing();
  }

 private:
  Document& Active() {
    if (!app_->active)
      throw ServerError("This command is not available because no document is open.");
    return *app_->active;
  }
  std::shared_ptr<Application> app_;
};

class DocumentsObject final : public WordObject {
 public:
  explicit DocumentsObject(std::shared_ptr<Application> app) : app_(std::move(app)) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind == InvokeKind::Put) MemberMissing();
    if (MemberIs(name, "Count")) return static_cast<std::int32_t>(app_->documents.size());
    if (!MemberIs(name, "Add")) MemberMissing();
    args.Expect(0);
    auto document = std::make_shared<Document>();
    document->number = app_->nextNumber++;
    app_->documents.push_back(document);
    app_->active = document;
    app_->selectionFont = TextFont{};
    return MakeObject<DocumentObject>(document);
  }

 private:
  std::shared_ptr<Application> app_;
};

class ApplicationObject final : public WordObject {
 public:
  ApplicationObject() : app_(std::make_shared<Application>()) {}

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    if (kind != InvokeKind::Put) {
      if (MemberIs(name, "Documents")) return MakeObject<DocumentsObject>(app_);
      if (MemberIs(name, "Selection")) return MakeObject<SelectionObject>(app_);
    }
    if (!MemberIs(name, "Visible")) MemberMissing();
    if (kind != InvokeKind::Put) return app_->visible;
    args.Expect(1);
    app_->visible = args.Truth(0);
    // Each one is written once, the first time the application is shown
    // with it.
    if (app_->visible) ShowNewItems(app_->documents, "Document", ".docx", WriteDocument);
    return {};
  }

 private:
  std::shared_ptr<Application> app_;
};

DispatchRef CreateDocumentApplication() {
  return MakeObject<ApplicationObject>();
}

}  // namespace
}  // namespace automation::server

// The class the document server is registered under.
extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID& clsid,
                                                                            REFIID riid,
                                                                            void** object) {
  return automation::server::ServeClassObject(clsid, &automation::kDocumentClass,
                                              automation::server::CreateDocumentApplication, riid,
                                              object);
}
