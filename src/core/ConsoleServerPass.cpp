#include "ConsoleServerPass.h"

#include "ConsoleOutput.h"
#include "MailboxRecord.h"
#include "MailboxTable.h"
#include "MapiErrorText.h"
#include "MapiPtr.h"
#include "PrivateStore.h"
#include "Win32.h"

namespace core {

namespace {

using mapi::Flavour;

class ConsolePass final : public MailboxTableListener {
 public:
  ConsolePass(const ConsoleServerEntry& server, ConsolePassContext& context)
      : server_(server), ctx_(context) {}

  // Success milestone: an event when asked, and the same line on the console.
  void Milestone(const std::string& text) {
    if (ctx_.logSuccess) Log(text, EVENTLOG_INFORMATION_TYPE);
    mapi::WriteLine(*ctx_.out, text);
  }

  // A failure: the last error, written (separated or not), always logged.
  void Failure(const std::string& text, bool separated) {
    if (ctx_.lastError) *ctx_.lastError = text;
    if (separated)
      mapi::WriteSeparated(*ctx_.out, {text});
    else
      mapi::WriteLine(*ctx_.out, text);
    Log(text, EVENTLOG_ERROR_TYPE);
  }

  void Failed(MailboxTableStep step, HRESULT hr, const mapi::ErrorSource& object) override {
    switch (step) {
      case MailboxTableStep::StoreLogoff:
        Failure("MS MAPI Error on Store Logoff!", false);
        break;
      case MailboxTableStep::GetMailboxTable:
        Failure(MailboxTableFailureText(Flavour::Console, hr, object) + " for Server " +
                    server_.serverName,
                false);
        break;
      default:
        Failure(mapi::MapiErrorText(Flavour::Console, object, hr), true);
        break;
    }
  }

  void ManageStoreObtained() override { Milestone("Query Interface Exchange Manage Store - OK!"); }

  void BeforeMailboxTable() override {
    mapi::WriteLine(*ctx_.out, "Processing Server: " + server_.serverName + " ...");
  }

  void MailboxTableOpened() override {
    Milestone("Get Mailbox Table From Server " + server_.serverName + " - OK!");
  }

  bool RowCountKnown(ULONG count) override {
    if (count == 0) return false;
    mapi::WriteLine(
        *ctx_.out, "# of Mailboxes at Server " + server_.serverName + ": " + std::to_string(count));
    return true;
  }

  void Row(const SRow& row) override {
    acTableContent record = ConvertMailboxRow(row, Flavour::Console, ctx_.out);
    if (server_.realNtAccount && ctx_.resolveOwner)
      record.mailboxOwner = ctx_.resolveOwner(record.emailAddress);
    if (PassesSizeLimit(record.messageSize, server_.sizeLimitKb) && ctx_.keep)
      ctx_.keep(std::move(record));
  }

  void BatchDone() override {
    if (ctx_.betweenBatches) ctx_.betweenBatches();
  }

 private:
  void Log(const std::string& text, WORD type) {
    if (ctx_.logEvent) ctx_.logEvent(text, type);
  }

  const ConsoleServerEntry& server_;
  ConsolePassContext& ctx_;
};

}  // namespace

bool RunConsoleServerPass(IMAPISession* session, const ConsoleServerEntry& server,
                          ConsolePassContext& context) {
  ConsolePass pass(server, context);
  mapi::ComPtr<IMsgStore> store;
  const HRESULT hr = OpenPrivateStoreConsole(session, &store);
  if (FAILED(hr) || !store) {
    pass.Failure(mapi::MapiErrorText(Flavour::Console, session, FAILED(hr) ? hr : E_FAIL), true);
    return false;
  }
  pass.Milestone("Open Exchange Private Store - OK!");
  std::string scratchDn;
  std::string* kept = context.keptServerDn ? context.keptServerDn : &scratchDn;
  return SUCCEEDED(
      ReadMailboxTable(Flavour::Console, std::move(store), server.serverDn, kept, pass));
}

}  // namespace core
