#include "ElidingHeader.h"

#include <QStyleOptionHeader>

namespace gui {

void TElidingHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
  QHeaderView::initStyleOptionForIndex(option, logicalIndex);
  const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, option, this);
  int room = sectionSize(logicalIndex) - 2 * margin;
  if (!option->icon.isNull())
    room -= style()->pixelMetric(QStyle::PM_SmallIconSize, option, this) + margin;
  option->text = option->fontMetrics.elidedText(option->text, Qt::ElideRight, std::max(room, 0));
}

}  // namespace gui
