#include "unMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "ButtonShortcut.h"
#include "ElidingHeader.h"
#include "FixedLayout.h"
#include "GuiLook.h"
#include "Icons.h"
#include "MailboxColumns.h"
#include "MailboxListModel.h"
#include "MenuBarKeys.h"
#include "MinimumSize.h"
#include "ProfileChooser.h"
#include "ReportList.h"
#include "ServerComboBox.h"
#include "TStatusBar.h"
#include "Win32.h"
#include "uAbout.h"

namespace gui {

int SortColumn = 0;
bool SortAscending = true;

namespace {

// The window is 748 by 561 pixels with its frame; on the platform it was
// laid out for, a 4-pixel sizing frame and a 19-pixel caption surround the
// client area, which holds the menu bar too here.
constexpr int kClientWidth = 748 - 2 * 4;
constexpr int kClientHeight = 561 - 2 * 4 - 19;

constexpr const char* kQuestionsAnswersPage = "https://www.tabrix.example/mailboxstats/faq.html";

}  // namespace

TfrmMainExecute::TfrmMainExecute(TGuiDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs) {
  // FormCreate: the empty list, not logged on.
  mailboxes_.clear();
  loggedOn_ = false;
  setWindowIcon(QIcon(ProgramIcon()));
  BuildMenus();
  BuildControls();
  resize(kClientWidth, kClientHeight);
  KeepControlsVisible(this, {plTOP});
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TfrmMainExecute::~TfrmMainExecute() {
  FormDestroy();
  UnregisterProfileChooser(chooser_.get());
}

void TfrmMainExecute::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  Exit1 = file->addAction(QStringLiteral("Exit"));
  // The item has no handler of its own; closing the window is what a user
  // expects of it.
  connect(Exit1, &QAction::triggered, this, &QWidget::close);
  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  About1 = help->addAction(QStringLiteral("About"));
  connect(About1, &QAction::triggered, this, [this] { About1Click(); });
  QuestionsAnswers1 = help->addAction(QStringLiteral("Questions && Answers"));
  connect(QuestionsAnswers1, &QAction::triggered, this, [this] { QuestionsAnswers1Click(); });
  ActivateMenuBarOnF10(this);
}

void TfrmMainExecute::BuildControls() {
  plMain = new TBevelPanel(this, Bevel::None, Bevel::None);
  setCentralWidget(plMain);
  auto* mainLayout = new QVBoxLayout(plMain);
  mainLayout->setContentsMargins(0, 0, 0, 0);
  mainLayout->setSpacing(0);

  plTOP = new TBevelPanel(plMain, Bevel::Raised, Bevel::None);
  plTOP->setFixedHeight(61);
  mainLayout->addWidget(plTOP);

  plLogOn = new TBevelPanel(plTOP, Bevel::Lowered, Bevel::Raised);
  plLogOn->setGeometry(5, 5, 288, 52);
  sbLogOn = MakeSpeedButton(plLogOn, QStringLiteral("Log On"), QRect(7, 17, 66, 22), false);
  SetLogOnHint(kLogOnHint);
  connect(sbLogOn, &QToolButton::clicked, this, [this] { sbLogOnClick(); });
  rbDP = MakeRadio(plLogOn, QStringLiteral("Default Profile"), QRect(84, 8, 91, 17));
  rbCP = MakeRadio(plLogOn, QStringLiteral("Choose Profile"), QRect(84, 28, 91, 17));
  MakeBevelLine(plLogOn, 176, 4, 45, Qt::Vertical);
  rbWO = MakeRadio(plLogOn, QStringLiteral("Without Profile"), QRect(187, 8, 93, 17));
  lbWOProf = MakeLabel(plLogOn, QStringLiteral("(Temporary Profile)"), 188, 28);
  rbDP->setChecked(true);

  sbUSD = MakeSpeedButton(plTOP, QStringLiteral("Details"), QRect(304, 4, 82, 22), true);
  sbUSD->setIcon(QIcon(DetailsIcon()));
  sbUSD->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  sbUSD->setEnabled(false);
  connect(sbUSD, &QToolButton::clicked, this, [this] { sbUSDClick(); });
  sbPrint = MakeSpeedButton(plTOP, QStringLiteral("Print/Save"), QRect(304, 32, 82, 22), true);
  sbPrint->setIcon(QIcon(PrintIcon()));
  sbPrint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  sbPrint->setEnabled(false);
  connect(sbPrint, &QToolButton::clicked, this, [this] { sbPrintClick(); });
  // The speed buttons take no focus, so the keyboard reaches them this way.
  PressOnShortcut(sbLogOn, QKeySequence(Qt::CTRL | Qt::Key_L));
  PressOnShortcut(sbUSD, QKeySequence(Qt::CTRL | Qt::Key_D));
  PressOnShortcut(sbPrint, QKeySequence(Qt::CTRL | Qt::Key_P));

  Label1 = MakeLabel(plTOP, QStringLiteral("Server:"), 400, 12);
  ComboBoxServers = new TServerComboBox(plTOP);
  ComboBoxServers->setGeometry(400, 32, 165, 21);
  ComboBoxServers->setEnabled(false);
  connect(ComboBoxServers, &QComboBox::activated, this, [this] { ComboBoxServersChange(); });

  pcMain = new QTabWidget(plMain);
  pcMain->tabBar()->hide();
  // With its tab bar hidden the page control has nothing to focus; Tab
  // would stop on it unseen between the server box and the list.
  pcMain->setFocusPolicy(Qt::NoFocus);
  auto* page = new QWidget;
  pcMain->addTab(page, QString());
  mainLayout->addWidget(pcMain, 1);
  BuildList(page);

  StatusBar = new TStatusBar(this);
  setStatusBar(StatusBar);
}

void TfrmMainExecute::BuildList(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  ListViewRecipients = new QTableView(page);
  ListViewRecipients->setHorizontalHeader(new TElidingHeader(ListViewRecipients));
  layout->addWidget(ListViewRecipients);
  listModel_ = new TMailboxListModel(&mailboxes_, this);
  ListViewRecipients->setModel(listModel_);
  ListViewRecipients->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListViewRecipients->setSelectionMode(QAbstractItemView::SingleSelection);
  ListViewRecipients->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListViewRecipients->setShowGrid(false);
  ListViewRecipients->setWordWrap(false);
  ListViewRecipients->setTextElideMode(Qt::ElideRight);
  ListViewRecipients->setIconSize(QSize(16, 16));
  ListViewRecipients->verticalHeader()->hide();
  ListViewRecipients->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ListViewRecipients->verticalHeader()->setDefaultSectionSize(17);
  QHeaderView* header = ListViewRecipients->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int c = 0; c < core::kMailboxListColumns; ++c)
    header->resizeSection(c, core::kMailboxColumnsShown[c].width);
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { ListViewRecipientsColumnClick(column); });
  ListViewRecipients->viewport()->installEventFilter(this);
  MoveByRows(ListViewRecipients, [this] { ListViewRecipientsDblClick(); });
  // The selection stays visible when the list loses the focus.
  QPalette palette = ListViewRecipients->palette();
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  ListViewRecipients->setPalette(palette);
  SetListHint(false);
}

