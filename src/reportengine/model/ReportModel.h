// The report definition: page, bands, printable items and callbacks. Plain
// data that a report sets up once; the page builder only reads it. All
// positions and sizes are millimetres; item positions are relative to the
// band's top left corner at the left page margin.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "RecordSource.h"

namespace reportengine {

// A font as a report asks for it; the builder resolves the family (see
// Fonts.h), so "Arial" prints with the metric-compatible face installed.
struct FontSpec {
  QString family = QStringLiteral("Arial");
  double pointSize = 10;
  bool bold = false;
  bool italic = false;
  bool operator==(const FontSpec&) const = default;
};

enum class Align { Left, Right, Center };

// Which band edges carry a line.
struct Frame {
  bool top = false;
  bool bottom = false;
  bool left = false;
  bool right = false;
};

enum class ItemKind {
  Label,       // `text` is printed as it stands (a report may change it at run time)
  DataField,   // `text` names a field of the report's record source
  Expression,  // `text` is an expression (see Expression.h)
  SystemData,  // `system` says what
  Picture,     // `picture` is drawn into the item's box
};

enum class SystemData { DateTime, PageNumber };

struct Item {
  QString name;  // for FindItem and for error texts
  ItemKind kind = ItemKind::Label;
  QString text;
  SystemData system = SystemData::PageNumber;  // SystemData items; for DateTime a
                                               // non-empty `text` is a QDateTime format
  double left = 0;
  double top = 0;
  double width = 0;   // ignored with autoSize
  double height = 0;  // 0: one line of the item's font
  Align alignment = Align::Left;
  bool centerOnBand = false;  // the item's box is centred on the band's width
  // The width follows the text. The anchor is the edge the text is aligned
  // to: a right-aligned item keeps its right edge (left + width).
  bool autoSize = false;
  bool stretch = false;          // word wrap within the width; the band grows to fit
  std::optional<FontSpec> font;  // the band's font when empty
  bool transparent = true;
  QColor background = Qt::white;  // used when not transparent
  QImage picture;                 // a null image draws nothing and is reported
  // Expressions only: sums start over after the item has printed.
  bool resetAfterPrint = false;
};

enum class BandKind {
  Title,
  ColumnHeader,
  GroupHeader,
  Detail,
  Child,
  GroupFooter,
  Summary,
  PageFooter
};

struct Band {
  BandKind kind = BandKind::Detail;
  QString name;
  double height = 0;
  QColor background;  // invalid: none
  Frame frame;
  std::optional<FontSpec> font;  // the report's base font when empty
  // Group headers: keep the header on the page of the group's first detail.
  bool keepOnOnePage = false;
  std::vector<Item> items;
  std::vector<Band> children;  // printed right after this band, in order
};

// A group: the header prints before the first record and whenever the
// expression's value changes; the footer closes the group before that.
struct Group {
  QString expression;
  Band header;
  std::optional<Band> footer;
};

struct PageSetup {
  double width = 215.9;  // US Letter, portrait
  double height = 279.4;
  double leftMargin = 10;
  double topMargin = 10;
  double rightMargin = 10;
  double bottomMargin = 10;
  double PrintableWidth() const { return width - leftMargin - rightMargin; }
};

class Report {
 public:
  QString title;  // also the print job's name
  PageSetup page;
  FontSpec baseFont;
  bool printIfEmpty = true;  // title, headers, summary and footer without records
  bool pageFooterOnLastPage = true;

  std::optional<Band> titleBand;
  std::optional<Band> columnHeader;  // at the top of every page
  std::vector<Group> groups;         // outermost first
  Band detail;
  std::optional<Band> summary;
  std::optional<Band> pageFooter;

  // Borrowed; when set the builder walks it, otherwise it calls needData.
  const RecordSource* source = nullptr;

  // Called before every run over the data (preview, print, save).
  std::function<void()> beforePrint;
  // Called once per detail band and once more; returns whether a record
  // follows. Sets the items it wants printed and the progress.
  std::function<bool()> needData;
  // When set, called instead of showing the standard preview window: the
  // report shows a preview of its own.
  std::function<void()> preview;
  // How date-time items without a format of their own print the time of
  // printing; the system locale's short form when empty.
  std::function<QString(const QDateTime&)> dateTimeText;

  // The need-data callback's progress in percent.
  void SetProgress(int percent) { progress_ = percent; }
  int Progress() const { return progress_; }

  // The first item of that name in any band, or null. Pointers stay valid
  // while the band structure is left alone.
  Item* FindItem(const QString& name);

 private:
  int progress_ = 0;
};

}  // namespace reportengine
