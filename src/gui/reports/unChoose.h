// The main window's print choice `TfrmChoose`: whether the mailbox list
// goes to a report preview, into the spreadsheet or into the document
// application.
#pragma once

#include <QDialog>

class QPushButton;

namespace gui {

class TRadioGroup;

class TfrmChoose final : public QDialog {
 public:
  explicit TfrmChoose(QWidget* owner);

  TRadioGroup* RadioGroup1 = nullptr;  // item index: a TPrintDestination
  QPushButton* BitBtOK = nullptr;
  QPushButton* BitBtnCancel = nullptr;
};

}  // namespace gui
