// A horizontal header that shortens a caption too wide for its column with
// an ellipsis, as the platform's list headers do, instead of clipping it.
#pragma once

#include <QHeaderView>

namespace gui {

class TElidingHeader : public QHeaderView {
 public:
  explicit TElidingHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
};

}  // namespace gui
