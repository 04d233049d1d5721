// The dialog's layout, hand-over, start timer, Stop button and close rule.
#include "unExportingDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>

#include "ExportWriter.h"
#include "FixedLayout.h"
#include "GuiDialogs.h"
#include "InputHold.h"
#include "TProgressBar.h"

namespace gui {

namespace {
constexpr int kStartDelayMs = 150;
}  // namespace

TfrmProgress::TfrmProgress(QWidget* owner, TGuiDialogs& dialogs)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      dialogs_(dialogs),
      pump_([] { QCoreApplication::processEvents(); }) {
  setWindowTitle("Exporting...");
  setFixedSize(386, 43);
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->setGeometry(10, 14, 287, 17);
  ProgressBar1->SetRange(0, 100);
  ProgressBar1->SetStep(1);
  Button1 = MakeButton(this, "Stop", QRect(304, 10, 75, 25));
  connect(Button1, &QPushButton::clicked, this, &TfrmProgress::Button1Click);
  hold_ = std::make_unique<TInputHold>(*this);
  hold_->LetThrough(Button1);
}

TfrmProgress::~TfrmProgress() = default;

void TfrmProgress::SetExportData(TExportRecords records, const std::string& title, int kind) {
  const bool none = std::visit([](auto* list) { return list == nullptr; }, records);
  FRecords = none ? std::nullopt : std::optional(records);
  FTitle = title;
  FKind = kind;
}

void RunExport(TGuiDialogs& dialogs, QWidget* owner, TExportRecords records,
               const std::string& title, TExportKind kind) {
  TfrmProgress dialog(owner, dialogs);
  dialog.SetExportData(records, title, static_cast<int>(kind));
  dialogs.ExecModal(dialog);
}

const core::acTableContent& TfrmProgress::MailboxAt(int index) const {
  return *std::get<const core::TMailboxList*>(FRecords.value())->at(index);
}

const core::TOneFolderMessages& TfrmProgress::MessageAt(int index) const {
  return std::get<const core::TFolderMessageList*>(FRecords.value())->at(index);
}

const core::TMsgBoxReport& TfrmProgress::FolderAt(int index) const {
  return std::get<const core::TMsgBoxReportList*>(FRecords.value())->at(index);
}

std::string TfrmProgress::TitleText(const TExportJob& job) const {
  return job.usesTitle ? job.title + FTitle : std::string(job.title);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TfrmProgress::FormShow() {
  if (!FRecords) return;
  const int count =
      std::visit([](auto* list) { return static_cast<int>(list->size()); }, *FRecords);
  ProgressBar1->SetRange(0, count);
  if (!RxTimer1Enabled) dialogs_.OneShot(this, kStartDelayMs, [this] { RxTimer1Timer(); });
  RxTimer1Enabled = true;
  FCount = count;
}

void TfrmProgress::RxTimer1Timer() {
  if (!RxTimer1Enabled) return;
  RxTimer1Enabled = false;  // first, so that it never fires again
  if (const TExportJob* job = FindExportJob(FKind)) RunJob(*job);
}

void TfrmProgress::Button1Click() {
  if (FStopped) done(QDialog::Accepted);
  FStopped = true;
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery())
    QDialog::closeEvent(event);
  else
    event->ignore();
}

void TfrmProgress::reject() {
  if (FormCloseQuery()) QDialog::reject();
}

}  // namespace gui
