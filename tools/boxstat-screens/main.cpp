// boxstat-screens: renders every window and dialog of the main window and
// the details window in their main states, and the first page of each
// report in its preview, to PNG files, offscreen, for review of the fixed
// layouts.
//
//   boxstat-screens [output folder]     (default: ./boxstat-screens)
//
// It lays out a machine root of its own in a temporary folder with a small
// generated organisation (SRV01 with 120 mailboxes, SRV02 with 25), logs on
// with the default profile and drives the window as a user would; modal
// dialogs are grabbed instead of being run, and so are the report previews.
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "ApplicationTitle.h"
#include "ExtendedMAPI.h"
#include "FolderWalk.h"
#include "Generator.h"
#include "GuiLook.h"
#include "LocaleSettings.h"
#include "LogonTexts.h"
#include "MachineSetup.h"
#include "OrgDb.h"
#include "ProfileChooser.h"
#include "QtUserDialogs.h"
#include "RadioGroup.h"
#include "ServerComboBox.h"
#include "TStatusBar.h"
#include "WordWrap.h"
#include "uAbout.h"
#include "uMBDetails.h"
#include "unMain.h"
#include "unPrintRepDial.h"
#include "unTempProfile.h"
#include "unUSDS.h"

namespace {

class Screens {
 public:
  explicit Screens(QString folder) : folder_(std::move(folder)) { QDir().mkpath(folder_); }

  void Save(QWidget& widget, const QString& name) {
    // Twice: a layout done in the first round posts the scroll bars' update
    // for the next.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QString path = folder_ + "/" + name + ".png";
    if (widget.grab().save(path)) {
      std::cout << path.toStdString() << "\n";
      ++saved_;
    } else {
      std::cerr << "cannot write " << path.toStdString() << "\n";
      ++failed_;
    }
  }
  int saved() const { return saved_; }
  int failed() const { return failed_; }

 private:
  QString folder_;
  int saved_ = 0;
  int failed_ = 0;
};

// Messages become screenshots of the boxes the program would show; modal
// dialogs are shown without a loop of their own, grabbed, and answered by
// the scripted `next` step.
class ScreenDialogs final : public gui::TGuiDialogs {
 public:
  explicit ScreenDialogs(Screens& screens) : screens_(screens) {}

  void ErrorBox(const std::string& text) override { Box(QMessageBox::Critical, "Error", text); }
  void PlainBox(const std::string& text) override {
    Box(QMessageBox::NoIcon, mapi::ApplicationTitle(), text);
  }
  void SystemBox(const std::string& text, const std::string& caption, mapi::BoxIcon) override {
    Box(QMessageBox::Critical, caption, text);
  }
  bool Question(const std::string& text) override {
    Box(QMessageBox::Question, "Confirm", text);
    return true;
  }
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  int ExecModal(QDialog& dialog) override {
    dialog.show();
    QCoreApplication::processEvents();
    int result = QDialog::Rejected;
    if (next) {
      auto step = std::move(next);
      next = nullptr;
      result = step(dialog);
    }
    dialog.hide();
    return result;
  }
  // No timer, file or print dialog is reached here; they are answered as
  // cancelled.
  void OneShot(QObject*, int, std::function<void()>) override {}
  std::optional<gui::SaveFileChoice> SaveFileName(QWidget*, const gui::SaveFileRequest&) override {
    return std::nullopt;
  }
  bool PrintDialog(QWidget*, QPrinter&, int, int) override { return false; }
  // A preview is grabbed on its first page and closed at once.
  void RunPreview(QWidget& preview) override {
    if (previewName.isEmpty()) return;
    preview.show();
    screens_.Save(preview, previewName);
    previewName.clear();
    preview.hide();
  }

  std::function<int(QDialog&)> next;
  QString boxName;      // the file name of the next message box; empty: not saved
  QString previewName;  // the file name of the next preview; empty: not saved

 private:
  void Box(QMessageBox::Icon icon, const std::string& caption, const std::string& text) {
    if (boxName.isEmpty()) return;
    QMessageBox box(icon, QString::fromStdString(caption), gui::DisplayText(text), QMessageBox::Ok);
    gui::PrepareMessageBox(box);
    box.show();
    screens_.Save(box, boxName);
    boxName.clear();
  }

