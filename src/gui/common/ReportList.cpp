#include "ReportList.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <algorithm>

namespace gui {

namespace {

class TReportListKeys : public QObject {
 public:
  TReportListKeys(QTableView* view, std::function<void()> onEnter)
      : QObject(view), view_(view), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != view_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
        if (key->modifiers() & Qt::ControlModifier) {
          // Ctrl+Tab leaves the list like Tab; without Ctrl the widget's own
          // focus chain handles it.
          QKeyEvent plain(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ControlModifier);
          QCoreApplication::sendEvent(view_, &plain);
          return true;
        }
        return false;
      case Qt::Key_Home:
      case Qt::Key_End: {
        const int rows = view_->model()->rowCount();
        if (rows == 0) return true;
        const int column = std::max(view_->currentIndex().column(), 0);
        const QModelIndex target =
            view_->model()->index(key->key() == Qt::Key_Home ? 0 : rows - 1, column);
        view_->selectionModel()->setCurrentIndex(
            target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view_->scrollTo(target);
        return true;
      }
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (onEnter_) onEnter_();
        return true;
      default:
        return false;
    }
  }

 private:
  QTableView* view_;
  std::function<void()> onEnter_;
};

}  // namespace

void MoveByRows(QTableView* view, std::function<void()> onEnter) {
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setTabKeyNavigation(false);
  view->installEventFilter(new TReportListKeys(view, std::move(onEnter)));
}

}  // namespace gui
