#include "ProfileChooser.h"

#include <QListWidget>
#include <QPushButton>

#include "AnsiText.h"
#include "ExtendedMAPI.h"
#include "FixedLayout.h"
#include "GuiDialogs.h"
#include "MapiSimApi.h"
#include "Win32.h"

namespace gui {

TfrmChooseProfile::TfrmChooseProfile(QWidget* owner, const std::vector<QString>& names)
    : QDialog(owner) {
  setWindowTitle(QStringLiteral("Choose Profile"));
  setFixedSize(300, 196);
  MakeLabel(this, QStringLiteral("Profile Name:"), 8, 8);
  lbProfiles = new QListWidget(this);
  lbProfiles->setGeometry(8, 26, 284, 124);
  for (const QString& name : names) lbProfiles->addItem(name);
  if (!names.empty()) lbProfiles->setCurrentRow(0);
  btOK = new QPushButton(QStringLiteral("OK"), this);
  btOK->setGeometry(136, 162, 75, 25);
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btCancel->setGeometry(217, 162, 75, 25);
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(lbProfiles, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int TfrmChooseProfile::ChosenIndex() const {
  return lbProfiles->currentRow();
}

void TfrmChooseProfile::SetChosenIndex(int index) {
  lbProfiles->setCurrentRow(index);
}

int ChooseProfile(const char* const* names, int count, void* context) {
  auto* chooser = static_cast<ProfileChooserContext*>(context);
  if (!chooser || !chooser->dialogs) return -1;
  std::vector<QString> list;
  for (int i = 0; i < count; ++i) list.push_back(FromAnsi(names[i] ? names[i] : ""));
  TfrmChooseProfile dialog(chooser->owner, list);
  if (chooser->dialogs->ExecModal(dialog) != QDialog::Accepted) return -1;
  const int index = dialog.ChosenIndex();
  return index >= 0 && index < count ? index : -1;
}

namespace {

LPTABRIXSIMSETPROFILECHOOSER SetChooserFunction() {
  void* module = mapi::LoadedMapiModule();
  if (!module) return nullptr;
  return reinterpret_cast<LPTABRIXSIMSETPROFILECHOOSER>(
      GetProcAddress(module, "TabrixSimSetProfileChooser"));
}

}  // namespace

void RegisterProfileChooser(ProfileChooserContext* context) {
  if (!context) return;
  if (auto set = SetChooserFunction()) {
    set(&ChooseProfile, context);
    context->registered = true;
  }
}

void UnregisterProfileChooser(ProfileChooserContext* context) {
  if (!context || !context->registered) return;
  if (auto set = SetChooserFunction()) set(nullptr, nullptr);
  context->registered = false;
}

}  // namespace gui
