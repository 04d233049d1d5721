// The details window's layout, its opening and closing, and the message
// list's sorting.
#include "uMBDetails.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "AnsiText.h"
#include "FixedLayout.h"
#include "GuiLook.h"
#include "Icons.h"
#include "MailboxLogon.h"
#include "MapiErrorText.h"
#include "MessageListModel.h"
#include "MinimumSize.h"
#include "ReportList.h"
#include "TProgressBar.h"
#include "TStatusBar.h"

namespace gui {

int MessageSortColumn = 0;
bool MessageSortAscending = true;

namespace {

constexpr int kNodeDataRole = Qt::UserRole;
constexpr int kNodeImageRole = Qt::UserRole + 1;

}  // namespace

TfmMailboxDetails::TfmMailboxDetails(TGuiDialogs& dialogs, QWidget* owner)
    : QDialog(owner), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Mailbox - Details"));
  resize(615, 445);
  nodeIcons_[0] = QIcon(DetailsImage(kMailboxImage));
  nodeIcons_[1] = QIcon(DetailsImage(kFolderImage));
  if (owner) move(owner->geometry().center() - rect().center());
  BuildControls();
  KeepControlsVisible(this, {pnTop});
  // Everything is released when the modal showing ends, not only when the
  // window is destroyed.
  connect(this, &QDialog::finished, this, [this] { FormClose(); });
}

TfmMailboxDetails::~TfmMailboxDetails() {
  FormClose();
}

void TfmMailboxDetails::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  pnTop = new TBevelPanel(this, Bevel::None, Bevel::None);
  pnTop->setFixedHeight(29);
  layout->addWidget(pnTop);
  SpeedButton1 = MakeSpeedButton(pnTop, QStringLiteral("Close"), QRect(6, 3, 95, 22), true);
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  sbPrint = MakeSpeedButton(pnTop, QStringLiteral("Print"), QRect(107, 3, 95, 22), true);
  sbPrint->setIcon(QIcon(PrintIcon()));
  sbPrint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(sbPrint, &QToolButton::clicked, this, [this] { sbPrintClick(); });

  pnMain = new TBevelPanel(this, Bevel::Lowered, Bevel::None);
  layout->addWidget(pnMain, 1);
  auto* mainLayout = new QVBoxLayout(pnMain);
  mainLayout->setContentsMargins(1, 1, 1, 1);
  Splitter1 = new QSplitter(Qt::Horizontal, pnMain);
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  mainLayout->addWidget(Splitter1);

  TreeViewMailboxes = new QTreeWidget(Splitter1);
  TreeViewMailboxes->setHeaderHidden(true);
  TreeViewMailboxes->setIndentation(19);
  TreeViewMailboxes->setIconSize(QSize(16, 16));
  TreeViewMailboxes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeViewMailboxes->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeViewMailboxes->viewport()->installEventFilter(this);
  BuildList();
  Splitter1->addWidget(TreeViewMailboxes);
  Splitter1->addWidget(lvMailbox);
  Splitter1->setSizes({208, 615 - 208 - 3});
  Splitter1->setStretchFactor(1, 1);

  StatusBar1 = new TStatusBar(this);
  layout->addWidget(StatusBar1);

  // The selection stays visible when a view loses the focus.
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(TreeViewMailboxes),
                                  static_cast<QAbstractItemView*>(lvMailbox)}) {
    QPalette palette = view->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
      palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
  }
}

void TfmMailboxDetails::BuildList() {
  lvMailbox = new QTableView(Splitter1);
  listModel_ = new TMessageListModel(&rows_, this);
  lvMailbox->setModel(listModel_);
  lvMailbox->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvMailbox->setSelectionMode(QAbstractItemView::SingleSelection);
  lvMailbox->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvMailbox->setShowGrid(false);
  lvMailbox->setWordWrap(false);
  lvMailbox->setIconSize(QSize(16, 16));
  lvMailbox->verticalHeader()->hide();
  MoveByRows(lvMailbox);
  lvMailbox->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  lvMailbox->verticalHeader()->setDefaultSectionSize(17);
  QHeaderView* header = lvMailbox->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setMinimumSectionSize(30);
  header->setSectionResizeMode(0, QHeaderView::Fixed);
  for (int c = 0; c + 1 < core::kMessageListColumns; ++c)
    header->resizeSection(c, core::kMessageColumnsShown[c].width);
  header->setStretchLastSection(true);
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { lvMailboxColumnClick(column); });
}

