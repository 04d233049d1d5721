// The profile chooser that MAPI shows for a logon with MAPI_LOGON_UI: a
// small dialog listing the machine's profiles. The MAPI library asks for it
// through a hook that the main window registers once the library is loaded.
#pragma once

#include <QDialog>
#include <vector>

class QListWidget;
class QPushButton;

namespace gui {

class TGuiDialogs;

class TfrmChooseProfile : public QDialog {
 public:
  TfrmChooseProfile(QWidget* owner, const std::vector<QString>& names);

  // The highlighted profile's index, or -1.
  int ChosenIndex() const;
  void SetChosenIndex(int index);

  QListWidget* lbProfiles = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;
};

// What the hook needs: the seam that runs the dialog and the window that
// owns it.
struct ProfileChooserContext {
  TGuiDialogs* dialogs = nullptr;
  QWidget* owner = nullptr;
  bool registered = false;
};

// Shows the chooser for `count` names; the chosen index or -1 for Cancel.
int ChooseProfile(const char* const* names, int count, void* context);

// Installs and removes the hook in the loaded MAPI library; nothing happens
// when no library is loaded or it offers no hook.
void RegisterProfileChooser(ProfileChooserContext* context);
void UnregisterProfileChooser(ProfileChooserContext* context);

}  // namespace gui
