// A test machine with the recording server registered as both target
// applications, records to export, and one export run through the dialog.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FolderRecords.h"
#include "MailboxCompare.h"
#include "OleAuto.h"
#include "RecordedCalls.h"
#include "RecordingDialogs.h"
#include "TestMachine.h"
#include "unExportingDlg.h"

namespace exporttest {

inline constexpr CLSID kSheetClass = {
    0x2f9d0c11, 0x51aa, 0x4b6e, {0x8a, 0x01, 0x3c, 0x55, 0x21, 0x7e, 0x90, 0x01}};
inline constexpr CLSID kDocumentClass = {
    0x2f9d0c11, 0x51aa, 0x4b6e, {0x8a, 0x01, 0x3c, 0x55, 0x21, 0x7e, 0x90, 0x02}};

// N records of each type, varied as the columns need: every fourth mailbox
// never logged on or off, every second message has an attachment, every
// third has no delivery time, folder paths with and without the slash.
struct Records {
  explicit Records(int n);
  core::TMailboxList mailboxes;
  core::TFolderMessageList messages;
  core::TMsgBoxReportList folders;
  gui::TExportRecords For(int kind) const;
};

struct RunResult {
  std::vector<std::string> calls;     // what the application recorded during the run
  std::vector<std::string> captions;  // the dialog's caption at each round of messages
  std::string finalCaption;
  int barMaximum = 0;
  int barPosition = 0;
  bool stopped = false;
  int result = 0;  // the dialog's modal result
  bool visible = false;
};

class ExportFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the recorder for `clsid` as an application the user has running.
  void StartApplication(const CLSID& clsid);
  // The recording of the application running for `clsid`.
  automation::ComRef<automation::IRecordedCalls> Recording(const CLSID& clsid) const;

  // Shows a dialog for `kind`, fires its start timer and returns what the
  // job did. `atMessages` runs at each round of messages with the number
  // of records written so far.
  RunResult Run(int kind, const Records& records, const std::string& title,
                std::function<void(gui::TfrmProgress&, int)> atMessages = {});

  testsupport::TestMachine machine;
  testsupport::RecordingDialogs dialogs;
};

}  // namespace exporttest
