#include "PreviewWindow.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "BuildProgress.h"
#include "PageView.h"
#include "ThumbnailModel.h"

namespace reportengine {

namespace {

constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 4000;
constexpr int kPagePad = 12;  // pixels around the page in the view

}  // namespace

PreviewWindow::PreviewWindow(Report& report, PreviewDialogs& dialogs, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      report_(report),
      dialogs_(dialogs),
      printer_(QPrinter::HighResolution) {
  setWindowTitle(QStringLiteral("Print Preview"));

  scroll_ = new QScrollArea;
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  scroll_->setBackgroundRole(QPalette::Dark);
  view_ = new PageView;
  scroll_->setWidget(view_);
  scroll_->setWidgetResizable(false);
  scroll_->viewport()->installEventFilter(this);

  thumbnailModel_ = new ThumbnailModel(this);
  thumbnails_ = new QListView;
  thumbnails_->setModel(thumbnailModel_);
  thumbnails_->setViewMode(QListView::IconMode);
  thumbnails_->setFlow(QListView::TopToBottom);
  thumbnails_->setWrapping(false);
  thumbnails_->setUniformItemSizes(true);
  thumbnails_->setIconSize(QSize(110, 142));
  thumbnails_->setFixedWidth(150);
  connect(thumbnails_, &QListView::clicked, this,
          [this](const QModelIndex& index) { GoToPage(index.row() + 1); });

  searchPanel_ = new QWidget;
  auto* searchLayout = new QHBoxLayout(searchPanel_);
  searchLayout->setContentsMargins(4, 2, 4, 2);
  searchLayout->addWidget(new QLabel(QStringLiteral("Find:")));
  searchText_ = new QLineEdit;
  searchLayout->addWidget(searchText_, 1);
  auto* findNext = new QPushButton(QStringLiteral("Find &next"));
  searchLayout->addWidget(findNext);
  const auto find = [this] {
    if (!FindNext(searchText_->text())) statusBar()->showMessage(QStringLiteral("Not found"), 3000);
  };
  connect(findNext, &QPushButton::clicked, this, find);
  connect(searchText_, &QLineEdit::returnPressed, this, find);
  searchPanel_->hide();

  auto* splitter = new QSplitter;
  splitter->addWidget(thumbnails_);
  splitter->addWidget(scroll_);
  splitter->setStretchFactor(1, 1);
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(splitter, 1);
  layout->addWidget(searchPanel_);
  setCentralWidget(central);

  zoomLabel_ = new QLabel;
  pageLabel_ = new QLabel;
  statusBar()->addPermanentWidget(zoomLabel_);
  statusBar()->addPermanentWidget(pageLabel_);
  BuildToolBar();
  UpdateStatus();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::BuildToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Preview"));
  toolBar_->setMovable(false);
  // Tool buttons take no focus, so each command that a keyboard user needs
  // has the key that previews and viewers commonly give it.
  const auto add = [this](QStyle::StandardPixmap icon, const QString& hint, QKeySequence key,
                          auto slot) {
    QAction* action = toolBar_->addAction(style()->standardIcon(icon), hint, this, slot);
    action->setToolTip(hint);
    action->setShortcut(key);
    return action;
  };
  add(QStyle::SP_TitleBarMaxButton, QStringLiteral("Zoom to fit"), {}, [this] { ZoomToFit(); });
  add(QStyle::SP_ToolBarHorizontalExtensionButton, QStringLiteral("Zoom to width"), {},
      [this] { ZoomToWidth(); });
  add(QStyle::SP_TitleBarNormalButton, QStringLiteral("100%"), QKeySequence(Qt::CTRL | Qt::Key_0),
      [this] { SetZoom(100); });
  toolBar_->addSeparator();
  add(QStyle::SP_MediaSkipBackward, QStringLiteral("First page"),
      QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { GoToPage(1); });
  add(QStyle::SP_MediaSeekBackward, QStringLiteral("Previous page"), QKeySequence(Qt::Key_PageUp),
      [this] { GoToPage(page_ - 1); });
  add(QStyle::SP_MediaSeekForward, QStringLiteral("Next page"), QKeySequence(Qt::Key_PageDown),
      [this] { GoToPage(page_ + 1); });
  add(QStyle::SP_MediaSkipForward, QStringLiteral("Last page"),
      QKeySequence(Qt::CTRL | Qt::Key_End), [this] { GoToPage(PageCount()); });
  add(QStyle::SP_ArrowRight, QStringLiteral("Go to page"), QKeySequence(Qt::CTRL | Qt::Key_G),
      [this] { AskPage(); });
  add(QStyle::SP_FileDialogContentsView, QStringLiteral("Search for text"), QKeySequence::Find,
      [this] { SetSearchVisible(!SearchVisible()); });
  toolBar_->addSeparator();
  add(QStyle::SP_FileDialogDetailedView, QStringLiteral("Printer setup"), {},
      [this] { PrinterSetup(); });
  add(QStyle::SP_DialogApplyButton, QStringLiteral("Print"), QKeySequence::Print,
      [this] { Print(); });
  add(QStyle::SP_DialogSaveButton, QStringLiteral("Save Report"), QKeySequence::Save,
      [this] { SaveReport(); });
  add(QStyle::SP_DialogOpenButton, QStringLiteral("Load Report"), QKeySequence::Open,
      [this] { LoadReport(); });
  toolBar_->addSeparator();
  QAction* close = add(QStyle::SP_DialogCloseButton, QStringLiteral("Close preview"),
                       QKeySequence(Qt::Key_Escape), [this] { this->close(); });
  close->setText(QStringLiteral("&Close"));
  close->setToolTip(QStringLiteral("Close preview"));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  if (auto* button = toolBar_->widgetForAction(close))
    static_cast<QToolButton*>(button)->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

QAction* PreviewWindow::Action(const QString& hint) const {
  for (QAction* action : toolBar_->actions())
    if (action->toolTip() == hint) return action;
  return nullptr;
}

bool PreviewWindow::Build() {
  try {
    std::optional<Document> built = BuildWithProgress(report_, this);
    if (!built) return false;
    Show(std::move(*built), false);
  } catch (const std::exception& e) {
    dialogs_.ErrorBox(QString::fromStdString(e.what()));
    return false;
  }
  return true;
}

void PreviewWindow::Show(Document document, bool loaded) {
  document_ = std::move(document);
  loaded_ = loaded;
  thumbnailModel_->SetDocument(&document_);
  lastHit_.reset();
  GoToPage(1);
  // What the builder had to leave out or replace stays visible.
  statusBar()->showMessage(document_.warnings.join(QStringLiteral("; ")));
}

QWidget* PreviewWindow::PageArea() const {
  return view_;
}

double PreviewWindow::PixelsPerMmAt100() const {
  return logicalDpiX() / 25.4;
}

void PreviewWindow::SetZoom(int percent) {
  zoomMode_ = ZoomMode::Fixed;
  ApplyZoom(percent);
}

void PreviewWindow::ApplyZoom(int percent) {
  zoom_ = std::clamp(percent, kMinZoom, kMaxZoom);
  view_->SetPixelsPerMm(PixelsPerMmAt100() * zoom_ / 100.0);
  UpdateStatus();
}

void PreviewWindow::ZoomToWidth() {
  zoomMode_ = ZoomMode::Width;
  const double room = scroll_->viewport()->width() - 2 * kPagePad;
  ApplyZoom(static_cast<int>(std::floor(room / (document_.pageWidth * PixelsPerMmAt100()) * 100)));
}

void PreviewWindow::ZoomToFit() {
  const double width = scroll_->viewport()->width() - 2 * kPagePad;
  const double height = scroll_->viewport()->height() - 2 * kPagePad;
  const double scale = std::min(width / document_.pageWidth, height / document_.pageHeight);
  zoomMode_ = ZoomMode::Fit;
  ApplyZoom(static_cast<int>(std::floor(scale / PixelsPerMmAt100() * 100)));
}

void PreviewWindow::GoToPage(int page) {
  if (document_.pages.empty()) {
    page_ = 0;
  } else {
    page_ = std::clamp(page, 1, PageCount());
  }
  ShowPage();
}

void PreviewWindow::ShowPage() {
  view_->SetPage(page_ > 0 ? &document_.pages[page_ - 1] : nullptr, document_.pageWidth,
                 document_.pageHeight);
  if (page_ > 0) thumbnails_->setCurrentIndex(thumbnailModel_->index(page_ - 1));
  UpdateStatus();
}

void PreviewWindow::UpdateStatus() {
  zoomLabel_->setText(QStringLiteral("%1%").arg(zoom_));
  pageLabel_->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(PageCount()));
}

void PreviewWindow::SetThumbnailsVisible(bool visible) {
  thumbnails_->setVisible(visible);
}
bool PreviewWindow::ThumbnailsVisible() const {
  return !thumbnails_->isHidden();
}

void PreviewWindow::SetSearchVisible(bool visible) {
  searchPanel_->setVisible(visible);
  if (visible) searchText_->setFocus();
}
bool PreviewWindow::SearchVisible() const {
  return !searchPanel_->isHidden();
}

bool PreviewWindow::FindNext(const QString& text) {
  if (text.isEmpty() || document_.pages.empty()) return false;
  // From just after the last hit, round the whole report once.
  const int pages = PageCount();
  int page = lastHit_ ? lastHit_->page : page_ - 1;
  std::size_t from = lastHit_ ? lastHit_->element + 1 : 0;
  for (int step = 0; step <= pages; ++step, page = (page + 1) % pages, from = 0) {
    const auto& elements = document_.pages[page].elements;
    for (std::size_t i = from; i < elements.size(); ++i) {
      const auto* run = std::get_if<TextRun>(&elements[i]);
      if (!run || !run->text.contains(text, Qt::CaseInsensitive)) continue;
      lastHit_ = Hit{page, i};
      GoToPage(page + 1);
      view_->SetHighlight(QRectF(run->x, run->y, run->width, run->height));
      scroll_->ensureVisible(static_cast<int>(run->x * PixelsPerMmAt100() * zoom_ / 100),
                             static_cast<int>(run->y * PixelsPerMmAt100() * zoom_ / 100));
      return true;
    }
  }
  lastHit_.reset();
  return false;
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scroll_->viewport() && event->type() == QEvent::Resize) FollowSize();
  return QMainWindow::eventFilter(watched, event);
}

void PreviewWindow::FollowSize() {
  if (zoomMode_ == ZoomMode::Width) ZoomToWidth();
  if (zoomMode_ == ZoomMode::Fit) ZoomToFit();
}

bool ShowPreview(Report& report, PreviewDialogs& dialogs, QWidget* owner,
                 const PreviewOptions& options) {
  if (report.preview) {
    report.preview();
    return true;
  }
  PreviewWindow window(report, dialogs, owner);
  if (!window.Build()) return false;
  window.SetThumbnailsVisible(options.thumbnails);
  window.setWindowState(window.windowState() | Qt::WindowMaximized);
  dialogs.RunPreview(window);
  return true;
}

}  // namespace reportengine
