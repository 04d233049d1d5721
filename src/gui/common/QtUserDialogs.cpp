#include "QtUserDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <algorithm>

#include "AnsiText.h"
#include "ApplicationTitle.h"

namespace gui {

namespace {

QMessageBox::Icon ToQtIcon(mapi::BoxIcon icon) {
  switch (icon) {
    case mapi::BoxIcon::Error:
      return QMessageBox::Critical;
    case mapi::BoxIcon::Warning:
      return QMessageBox::Warning;
    case mapi::BoxIcon::Information:
      return QMessageBox::Information;
    case mapi::BoxIcon::Question:
      return QMessageBox::Question;
    case mapi::BoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Modal, with one OK button; `parent` null makes it a box of its own,
// owned by no window.
void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
             const std::string& text) {
  QMessageBox box(icon, caption, DisplayText(text), QMessageBox::Ok, parent);
  PrepareMessageBox(box);
  box.exec();
}

// Ends the preview's event loop when the preview window is hidden (closing
// hides it; a close that is refused does not).
class PreviewCloseWatch final : public QObject {
 public:
  PreviewCloseWatch(QEventLoop* loop, QObject* parent) : QObject(parent), loop_(loop) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      loop_->quit();
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }

 private:
  QEventLoop* loop_;
};

}  // namespace

void PrepareMessageBox(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  // The texts come wrapped at their own columns; a second wrap by the box
  // would break their lines again, so the label is made as wide as the
  // longest line.
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label) return;
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString& line : box.text().split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  label->setMinimumWidth(widest + 2);
}

QString DisplayText(const std::string& text) {
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lf.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lf.push_back(text[i]);
    }
  }
  return FromAnsi(lf);
}

void QtUserDialogs::ErrorBox(const std::string& text) {
  ShowBox(QApplication::activeWindow(), QMessageBox::Critical, QStringLiteral("Error"), text);
}

void QtUserDialogs::PlainBox(const std::string& text) {
  ShowBox(QApplication::activeWindow(), QMessageBox::NoIcon,
          QString::fromStdString(mapi::ApplicationTitle()), text);
}

void QtUserDialogs::SystemBox(const std::string& text, const std::string& caption,
                              mapi::BoxIcon icon) {
  ShowBox(nullptr, ToQtIcon(icon), FromAnsi(caption), text);
}

bool QtUserDialogs::Question(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), DisplayText(text),
                  QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
  PrepareMessageBox(box);
  return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::ShowHourglass() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ++hourglassDepth_;
}

void QtUserDialogs::RestoreCursor() {
  if (hourglassDepth_ == 0) return;
  QApplication::restoreOverrideCursor();
  --hourglassDepth_;
}

int QtUserDialogs::ExecModal(QDialog& dialog) {
  return dialog.exec();
}

void QtUserDialogs::OneShot(QObject* context, int milliseconds, std::function<void()> fire) {
  QTimer::singleShot(milliseconds, context, std::move(fire));
}

std::optional<SaveFileChoice> QtUserDialogs::SaveFileName(QWidget* owner,
                                                          const SaveFileRequest& request) {
  QFileDialog dialog(owner, request.caption);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(request.filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
    dialog.selectNameFilter(request.filters[request.selectedFilter]);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return SaveFileChoice{
      dialog.selectedFiles().front(),
      std::max(0, static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter())))};
}

bool QtUserDialogs::PrintDialog(QWidget* owner, QPrinter& printer, int fromPage, int toPage) {
  QPrintDialog dialog(&printer, owner);
  dialog.setMinMax(fromPage, toPage);
  dialog.setFromTo(fromPage, toPage);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  return dialog.exec() == QDialog::Accepted;
}

void QtUserDialogs::RunPreview(QWidget& preview) {
  // The preview is a window of its own; the call waits for it to close, as
  // a modal window would, while the program's events keep flowing.
  QEventLoop loop;
  QPointer<QWidget> watched(&preview);
  preview.setAttribute(Qt::WA_DeleteOnClose, false);
  preview.setWindowModality(Qt::ApplicationModal);
  preview.installEventFilter(new PreviewCloseWatch(&loop, &preview));
  QObject::connect(&preview, &QObject::destroyed, &loop, &QEventLoop::quit);
  preview.showMaximized();
  if (watched && watched->isVisible()) loop.exec();
}

}  // namespace gui
