#include "PageBuilder.h"

#include <QLocale>
#include <algorithm>
#include <map>
#include <type_traits>

#include "BandLayout.h"
#include "Expression.h"

namespace reportengine {

namespace {

class Builder {
 public:
  Builder(Report& report, const BuildOptions& options)
      : r_(report), options_(options), layout_(report, fonts_, doc_.warnings) {
    doc_.title = report.title;
    doc_.pageWidth = report.page.width;
    doc_.pageHeight = report.page.height;
  }

  std::optional<Document> Run() {
    if (r_.beforePrint) r_.beforePrint();
    Compile();
    bool more = Next();
    if (!more && !r_.printIfEmpty) return std::move(doc_);
    StartPage();
    std::vector<Value> groupValues(r_.groups.size());
    bool first = true;
    while (more) {
      std::size_t changed = r_.groups.size();
      for (std::size_t i = 0; i < r_.groups.size(); ++i) {
        if (first || Evaluate(groupExpressions_[i], r_.groups[i].header.name) != groupValues[i]) {
          changed = i;
          break;
        }
      }
      if (!first) {
        // Footers show the group they close: the record before this one.
        shownRow_ = row_ - 1;
        CloseGroups(changed);
        shownRow_ = row_;
      }
      for (std::size_t i = changed; i < r_.groups.size(); ++i) {
        groupValues[i] = Evaluate(groupExpressions_[i], r_.groups[i].header.name);
        const Band& header = r_.groups[i].header;
        // Kept on one page: the header goes where its first record goes.
        const double keep = header.keepOnOnePage ? Lay(r_.detail).height : 0;
        Place(header, keep);
      }
      for (auto& entry : expressions_)
        Guard(entry.first->name, [&] { entry.second.Accumulate(record_); });
      Place(r_.detail);
      first = false;
      if (!Tell(source_ ? row_ * 100 / std::max(1, source_->RowCount()) : r_.Progress()))
        return std::nullopt;
      more = Next();
    }
    if (!first) CloseGroups(0);
    if (r_.summary) Place(*r_.summary);
    if (r_.pageFooterOnLastPage) FinishPage();
    if (!Tell(100)) return std::nullopt;
    return std::move(doc_);
  }

 private:
  bool Tell(int percent) { return !options_.progress || options_.progress(percent); }

  // Runs `f`, naming the item or band in the error it raises.
  template <typename F>
  std::invoke_result_t<F> Guard(const QString& name, F f) {
    try {
      return f();
    } catch (const ExpressionError& e) {
      throw ReportError(
          QStringLiteral("\"%1\": %2").arg(name, QString::fromStdString(e.what())).toStdString());
    }
  }

  void CompileBand(const Band& band, const QStringList& fields) {
    for (const Item& item : band.items) {
      if (item.kind == ItemKind::Expression || item.kind == ItemKind::DataField)
        expressions_.emplace(
            &item, Guard(item.name, [&] { return Expression::Parse(item.text, fields); }));
    }
    for (const Band& child : band.children) CompileBand(child, fields);
  }

  void Compile() {
    source_ = r_.source;
    const QStringList fields = source_ ? source_->FieldNames() : QStringList();
    for (const auto* band :
         {r_.titleBand ? &*r_.titleBand : nullptr, r_.columnHeader ? &*r_.columnHeader : nullptr,
          &r_.detail, r_.summary ? &*r_.summary : nullptr,
          r_.pageFooter ? &*r_.pageFooter : nullptr})
      if (band) CompileBand(*band, fields);
    for (const Group& group : r_.groups) {
      CompileBand(group.header, fields);
      if (group.footer) CompileBand(*group.footer, fields);
      groupExpressions_.push_back(
          Guard(group.header.name, [&] { return Expression::Parse(group.expression, fields); }));
    }
    if (source_) record_ = [this](int field) { return source_->At(shownRow_, field); };
  }

  Value Evaluate(const Expression& e, const QString& name) {
    return Guard(name, [&] { return e.Evaluate(record_); });
  }

  bool Next() {
    if (source_) {
      if (row_ + 1 >= source_->RowCount()) return false;
      shownRow_ = ++row_;
      return true;
    }
    return r_.needData && r_.needData();
  }

  QString TextOf(const Item& item) {
    switch (item.kind) {
      case ItemKind::Label:
        return item.text;
      case ItemKind::DataField:
      case ItemKind::Expression:
        return ValueText(Evaluate(expressions_.at(&item), item.name));
      case ItemKind::SystemData:
        if (item.system == SystemData::PageNumber) return QString::number(pageNumber_);
        if (!item.text.isEmpty()) return options_.printTime.toString(item.text);
        return r_.dateTimeText
                   ? r_.dateTimeText(options_.printTime)
                   : QLocale::system().toString(options_.printTime, QLocale::ShortFormat);
      case ItemKind::Picture:
        break;
    }
    return QString();
  }

