#include "uAbout.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "GuiLook.h"
#include "Icons.h"
#include "Win32.h"

namespace gui {

namespace {

QLabel* CentredLabel(QWidget* parent, const QString& text, int y, int width) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  label->setGeometry(0, y, width, 16);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(298, 213);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  Panel1 = new TBevelPanel(this, Bevel::Lowered, Bevel::Raised);
  Panel1->setGeometry(8, 8, 282, 161);
  const int inner = Panel1->width();

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setPixmap(gui::ProgramIcon());
  ProgramIcon->setGeometry(12, 12, 32, 32);

  ProductName = new QLabel(QStringLiteral("Mailbox Statistics"), Panel1);
  QFont productFont = font();
  productFont.setPointSize(12);
  productFont.setBold(true);
  ProductName->setFont(productFont);
  ProductName->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  ProductName->setGeometry(52, 16, inner - 64, 24);

  Version = CentredLabel(Panel1, QStringLiteral("Version : 2.8"), 54, inner);
  Comments = CentredLabel(Panel1, QStringLiteral("Microsoft Exchange Server 5.x/2000/2003 Edition"),
                          76, inner);
  Label1 = CentredLabel(Panel1, QStringLiteral("For any question e-mail to:"), 108, inner);

  lbMail = CentredLabel(Panel1, QString::fromLatin1(kContactAddress), 128, inner);
  QFont linkFont = font();
  linkFont.setUnderline(true);
  lbMail->setFont(linkFont);
  QPalette linkPalette = lbMail->palette();
  linkPalette.setColor(QPalette::WindowText, Qt::blue);
  lbMail->setPalette(linkPalette);
  lbMail->adjustSize();
  lbMail->move((inner - lbMail->width()) / 2, 128);
  lbMail->setCursor(Qt::PointingHandCursor);
  lbMail->installEventFilter(this);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(111, 180, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::ContactClick() {
  const std::string link =
      std::string("mailto:") + kContactAddress + "?subject=Mailbox%20Statistics";
  ShellExecuteA(nullptr, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbMail && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ContactClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace gui
