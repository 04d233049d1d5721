// The main window `TfrmMainExecute`: it owns, for the length of a MAPI
// session, the session and address book, the server shown, and the records
// of that server's mailboxes; logs on and off, finds the servers, loads a
// server's mailbox table and shows it in the sortable list.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GuiDialogs.h"
#include "InputHold.h"
#include "MailboxCompare.h"
#include "MainWindowState.h"
#include "MapiPtr.h"
#include "ServerDiscovery.h"
#include "uMBDetails.h"

class QAction;
class QLabel;
class QRadioButton;
class QTabWidget;
class QTableView;
class QToolButton;

namespace gui {

class TBevelPanel;
class TMailboxListModel;
class TProgressBar;
class TServerComboBox;
class TStatusBar;
struct ProfileChooserContext;

// The sort state of the mailbox list: process-wide, kept across logoffs and
// reloads. Column 0 to 8, initially 0 ascending.
extern int SortColumn;
extern bool SortAscending;

inline constexpr const char* kLogOnHint = "Logon to your mailbox.";
inline constexpr const char* kLogOffHint = "Logoff from your mailbox.";
inline constexpr const char* kListHint = "Click on header to sort";

// The question before the details window opens for `count` ticked mailboxes.
std::string DetailsConfirmationText(int count);

class TfrmMainExecute : public QMainWindow {
 public:
  // `dialogs` shows every message box and modal dialog; it outlives the
  // window.
  explicit TfrmMainExecute(TGuiDialogs& dialogs, QWidget* parent = nullptr);
  ~TfrmMainExecute() override;
  TfrmMainExecute(const TfrmMainExecute&) = delete;
  TfrmMainExecute& operator=(const TfrmMainExecute&) = delete;

  // --- event handlers ------------------------------------------------------
  void FormShow();
  void FormDestroy();
  void sbLogOnClick();
  void ComboBoxServersChange();
  void ListViewRecipientsColumnClick(int column);
  void ListViewRecipientsDblClick();
  void sbUSDClick();
  void sbPrintClick();
  void About1Click();
  void QuestionsAnswers1Click();

  // --- operations ----------------------------------------------------------
  // Opens the session and the address book in the mode of the checked radio
  // button; true when both are open.
  bool LogOn();
  // Releases everything of the session in its fixed order.
  void LogOff();
  // The identity lookup and server discovery; the home server's name or
  // nothing.
  std::optional<std::string> FindHomeServer();
  // Reads the server's mailbox table into Mailboxes; true when the whole
  // table was read.
  bool LoadMailboxTable(std::string serverDn);
  // The temporary profile for the "Without Profile" logon: its name
  // whenever the name was made, else nothing.
  std::optional<std::string> CreateTempProfile(const std::string& mailbox,
                                               const std::string& server);

  // --- state read by the other windows ------------------------------------
  HRESULT LastResult() const { return discovery_.lastResult; }
  bool MapiInitialized() const { return mapiInitialized_; }
  bool LoggedOn() const { return loggedOn_; }
  IMAPISession* Session() const { return session_.get(); }
  IAddrBook* AddressBook() const { return addressBook_.get(); }
  const std::string& ServerDN() const { return discovery_.serverDn; }
  const std::string& HomeServerName() const { return discovery_.homeServerName; }
  const std::string& OrganizationName() const { return discovery_.organizationName; }
  const std::string& SiteName() const { return discovery_.siteName; }
  core::TMailboxList& Mailboxes() { return mailboxes_; }
  const core::TMailboxList& Mailboxes() const { return mailboxes_; }

  // What the windows opened from here borrow: session, server and list.
  TMainWindowState Borrowed() {
    return TMainWindowState{session_.get(), discovery_.serverDn, discovery_.homeServerName,
                            &mailboxes_};
  }

  // Whether a logon, logoff or load is running (input is held back).
  bool Busy() const { return hold_.Busy(); }
  // Whether the list view shows its hint.
  bool ListHintShown() const { return listHintShown_; }
  TMailboxListModel* ListModel() const { return listModel_; }

  // --- controls ------------------------------------------------------------
  TBevelPanel* plMain = nullptr;
  TBevelPanel* plTOP = nullptr;
  TBevelPanel* plLogOn = nullptr;
  QToolButton* sbLogOn = nullptr;
  QRadioButton* rbDP = nullptr;
  QRadioButton* rbCP = nullptr;
  QRadioButton* rbWO = nullptr;
  QLabel* lbWOProf = nullptr;
  QToolButton* sbUSD = nullptr;
  QToolButton* sbPrint = nullptr;
  QLabel* Label1 = nullptr;
  TServerComboBox* ComboBoxServers = nullptr;
  QTabWidget* pcMain = nullptr;
  QTableView* ListViewRecipients = nullptr;
  TStatusBar* StatusBar = nullptr;
  QAction* Exit1 = nullptr;
  QAction* About1 = nullptr;
  QAction* QuestionsAnswers1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TMainLoadListener;

  // A logon, logoff or load holds the window's input for its length.
  using BusyScope = TInputHold::Scope;

  void BuildControls();
  void BuildMenus();
  // Opens the details window for `mailboxes` and shows it modally when its
  // private store opened; the window is gone when this returns.
  void ShowDetails(const std::vector<TMailboxPair>& mailboxes);
  void BuildList(QWidget* page);
  void SetListHint(bool shown);
  void SetLogOnHint(const char* hint);
  void SetItemCount(int count);
  // The status bar's font size in points and pixels per inch, for the
  // panel widths.
  int StatusTextWidth(int characters) const;
  void ShowFinalPanels(std::int64_t totalSize);
  void RegisterProfileChooser();
  // Releases the address book, logs the session off and uninitialises MAPI,
  // each only if it is held.
  void EndMapiSession();
  ULONG_PTR WindowHandle();

  TGuiDialogs& dialogs_;
  TMailboxListModel* listModel_ = nullptr;
  TProgressBar* progress_ = nullptr;  // lives while a load runs

  // The last result and the home server's names, as the identity lookup
  // writes them; the logon and the load set the result and the DN too.
  core::DiscoveryFields discovery_;
  bool mapiInitialized_ = false;
  bool loggedOn_ = false;
  mapi::ComPtr<IMAPISession> session_;
  mapi::ComPtr<IAddrBook> addressBook_;
  core::TMailboxList mailboxes_;

  bool listHintShown_ = false;
  TInputHold hold_{*this};  // held during logon, logoff and load
  bool destroyed_ = false;  // FormDestroy has run
  std::unique_ptr<ProfileChooserContext> chooser_;
};

}  // namespace gui
