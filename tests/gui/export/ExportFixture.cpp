#include "ExportFixture.h"

#include <QPushButton>
#include <filesystem>

#include "LocaleSettings.h"
#include "MAPIDateUtils.h"
#include "TProgressBar.h"
#include "Win32.h"

namespace fs = std::filesystem;
using namespace automation;

namespace exporttest {

Records::Records(int n) {
  for (int i = 0; i < n; ++i) {
    auto m = std::make_unique<core::acTableContent>();
    m->emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=user" + std::to_string(i);
    m->displayName = "User " + std::to_string(i);
    m->ntUserName = "CORP\\user" + std::to_string(i);
    m->messageSize = 1536 + 512 * i;
    m->contentCount = 10 + i;
    m->assocContentCount = i;
    if (i % 4 != 3) {
      m->lastLogonTime = 38777.5 + i;
      m->lastLogoffTime = 38777.75 + i;
    }
    m->storageLimitInformation = i % 2 ? "Issue warning" : "";
    mailboxes.push_back(std::move(m));

    core::TOneFolderMessages g;
    g.hasAttachment = i % 2 == 0;
    g.subject = "Subject " + std::to_string(i);
    g.size = 2048 + 256 * static_cast<std::uint32_t>(i);
    if (i % 3 != 2) g.deliveryTime = 38749.25 + i;
    messages.push_back(std::move(g));

    core::TMsgBoxReport f;
    f.mailbox = "Mailbox " + std::to_string(i / 5);
    f.folderPath = (i % 2 ? "Folder " : "/Folder ") + std::to_string(i);
    f.itemCount = i;
    f.size = 1024 * static_cast<std::uint32_t>(i);
    folders.push_back(std::move(f));
  }
}

gui::TExportRecords Records::For(int kind) const {
  if (kind <= 2) return &mailboxes;
  if (kind <= 4) return &messages;
  return &folders;
}

void ExportFixture::SetUp() {
  ASSERT_TRUE(machine.SetUp());
  fs::create_symlink(fs::path(testsupport::TestMachine::BinDir()) / "librecorder.so",
                     fs::path(machine.root()) / "system32" / "librecorder.so");
  ASSERT_EQ(RegisterInprocServer("Excel.Application", kSheetClass, "recorder.dll"), ERROR_SUCCESS);
  ASSERT_EQ(RegisterInprocServer("Word.Application", kDocumentClass, "recorder.dll"),
            ERROR_SUCCESS);
  platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
}

void ExportFixture::TearDown() {
  CoUninitialize();
  platform::ResetLocaleForTesting();
}

void ExportFixture::StartApplication(const CLSID& clsid) {
  ComRef<IUnknown> created;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(created.Put())),
            S_OK);
}

ComRef<IRecordedCalls> ExportFixture::Recording(const CLSID& clsid) const {
  ComRef<IUnknown> running;
  ComRef<IRecordedCalls> recording;
  if (SUCCEEDED(GetActiveObject(clsid, nullptr, running.Put())))
    running->QueryInterface(IID_IRecordedCalls, reinterpret_cast<void**>(recording.Put()));
  return recording;
}

RunResult ExportFixture::Run(int kind, const Records& records, const std::string& title,
                             std::function<void(gui::TfrmProgress&, int)> atMessages) {
  const CLSID& clsid = kind % 2 ? kSheetClass : kDocumentClass;
  std::size_t before = 0;
  if (auto recording = Recording(clsid)) before = recording->Calls().size();
  RunResult r;
  gui::TfrmProgress dialog(nullptr, dialogs);
  dialog.SetExportData(records.For(kind), title, kind);
  dialog.SetMessagePump([&] {
    r.captions.push_back(dialog.windowTitle().toStdString());
    if (atMessages) atMessages(dialog, dialog.ProgressBar1->Position());
  });
  dialog.show();
  dialogs.FireTimers();
  if (auto recording = Recording(clsid)) {
    const auto calls = recording->Calls();
    r.calls.assign(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end());
  }
  r.finalCaption = dialog.windowTitle().toStdString();
  r.barMaximum = dialog.ProgressBar1->Maximum();
  r.barPosition = dialog.ProgressBar1->Position();
  r.stopped = dialog.Stopped();
  r.result = dialog.result();
  r.visible = dialog.isVisible();
  return r;
}

}  // namespace exporttest
