// The thumbnail pane's pages: small pictures drawn when first shown.
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>

#include "DisplayList.h"

namespace reportengine {

class ThumbnailModel final : public QAbstractListModel {
 public:
  // Pixels per millimetre of a thumbnail: a Letter page is about 108 x 140.
  static constexpr double kPixelsPerMm = 0.5;

  explicit ThumbnailModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  // `document` is borrowed; null empties the pane.
  void SetDocument(const Document* document);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const Document* document_ = nullptr;
  mutable QHash<int, QPixmap> drawn_;
};

}  // namespace reportengine
