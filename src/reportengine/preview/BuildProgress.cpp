#include "BuildProgress.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace reportengine {

namespace {

class ProgressWindow final : public QDialog {
 public:
  explicit ProgressWindow(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QString::fromLatin1(kBuildProgressCaption));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    auto* cancel = new QPushButton(QString::fromLatin1(kBuildProgressCancel), this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    setFixedSize(300, sizeHint().height());
  }

  void Show(int percent) {
    bar_->setValue(percent);
    label_->setText(QStringLiteral("%1%").arg(percent));
  }
  bool Cancelled() const { return cancelled_; }

 protected:
  // Closing the window is cancelling the build.
  void reject() override { cancelled_ = true; }

 private:
  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace

std::optional<Document> BuildWithProgress(Report& report, QWidget* owner, int showAfterMs) {
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<ProgressWindow> window;
  int shown = -1;
  BuildOptions options;
  options.progress = [&](int percent) {
    if (!window && clock.elapsed() >= showAfterMs) {
      window = std::make_unique<ProgressWindow>(owner);
      window->show();
    }
    if (window && percent != shown) {
      shown = percent;
      window->Show(percent);
      // Lets the window paint and its Cancel button be pressed.
      QCoreApplication::processEvents();
    }
    return !(window && window->Cancelled());
  };
  return BuildPages(report, options);
}

}  // namespace reportengine
