// Holds back the user's input to one window while a long operation runs in
// it, so that the points where pending events are processed cannot start a
// second operation. A close asked for meanwhile happens when the hold ends.
// Holds nest: the window is free again when the outermost one ends.
#pragma once

#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

namespace gui {

class TInputHold final : public QObject {
 public:
  explicit TInputHold(QWidget& window);
  ~TInputHold() override;
  TInputHold(const TInputHold&) = delete;
  TInputHold& operator=(const TInputHold&) = delete;

  bool Busy() const { return depth_ > 0; }

  // For the window's close handler: true when the close must wait for the
  // hold to end (it is then remembered and carried out afterwards).
  bool DeferClose();

  // Input to `widget` reaches it even during a hold (a Stop button).
  void LetThrough(QWidget* widget) { letThrough_ = widget; }

  // One hold, for its lifetime.
  class Scope {
   public:
    explicit Scope(TInputHold& hold);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    TInputHold& hold_;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Begin();
  void End();

  QWidget& window_;
  QPointer<QWidget> letThrough_;
  int depth_ = 0;              // nesting depth of the holds
  bool closePending_ = false;  // a close asked for while held
};

}  // namespace gui