TFolderNodeData* TfmMailboxDetails::NodeData(const QTreeWidgetItem* node) {
  return node ? reinterpret_cast<TFolderNodeData*>(node->data(0, kNodeDataRole).value<quintptr>())
              : nullptr;
}

int TfmMailboxDetails::NodeImage(const QTreeWidgetItem* node) {
  return node ? node->data(0, kNodeImageRole).toInt() : -1;
}

QTreeWidgetItem* TfmMailboxDetails::AddNode(QTreeWidgetItem* parent, const std::string& text,
                                            int image, TFolderNodeData data) {
  nodeData_.push_back(std::make_unique<TFolderNodeData>(std::move(data)));
  auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeViewMailboxes);
  node->setText(0, FromAnsi(text));
  node->setIcon(0, nodeIcons_[image == kMailboxImage ? 0 : 1]);
  node->setData(0, kNodeDataRole,
                QVariant::fromValue(reinterpret_cast<quintptr>(nodeData_.back().get())));
  node->setData(0, kNodeImageRole, image);
  return node;
}

void TfmMailboxDetails::ClearRows() {
  rows_.clear();
  rows_.shrink_to_fit();
  listModel_->SetItemCount(static_cast<int>(rows_.size()));
}

bool TfmMailboxDetails::OpenMailboxes(IMAPISession* session, const std::string& serverDn,
                                      const std::vector<TMailboxPair>& mailboxes) {
  if (session) session->AddRef();
  session_.reset(session);
  serverDn_ = serverDn;
  privateMdbDn_ = core::PrivateMdbDn(serverDn_);

  TreeViewMailboxes->clear();
  nodeData_.clear();
  lastSelected_ = nullptr;
  StatusBar1->ClearPanels();
  ClearRows();
  lvMailbox->viewport()->update();

  for (const TMailboxPair& pair : mailboxes)
    AddNode(nullptr, pair.displayName, kMailboxImage, TFolderNodeData{pair.mailboxDn, {}});

  privateStore_.reset();
  const HRESULT hr = core::OpenDetailsPrivateStore(session_.get(), &privateStore_);
  if (FAILED(hr)) {
    if (core::IsPlainFailure(hr))
      dialogs_.ErrorBox("Can't  open \"Exchange Private Store\"");
    else
      dialogs_.ErrorBox(mapi::MapiErrorText(mapi::Flavour::Gui, session_.get(), hr));
    return false;
  }
  return true;
}

void TfmMailboxDetails::lvMailboxColumnClick(int column) {
  if (Busy() || column < 0 || column >= core::kMessageListColumns) return;
  if (column == MessageSortColumn)
    MessageSortAscending = !MessageSortAscending;
  else
    MessageSortAscending = false;
  MessageSortColumn = column;
  if (listModel_->ItemCount() > 0) {
    for (int c = 1; c < core::kMessageListColumns; ++c) listModel_->SetHeaderImage(c, -1);
    if (column > 0) listModel_->SetHeaderImage(column, MessageSortAscending ? 9 : 10);
  }
  core::SortMessages(rows_, MessageSortColumn, MessageSortAscending);
  listModel_->RowsChanged();
  lvMailbox->viewport()->update();
}

void TfmMailboxDetails::SpeedButton1Click() {
  done(QDialog::Accepted);
}

void TfmMailboxDetails::closeEvent(QCloseEvent* event) {
  if (hold_.DeferClose()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool TfmMailboxDetails::eventFilter(QObject* watched, QEvent* event) {
  // A mouse click in the tree, after the tree moved its selection; keyboard
  // moves read nothing.
  if (watched == TreeViewMailboxes->viewport() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
    TreeViewMailboxesClick();
  return QDialog::eventFilter(watched, event);
}

void TfmMailboxDetails::FormClose() {
  if (closed_) return;
  closed_ = true;
  serverDn_.clear();
  privateMdbDn_.clear();
  rows_.clear();
  statistics_.reset();
  TreeViewMailboxes->clear();
  nodeData_.clear();
  lastSelected_ = nullptr;
  if (privateStore_) {
    ULONG flags = LOGOFF_NO_WAIT;
    privateStore_->StoreLogoff(&flags);
    privateStore_.reset();
  }
  session_.reset();
}

}  // namespace gui