  Screens& screens_;
};

std::string MakeMachineRoot() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "boxstat-screens-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

bool BuildMachine(const std::string& root) {
  std::string error;
  auto db = orgdb::OrgDb::Create(orgdb::DatabasePath(root), &error);
  if (!db) {
    std::cerr << error << "\n";
    return false;
  }
  tabrixorg::GeneratorOptions options;
  options.seed = 20060701;
  const std::uint64_t v2003 = tabrixorg::MakeVersion(6, 5, 7638, 1);
  options.sites = {{"First Administrative Group", {{"SRV01", v2003, 120}, {"SRV02", v2003, 25}}}};
  options.now = tabrixorg::kDefaultNow;
  tabrixorg::Generate(*db, options);
  db.reset();
  orgdb::MachineSetupOptions setup;
  setup.mapiLibrary = TABRIX_MAPI_LIBRARY;
  setup.defaultProfileMailbox = "admin";
  setup.defaultProfileServer = "SRV01";
  if (!orgdb::SetUpMachineRoot(root, setup, &error)) {
    std::cerr << error << "\n";
    return false;
  }
  return true;
}

// The folder nodes of the tree below `node`, in pre-order.
void FolderNodes(QTreeWidgetItem* node, std::vector<QTreeWidgetItem*>& out) {
  for (int i = 0; i < node->childCount(); ++i) {
    out.push_back(node->child(i));
    FolderNodes(node->child(i), out);
  }
}

void ClickNode(gui::TfmMailboxDetails& w, QTreeWidgetItem* node) {
  w.TreeViewMailboxes->setCurrentItem(node);
  w.TreeViewMailboxesClick();
}

// The details window's print command for the scope button `scope` (0 the
// current folder, 1 the current mailbox, 2 all mailboxes), to the preview;
// the choice dialog is grabbed when `choiceName` is given.
void PrintReport(Screens& screens, ScreenDialogs& dialogs, gui::TfmMailboxDetails& w, int scope,
                 const QString& previewName, const QString& choiceName = {}) {
  dialogs.next = [&screens, scope, choiceName](QDialog& d) {
    auto& choice = dynamic_cast<gui::TfrmPrintReport&>(d);
    if (!choiceName.isEmpty()) screens.Save(choice, choiceName);
    QRadioButton* buttons[] = {choice.rbCF, choice.rbCM, choice.rbAM};
    buttons[scope]->setChecked(true);
    choice.rgToWhere->SetItemIndex(static_cast<int>(gui::TPrintDestination::Preview));
    return int(QDialog::Accepted);
  };
  dialogs.previewName = previewName;
  w.sbPrintClick();
}

void DetailsStates(Screens& screens, ScreenDialogs& dialogs, gui::TfrmMainExecute& window) {
  dialogs.next = [&screens, &dialogs](QDialog& d) {
    auto& w = dynamic_cast<gui::TfmMailboxDetails&>(d);
    screens.Save(w, "details-01-tree");
    std::vector<QTreeWidgetItem*> folders;
    FolderNodes(w.TreeViewMailboxes->topLevelItem(0), folders);
    QTreeWidgetItem* full = nullptr;
    QTreeWidgetItem* empty = nullptr;
    for (QTreeWidgetItem* node : folders) {
      ClickNode(w, node);
      if (!full && w.MessageRows().size() > 3) full = node;
      if (!empty && w.MessageRows().empty()) empty = node;
      if (full && empty) break;
    }
    if (full) {
      ClickNode(w, full);
      screens.Save(w, "details-02-folder");
      w.lvMailbox->horizontalHeader()->sectionClicked(2);
      screens.Save(w, "details-03-sorted-by-size");
    }
    if (empty) {
      ClickNode(w, empty);
      screens.Save(w, "details-04-empty-folder");
    }
    if (full) {
      ClickNode(w, full);
      PrintReport(screens, dialogs, w, 0, "report-02-folder", "print-choice-details");
    }
    PrintReport(screens, dialogs, w, 1, "report-03-mailbox");
    PrintReport(screens, dialogs, w, 2, "report-04-all-mailboxes");
    return int(QDialog::Accepted);
  };
  window.ListViewRecipients->selectRow(0);
  window.ListViewRecipientsDblClick();

  dialogs.boxName = "message-mailbox-not-available";
  dialogs.PlainBox(core::MailboxNotAvailableText(MAPI_E_NOT_FOUND));

  dialogs.next = [&screens](QDialog& d) {
    auto& s = dynamic_cast<gui::TfrmDetails&>(d);
    s.SetChecked(1, true);
    s.SetChecked(3, true);
    screens.Save(s, "select-mailboxes");
    return int(QDialog::Rejected);
  };
  window.sbUSDClick();
}

// A clipped column caption's tooltip, drawn over the window where the
// pointer rests on the header.
void SaveHeaderTooltip(Screens& screens, gui::TfrmMainExecute& window) {
  QHeaderView* header = window.ListViewRecipients->horizontalHeader();
  const int section = 2;  // "Total Message Size (Kb)", clipped at its width
  const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                  header->height() / 2);
  QHelpEvent help(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(header->viewport(), &help);
  QCoreApplication::processEvents();
  QWidget* tip = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->inherits("QTipLabel") && widget->isVisible()) tip = widget;
  if (!tip) {
    std::cerr << "the clipped header showed no tooltip\n";
    return;
  }
  QPixmap shot = window.grab();
  QPainter painter(&shot);
  painter.drawPixmap(window.mapFromGlobal(tip->pos()), tip->grab());
  painter.end();
  QLabel composite;
  composite.setPixmap(shot);
  composite.resize(shot.size());
  screens.Save(composite, "main-03-header-tooltip");
  QToolTip::hideText();
}

