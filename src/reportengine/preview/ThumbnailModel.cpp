#include "ThumbnailModel.h"

#include <QPainter>

#include "PagePainter.h"

namespace reportengine {

void ThumbnailModel::SetDocument(const Document* document) {
  beginResetModel();
  document_ = document;
  drawn_.clear();
  endResetModel();
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !document_ ? 0 : static_cast<int>(document_->pages.size());
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
  if (!document_ || !index.isValid()) return {};
  if (role == Qt::DisplayRole) return QString::number(index.row() + 1);
  if (role != Qt::DecorationRole) return {};
  auto found = drawn_.find(index.row());
  if (found == drawn_.end()) {
    QPixmap pixmap(
        QSizeF(document_->pageWidth * kPixelsPerMm, document_->pageHeight * kPixelsPerMm).toSize());
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    PaintPage(painter, document_->pages[index.row()], kPixelsPerMm);
    painter.setPen(Qt::gray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    found = drawn_.insert(index.row(), pixmap);
  }
  return *found;
}

}  // namespace reportengine
