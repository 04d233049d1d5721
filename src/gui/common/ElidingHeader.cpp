#include "ElidingHeader.h"

#include <QHelpEvent>
#include <QStyleOptionHeader>
#include <QToolTip>
#include <algorithm>

namespace gui {

int TElidingHeader::CaptionRoom(const QStyleOptionHeader& option, int logicalIndex) const {
  const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
  int room = sectionSize(logicalIndex) - 2 * margin;
  if (!option.icon.isNull())
    room -= style()->pixelMetric(QStyle::PM_SmallIconSize, &option, this) + margin;
  return std::max(room, 0);
}

void TElidingHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
  QHeaderView::initStyleOptionForIndex(option, logicalIndex);
  option->text = option->fontMetrics.elidedText(option->text, Qt::ElideRight,
                                                CaptionRoom(*option, logicalIndex));
}

QString TElidingHeader::ClippedCaption(int logicalIndex) const {
  if (logicalIndex < 0 || logicalIndex >= count()) return {};
  QStyleOptionHeader option;
  QHeaderView::initStyleOptionForIndex(&option, logicalIndex);
  const QString whole = option.text;
  const QString shown =
      option.fontMetrics.elidedText(whole, Qt::ElideRight, CaptionRoom(option, logicalIndex));
  return shown == whole ? QString() : whole;
}

bool TElidingHeader::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString whole = ClippedCaption(logicalIndexAt(help->pos()));
    if (!whole.isEmpty()) {
      QToolTip::showText(help->globalPos(), whole, this);
      return true;
    }
  }
  return QHeaderView::viewportEvent(event);
}

}  // namespace gui