  LaidOutBand Lay(const Band& band) {
    return layout_.Layout(band, [this](const Item& item) { return TextOf(item); });
  }

  void ResetPrinted(const Band& band) {
    for (const Item& item : band.items)
      if (item.resetAfterPrint && expressions_.count(&item)) expressions_.at(&item).ResetSums();
  }

  // Places `band` and its children; `keep` more millimetres must fit below it.
  void Place(const Band& band, double keep = 0, bool mayMove = true) {
    LaidOutBand laid = Lay(band);
    const double room = limit_ - y_;
    if (mayMove && laid.height + keep > room &&
        (pageHasBody_ || (laid.height + keep <= FreshRoom() && room < FreshRoom()))) {
      FinishPage();
      StartPage();
      laid = Lay(band);  // page numbers may have changed
    }
    Emit(laid, band.name);
    pageHasBody_ = pageHasBody_ || mayMove;
    ResetPrinted(band);
    for (const Band& child : band.children) Place(child, 0, mayMove);
  }

  // Puts a laid-out band at the current position; what lies below the
  // page's last line is cut off.
  void Emit(const LaidOutBand& laid, const QString& name) {
    const double room = limit_ - y_;
    const bool cut = laid.height > room + 1e-9;
    if (cut)
      doc_.warnings.append(QStringLiteral("Band \"%1\" (%2 mm) is taller than the page and was cut")
                               .arg(name)
                               .arg(laid.height, 0, 'f', 1));
    const double dx = r_.page.leftMargin;
    const double dy = y_;
    auto& out = doc_.pages.back().elements;
    for (Element e : laid.elements) {
      bool keepIt = true;
      std::visit(
          [&](auto& el) {
            using T = std::decay_t<decltype(el)>;
            if constexpr (std::is_same_v<T, LineSegment>) {
              el.x1 += dx, el.x2 += dx, el.y1 += dy, el.y2 += dy;
              keepIt = !cut || std::max(el.y1, el.y2) <= limit_ + 1e-9;
            } else {
              el.x += dx, el.y += dy;
              if constexpr (std::is_same_v<T, FilledRect>) {
                if (cut) el.height = std::min(el.height, limit_ - el.y);
              } else {
                keepIt = !cut || el.y + el.height <= limit_ + 1e-9;
              }
            }
          },
          e);
      if (keepIt) out.push_back(std::move(e));
    }
    y_ += std::min(laid.height, room);
  }

  double FreshRoom() const { return limit_ - r_.page.topMargin - columnHeaderHeight_; }

  void StartPage() {
    doc_.pages.emplace_back();
    ++pageNumber_;
    y_ = r_.page.topMargin;
    pageHasBody_ = false;
    footer_ = r_.pageFooter ? Lay(*r_.pageFooter) : LaidOutBand{};
    limit_ = r_.page.height - r_.page.bottomMargin - footer_.height;
    if (pageNumber_ == 1 && r_.titleBand) Place(*r_.titleBand, 0, false);
    const double top = y_;
    if (r_.columnHeader) Place(*r_.columnHeader, 0, false);
    columnHeaderHeight_ = y_ - top;
  }

  void FinishPage() {
    if (!r_.pageFooter) return;
    y_ = limit_;
    limit_ = r_.page.height - r_.page.bottomMargin;
    Emit(footer_, r_.pageFooter->name);
  }

  // Footers from the innermost group out to group `outer`.
  void CloseGroups(std::size_t outer) {
    for (std::size_t i = r_.groups.size(); i-- > outer;)
      if (r_.groups[i].footer) Place(*r_.groups[i].footer);
  }

  Report& r_;
  const BuildOptions& options_;
  Document doc_;
  FontCache fonts_;
  BandLayout layout_;
  std::map<const Item*, Expression> expressions_;
  std::vector<Expression> groupExpressions_;
  const RecordSource* source_ = nullptr;
  int row_ = -1;       // the current record
  int shownRow_ = -1;  // the record data-bound items print
  RecordView record_;
  int pageNumber_ = 0;
  double y_ = 0;
  double limit_ = 0;
  double columnHeaderHeight_ = 0;
  bool pageHasBody_ = false;
  LaidOutBand footer_;
};

}  // namespace

std::optional<Document> BuildPages(Report& report, const BuildOptions& options) {
  return Builder(report, options).Run();
}

}  // namespace reportengine
