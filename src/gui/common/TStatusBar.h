// A status bar of fixed-width panels, each with a text or drawn by its
// owner (a child widget placed over it). The last panel reaches to the
// right edge, as the platform's status bar draws it.
#pragma once

#include <QElapsedTimer>
#include <QStatusBar>
#include <QString>
#include <vector>

namespace gui {

class TStatusBar : public QStatusBar {
 public:
  explicit TStatusBar(QWidget* parent);

  void ClearPanels();
  // Appends a panel and returns its index.
  int AddPanel(int width, const QString& text = QString(), bool ownerDraw = false);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  int PanelWidth(int index) const;
  bool PanelOwnerDraw(int index) const;
  // Where panel `index` lies in the bar.
  QRect PanelRect(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Panel {
    int width = 0;
    QString text;
    bool ownerDraw = false;
  };
  static constexpr qint64 kRepaintIntervalMs = 40;

  std::vector<Panel> panels_;
  QElapsedTimer repainted_;  // since the last repaint a text change asked for
};

}  // namespace gui
