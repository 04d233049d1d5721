// The details window's print choice `TfrmPrintReport`: what is printed (the
// current folder, the current mailbox or all mailboxes of the tree) and
// where it goes (a report preview, the spreadsheet or the document
// application).
#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace gui {

class TRadioGroup;

class TfrmPrintReport final : public QDialog {
 public:
  explicit TfrmPrintReport(QWidget* owner);

  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* rbCF = nullptr;
  QRadioButton* rbCM = nullptr;
  QRadioButton* rbAM = nullptr;
  TRadioGroup* rgToWhere = nullptr;  // item index: a TPrintDestination
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;
};

}  // namespace gui
