// The frame every export job runs in: attach to the target application or
// create it, the record loop with its progress and Stop, the error guard
// and the finishing.
#include <QCoreApplication>
#include <QThread>
#include <cstdio>

#include "ExportWriter.h"
#include "GuiDialogs.h"
#include "InputHold.h"
#include "TProgressBar.h"
#include "unExportingDlg.h"

namespace gui {

namespace {

constexpr int kCaptionEvery = 10;
constexpr unsigned long kSettleMs = 150;

std::string ProgressText(const char* format, int index, int count) {
  char text[96];
  std::snprintf(text, sizeof text, format, index, count);
  return text;
}

}  // namespace

automation::OleObject TfrmProgress::AttachApplication(const TTargetApplication& target) const {
  using namespace automation;
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(target.progId, &clsid))) return {};
  // An application that is already running is reused.
  ComRef<IUnknown> running;
  if (SUCCEEDED(GetActiveObject(clsid, nullptr, running.Put()))) {
    if (DispatchRef dispatch = QueryDispatch(running.get())) return OleObject(dispatch);
  }
  DispatchRef created;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(created.Put()))) ||
      !created)
    return {};
  OleObject application(created);
  try {
    application.Put("Visible", false);
  } catch (const EOleError&) {
    return {};
  }
  return application;
}

void TfrmProgress::RunJob(const TExportJob& job) {
  const TTargetApplication& target = TargetApplication(job.target);
  automation::OleObject application = AttachApplication(target);
  if (!application) {
    dialogs_.PlainBox(target.unavailable);
    return;
  }
  const TInputHold::Scope hold(*hold_);
  const std::unique_ptr<TExportWriter> writer = job.target == TExportTarget::Excel
                                                    ? MakeSheetWriter(job, *this, application)
                                                    : MakeDocumentWriter(job, *this, application);
  int counter = 0;
  try {
    writer->Begin(FCount);
    RunRecords(job, *writer, counter);
  } catch (const std::exception& e) {
    dialogs_.PlainBox(e.what());
  } catch (...) {
    // Not ours to report; the finishing still runs before it passes on.
    Finishing(writer.get(), counter, application);
    throw;
  }
  Finishing(writer.get(), counter, application);
}

void TfrmProgress::RunRecords(const TExportJob& job, TExportWriter& writer, int& counter) {
  for (int i = 0; i < FCount; ++i) {
    writer.WriteRecord(i);
    ProgressBar1->StepIt();
    // The index of the record just written, not the number written.
    if (i % kCaptionEvery == 0)
      setWindowTitle(QString::fromStdString(ProgressText(job.progress, i, FCount)));
    pump_();
    if (FStopped) break;
    ++counter;
  }
}

void TfrmProgress::Finishing(TExportWriter* writer, int counter,
                             automation::OleObject& application) {
  // An error in the job's own finishing is shown like one in the records,
  // so that the application is still shown and released and the dialog
  // still closes.
  try {
    if (writer) writer->Finish(counter);
  } catch (const std::exception& e) {
    dialogs_.PlainBox(e.what());
  }
  try {
    application.Put("Visible", true);
  } catch (const std::exception& e) {
    dialogs_.PlainBox(e.what());
  }
  QThread::msleep(kSettleMs);
  pump_();
  application = automation::OleObject();
  FStopped = true;
  done(QDialog::Accepted);
}

}  // namespace gui
