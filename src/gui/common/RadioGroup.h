// A radio group: a framed caption over items laid out in columns, of which
// at most one is chosen; the item index is what the dialogs read back.
// Arrow keys move between the items as between any auto-exclusive radio
// buttons of one parent.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QRadioButton;

namespace gui {

class TRadioGroup final : public QGroupBox {
 public:
  TRadioGroup(QWidget* parent, const QString& caption, const QStringList& items, int columns,
              QRect geometry);

  // The chosen item, -1 when none is.
  int ItemIndex() const;
  // Chooses item `index`; -1 (or any index without an item) clears the choice.
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<QRadioButton*> items_;
};

// Sets `button` as a Windows radio button takes it: unchecking the checked
// button of its group leaves none checked (Qt refuses that for an
// auto-exclusive button).
void SetRadioChecked(QRadioButton* button, bool checked);

// Where a print command sends its output: the items of the print/export group.
enum class TPrintDestination { Preview = 0, Excel = 1, Word = 2 };

// The " Print / Export " group of both print choice dialogs: "Print/Preview",
// "Open with Excel", "Open with Word" in three columns, the first chosen.
TRadioGroup* MakePrintExportGroup(QWidget* parent, QRect geometry);

}  // namespace gui