void TfrmMainExecute::SetListHint(bool shown) {
  listHintShown_ = shown;
  ListViewRecipients->setToolTip(shown ? QString::fromLatin1(kListHint) : QString());
}

void TfrmMainExecute::SetLogOnHint(const char* hint) {
  sbLogOn->setToolTip(QString::fromLatin1(hint));
}

void TfrmMainExecute::SetItemCount(int count) {
  listModel_->SetItemCount(count);
}

int TfrmMainExecute::StatusTextWidth(int characters) const {
  const int points = StatusBar->font().pointSize() > 0 ? StatusBar->font().pointSize() : 8;
  return characters * points * StatusBar->logicalDpiY() / 72;
}

ULONG_PTR TfrmMainExecute::WindowHandle() {
  return static_cast<ULONG_PTR>(winId());
}

void TfrmMainExecute::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormShow();
}

void TfrmMainExecute::FormShow() {
  setWindowTitle(QStringLiteral("Tabrix Mailbox Statistics"));
}

void TfrmMainExecute::closeEvent(QCloseEvent* event) {
  if (hold_.DeferClose()) {
    // Closing in the middle of a logon, logoff or load waits for its end.
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

bool TfrmMainExecute::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListViewRecipients->viewport() && event->type() == QEvent::MouseButtonDblClick &&
      !Busy()) {
    // Anywhere in the list, rows or the space below them: the handler acts
    // on the selection the first click left.
    ListViewRecipientsDblClick();
    return false;
  }
  return false;
}

void TfrmMainExecute::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  QCoreApplication::processEvents();
  if (mapiInitialized_ || loggedOn_) LogOff();
  mailboxes_.clear();
  QCoreApplication::processEvents();
}

void TfrmMainExecute::About1Click() {
  TAboutBox box(this);
  dialogs_.ExecModal(box);
}

void TfrmMainExecute::QuestionsAnswers1Click() {
  ShellExecuteA(nullptr, "open", kQuestionsAnswersPage, nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMainExecute::RegisterProfileChooser() {
  if (!chooser_)
    chooser_ = std::make_unique<ProfileChooserContext>(ProfileChooserContext{&dialogs_, this});
  gui::RegisterProfileChooser(chooser_.get());
}

}  // namespace gui
