// A main window over a machine root of its own, for the tests that log on.
#pragma once

#include <QToolButton>
#include <memory>
#include <vector>

#include "GuiMachine.h"
#include "RecordingDialogs.h"
#include "ServerComboBox.h"
#include "TStatusBar.h"
#include "unMain.h"

namespace guitest {

// The children of `parent` that are a T, told by their C++ type: the
// windows declare no meta-object of their own, so QObject::findChildren
// cannot tell them apart.
template <class T>
std::vector<T*> ChildrenOf(const QObject& parent) {
  std::vector<T*> found;
  for (QObject* child : parent.findChildren<QObject*>())
    if (auto* t = dynamic_cast<T*>(child)) found.push_back(t);
  return found;
}

class GuiSession : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::SortColumn = 0;
    gui::SortAscending = true;
  }
  void TearDown() override { window.reset(); }

  // Sets the machine up (faults and organisation changes must be made
  // before) and creates the window.
  void Open(const std::string& defaultMailbox = "admin") {
    ASSERT_TRUE(machine.Start(defaultMailbox));
    window = std::make_unique<gui::TfrmMainExecute>(dialogs);
  }
  void ClickLogOn() { window->sbLogOn->click(); }

  std::vector<std::string> Panels() const {
    std::vector<std::string> texts;
    for (int i = 0; i < window->StatusBar->PanelCount(); ++i)
      texts.push_back(window->StatusBar->PanelText(i).toStdString());
    return texts;
  }

  // The Logged off state of the window.
  void ExpectLoggedOff() const {
    EXPECT_FALSE(window->LoggedOn());
    EXPECT_FALSE(window->MapiInitialized());
    EXPECT_EQ(window->Session(), nullptr);
    EXPECT_EQ(window->AddressBook(), nullptr);
    EXPECT_EQ(window->sbLogOn->text(), QStringLiteral("Log On"));
    EXPECT_EQ(window->sbLogOn->toolTip(), QStringLiteral("Logon to your mailbox."));
    EXPECT_TRUE(window->sbLogOn->isEnabled());
    EXPECT_FALSE(window->sbUSD->isEnabled());
    EXPECT_FALSE(window->sbPrint->isEnabled());
    EXPECT_FALSE(window->ComboBoxServers->isEnabled());
    EXPECT_EQ(window->ComboBoxServers->count(), 0);
    EXPECT_TRUE(window->Mailboxes().empty());
    EXPECT_FALSE(window->ListHintShown());
    EXPECT_FALSE(window->Busy());
  }

  GuiMachine machine;
  testsupport::RecordingDialogs dialogs;
  std::unique_ptr<gui::TfrmMainExecute> window;
};

}  // namespace guitest
