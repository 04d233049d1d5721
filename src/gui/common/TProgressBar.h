// The progress bar of the load: minimum, maximum, position and a step of
// one. A step repaints only when the filled part grows by a pixel, and then
// later, with the next round of pending messages, so that stepping through
// a large table costs next to nothing.
#pragma once

#include <QWidget>

namespace gui {

class TProgressBar : public QWidget {
 public:
  explicit TProgressBar(QWidget* parent);

  void SetRange(int minimum, int maximum);
  void SetStep(int step) { step_ = step; }
  // Advances the position by the step, wrapping to the minimum past the
  // maximum as the platform's progress bar does.
  void StepIt();
  int Maximum() const { return maximum_; }
  int Position() const { return position_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int FilledWidth() const;

  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  int step_ = 1;
  int painted_ = 0;  // filled width last asked to paint
};

}  // namespace gui
