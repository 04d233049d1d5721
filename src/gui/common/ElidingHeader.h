// A horizontal header that shortens a caption too wide for its column with
// an ellipsis, as the platform's list headers do, instead of clipping it,
// and shows the whole caption as the tooltip of a shortened one.
#pragma once

#include <QHeaderView>

namespace gui {

class TElidingHeader : public QHeaderView {
 public:
  explicit TElidingHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  // The whole caption of a section its column shortens, else empty.
  QString ClippedCaption(int logicalIndex) const;

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
  bool viewportEvent(QEvent* event) override;

 private:
  int CaptionRoom(const QStyleOptionHeader& option, int logicalIndex) const;
};

}  // namespace gui