void MainWindowStates(Screens& screens, ScreenDialogs& dialogs) {
  gui::TfrmMainExecute window(dialogs);
  window.show();
  screens.Save(window, "main-01-logged-off");

  // The load processes pending messages after each batch of 50: grab the
  // progress bar at the first of them.
  bool loadingSaved = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &window, [&] {
    if (!loadingSaved && window.StatusBar->PanelCount() == 3) {
      screens.Save(window, "main-02-loading");
      loadingSaved = true;
    }
  });
  watch.start(0);
  window.sbLogOn->click();
  watch.stop();
  if (!loadingSaved) std::cerr << "the load ended before its progress could be grabbed\n";
  screens.Save(window, "main-03-shown");
  SaveHeaderTooltip(screens, window);

  dialogs.next = [&screens](QDialog& d) {
    screens.Save(d, "print-choice");
    return int(QDialog::Accepted);
  };
  dialogs.previewName = "report-01-mailbox-list";
  window.sbPrintClick();

  window.ListViewRecipients->horizontalHeader()->sectionClicked(2);
  window.ListViewRecipients->selectRow(1);
  screens.Save(window, "main-04-sorted-by-size");

  window.ComboBoxServers->setCurrentIndex(1);
  window.ComboBoxServersChange();
  screens.Save(window, "main-05-second-server");

  window.ComboBoxServers->setCurrentIndex(0);
  window.ComboBoxServersChange();
  DetailsStates(screens, dialogs, window);

  window.sbLogOn->click();
  screens.Save(window, "main-06-logged-off-again");

  dialogs.next = [&screens](QDialog& d) {
    screens.Save(d, "about");
    return int(QDialog::Accepted);
  };
  window.About1Click();

  dialogs.next = [&screens](QDialog& d) {
    screens.Save(d, "choose-profile");
    return int(QDialog::Rejected);
  };
  window.rbCP->setChecked(true);
  dialogs.boxName = "message-logon-cancelled";
  window.sbLogOn->click();
  window.rbDP->setChecked(true);
}

void TempProfileStates(Screens& screens, ScreenDialogs& dialogs) {
  QWidget owner;
  gui::TfrmTempProfile dialog(&owner, dialogs);
  dialog.show();
  screens.Save(dialog, "temp-profile-01-empty");
  dialog.ebExchangeServer->setText(QStringLiteral("srv01"));
  dialog.btUserName->setText(QStringLiteral("admin"));
  screens.Save(dialog, "temp-profile-02-typed");
  dialog.btCheckName->click();
  screens.Save(dialog, "temp-profile-03-checked");
  dialog.ebExchangeServer->setText(QStringLiteral("NOSUCHSERVER"));
  dialogs.boxName = "message-name-not-resolved";
  dialog.btCheckName->click();
  dialog.hide();
}

void MessageBoxes(Screens& screens, ScreenDialogs& dialogs) {
  (void)screens;
  dialogs.boxName = "message-logon-failed";
  dialogs.ErrorBox(gui::LogonErrorText(MAPI_E_LOGON_FAILED));
  dialogs.boxName = "message-mapi-subsystem";
  dialogs.SystemBox(gui::KnownInitializeErrorText(MAPI_E_SESSION_LIMIT).value_or(""),
                    "MS MAPI Subsystem", mapi::BoxIcon::Error);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  mapi::SetApplicationTitle(mapi::kGuiApplicationTitle);
  mapi::SetLibrarySearch(mapi::Flavour::Gui);
  gui::ApplyApplicationLook();
  platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});

  const std::string root = MakeMachineRoot();
  if (root.empty()) return 1;
  setenv("TABRIX_MACHINE", root.c_str(), 1);
  if (!BuildMachine(root)) return 1;

  Screens screens(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("boxstat-screens"));
  {
    ScreenDialogs dialogs(screens);
    MainWindowStates(screens, dialogs);
    TempProfileStates(screens, dialogs);
    MessageBoxes(screens, dialogs);
  }
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  std::cout << screens.saved() << " screenshots written\n";
  return screens.failed() == 0 ? 0 : 1;
}
