// The export progress dialog: runs one export job into the spreadsheet or
// the document application 150 ms after it is shown, shows how far it has
// come, lets the user stop it and closes itself when the job is over.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "ExportJobs.h"
#include "FolderRecords.h"
#include "MailboxCompare.h"
#include "OleAuto.h"

class QPushButton;

namespace gui {

class TGuiDialogs;
class TProgressBar;
class TInputHold;
class TExportWriter;

// The list an export reads, borrowed from the calling window.
using TExportRecords = std::variant<const core::TMailboxList*, const core::TFolderMessageList*,
                                    const core::TMsgBoxReportList*>;

class TfrmProgress final : public QDialog {
 public:
  TfrmProgress(QWidget* owner, TGuiDialogs& dialogs);
  ~TfrmProgress() override;

  // Called once, before the dialog is shown. `kind` is a TExportKind
  // number; any other runs nothing.
  void SetExportData(TExportRecords records, const std::string& title, int kind);

  // Entry `index` of the records; the list must be of that record type.
  const core::acTableContent& MailboxAt(int index) const;
  const core::TOneFolderMessages& MessageAt(int index) const;
  const core::TMsgBoxReport& FolderAt(int index) const;

  // The job's title text: its own text, followed by the handed-over title
  // when the job uses it.
  std::string TitleText(const TExportJob& job) const;

  // The close rule: only once stopped or finished.
  bool FormCloseQuery() const { return FStopped; }
  bool Stopped() const { return FStopped; }
  int Count() const { return FCount; }
  // What SetExportData handed over.
  int Kind() const { return FKind; }
  const std::string& Title() const { return FTitle; }
  const std::optional<TExportRecords>& Records() const { return FRecords; }

  // What "process the pending window messages" does during a job; tests
  // replace it to act at a chosen record.
  void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

  TProgressBar* ProgressBar1 = nullptr;
  QPushButton* Button1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormShow();
  void Button1Click();
  void RxTimer1Timer();
  // The job frame shared by all eight jobs.
  void RunJob(const TExportJob& job);
  automation::OleObject AttachApplication(const TTargetApplication& target) const;
  void RunRecords(const TExportJob& job, TExportWriter& writer, int& counter);
  void Finishing(TExportWriter* writer, int counter, automation::OleObject& application);

  TGuiDialogs& dialogs_;
  std::unique_ptr<TInputHold> hold_;
  std::function<void()> pump_;

  int FKind = 0;
  std::optional<TExportRecords> FRecords;
  std::string FTitle;
  int FCount = 0;
  bool FStopped = false;
  bool RxTimer1Enabled = false;  // started by FormShow, fires once
};

// One export as every caller runs it: the dialog owned by `owner`, handed
// the records, the title and the kind, shown modally and freed when the
// modal call returns (also when it raised).
void RunExport(TGuiDialogs& dialogs, QWidget* owner, TExportRecords records,
               const std::string& title, TExportKind kind);

}  // namespace gui
