// One page of the preview at the current zoom, with the last search hit
// outlined.
#pragma once

#include <QWidget>
#include <optional>

#include "DisplayList.h"

namespace reportengine {

class PageView final : public QWidget {
 public:
  explicit PageView(QWidget* parent = nullptr) : QWidget(parent) {}

  // `page` is borrowed; null shows nothing.
  void SetPage(const Page* page, double widthMm, double heightMm);
  void SetPixelsPerMm(double pixelsPerMm);
  void SetHighlight(std::optional<QRectF> mm);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Page* page_ = nullptr;
  double widthMm_ = 0;
  double heightMm_ = 0;
  double pixelsPerMm_ = 1;
  std::optional<QRectF> highlight_;
};

}  // namespace reportengine
