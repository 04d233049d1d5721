// Reading a server's mailbox table of 100,000 rows through the MAPI
// stand-in (GetMailboxTable, the nine columns, QueryRows in batches of 50,
// FreeProws) against sqlite3 selecting the same nine columns of the same
// database file, both in this one run. Prints both times and their ratio
// (target: at most 1.5). The two readers alternate for several rounds and
// each keeps its best; the ratio is taken on the process's CPU time, which
// other load on the machine does not inflate, and the wall-time ratio is
// printed beside it.
//
// Usage: mapisim_mailbox_table [MAILBOXES] [WORK_DIR]
#include <sqlite3.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MAPIDefs.h"
#include "MachineSetup.h"
#include "MapiSimApi.h"
#include "OrgDb.h"
#include "Win32.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Best {
  double wall = 1e9;
  double cpu = 1e9;
  template <class F>
  auto Measure(F&& f) {
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    auto result = f();
    cpu = std::min(cpu, CpuSeconds() - cpuStart);
    wall = std::min(wall, Seconds(start));
    return result;
  }
};

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "mapisim_mailbox_table: %s\n", what.c_str());
  std::exit(2);
}

// What both readers fold every row into, so that neither can skip work and
// both can be compared.
struct Digest {
  std::uint64_t rows = 0;
  std::uint64_t sum = 0;
  void Text(const unsigned char* s, std::size_t n) {
    sum += n;
    if (n) sum += s[0] + s[n - 1];
  }
  void Number(std::uint64_t v) { sum += v; }
};

// The baseline: one SELECT of the nine columns, every value read.
Digest ReadWithSqlite(const std::string& db, std::int64_t serverId) {
  sqlite3* handle = nullptr;
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    Die("cannot open " + db);
  sqlite3_stmt* stmt = nullptr;
  const char* sql =
      "SELECT email, display_name, nt_user_name, message_size, content_count, "
      "assoc_content_count, last_logon, last_logoff, storage_limit FROM mailboxes "
      "WHERE server_id = ?1 ORDER BY table_order, id";
  if (sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) != SQLITE_OK)
    Die(std::string("cannot prepare: ") + sqlite3_errmsg(handle));
  sqlite3_bind_int64(stmt, 1, serverId);
  Digest d;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    ++d.rows;
    for (int c = 0; c < 3; ++c)
      if (sqlite3_column_type(stmt, c) != SQLITE_NULL)
        d.Text(sqlite3_column_text(stmt, c),
               static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
    for (int c = 3; c < 9; ++c)
      if (sqlite3_column_type(stmt, c) != SQLITE_NULL)
        d.Number(static_cast<std::uint64_t>(sqlite3_column_int64(stmt, c)));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(handle);
  return d;
}

std::size_t ReadWithOrgDb(const orgdb::OrgDb& db, std::int64_t serverId) {
  std::size_t rows = 0;
  for (std::int64_t position = 0;; position += 256) {
    const auto window = db.MailboxTableWindow(serverId, position, 256);
    if (window.rows.empty()) break;
    rows += window.rows.size();
  }
  return rows;
}

struct Mapi {
  LPMAPIINITIALIZE initialize;
  LPMAPIUNINITIALIZE uninitialize;
  LPMAPILOGONEX logon;
  LPHRQUERYALLROWS queryAllRows;
  LPFREEPROWS freeProws;
  LPTABRIXSIMQUERYACCOUNTING accounting;
};

template <class F>
void Bind(HMODULE m, const char* name, F* out) {
  *out = reinterpret_cast<F>(GetProcAddress(m, name));
  if (!*out) Die(std::string("missing ") + name);
}

// The private store's management interface, as the programs obtain it.
IExchangeManageStore* ManageStore(const Mapi& mapi, IMAPISession* session) {
  IMAPITable* stores = nullptr;
  if (session->GetMsgStoresTable(0, &stores) != S_OK) Die("GetMsgStoresTable");
  SizedSPropTagArray<1> cols{1, {PR_ENTRYID}};
  SPropValue provider{};
  provider.ulPropTag = PR_MDB_PROVIDER;
  provider.Value.bin = {16, const_cast<BYTE*>(pbExchangeProviderPrimaryUserGuid)};
  SRestriction res{};
  res.rt = RES_PROPERTY;
  res.res.resProperty = {RELOP_EQ, PR_MDB_PROVIDER, &provider};
  SRowSet* rows = nullptr;
  if (mapi.queryAllRows(stores, cols.get(), &res, nullptr, 0, &rows) != S_OK || rows->cRows != 1)
    Die("no private store");
  IMsgStore* store = nullptr;
  const SBinary& id = rows->aRow[0].lpProps[0].Value.bin;
  if (session->OpenMsgStore(0, id.cb, reinterpret_cast<LPENTRYID>(id.lpb), nullptr, 0x11, &store) !=
      S_OK)
    Die("OpenMsgStore");
  mapi.freeProws(rows);
  stores->Release();
  IExchangeManageStore* manage = nullptr;
  if (store->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&manage)) != S_OK)
    Die("IExchangeManageStore");
  ULONG flags = LOGOFF_NO_WAIT;
  store->StoreLogoff(&flags);
  store->Release();
  return manage;
}

// The measured part: the mailbox table of the server, read to its end.
Digest ReadWithMapi(const Mapi& mapi, IExchangeManageStore* manage, std::string serverDn) {
  IMAPITable* table = nullptr;
  if (manage->GetMailboxTable(serverDn.data(), &table, 0) != S_OK) Die("GetMailboxTable");
  SizedSPropTagArray<9> cols{
      9,
      {PR_EMAIL_ADDRESS, PR_DISPLAY_NAME, PR_NT_USER_NAME, PR_MESSAGE_SIZE_EXTENDED,
       PR_CONTENT_COUNT, PR_ASSOC_CONTENT_COUNT, PR_LAST_LOGON_TIME, PR_LAST_LOGOFF_TIME,
       PR_STORAGE_LIMIT_INFORMATION}};
  ULONG count = 0;
  if (table->SetColumns(cols.get(), TBL_BATCH) != S_OK || table->GetRowCount(0, &count) != S_OK ||
      table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr) != S_OK)
    Die("table set-up");
  Digest d;
  for (;;) {
    SRowSet* rows = nullptr;
    if (table->QueryRows(50, 0, &rows) != S_OK) Die("QueryRows");
    const ULONG n = rows->cRows;
    for (ULONG r = 0; r < n; ++r) {
      ++d.rows;
      const SPropValue* v = rows->aRow[r].lpProps;
      for (int c = 0; c < 3; ++c)
        if (PROP_TYPE(v[c].ulPropTag) == PT_STRING8) {
          const auto* s = reinterpret_cast<const unsigned char*>(v[c].Value.lpszA);
          d.Text(s, std::char_traits<char>::length(v[c].Value.lpszA));
        }
      for (int c = 3; c < 9; ++c) {
        switch (PROP_TYPE(v[c].ulPropTag)) {
          case PT_I8:
            d.Number(static_cast<std::uint64_t>(v[c].Value.li));
            break;
          case PT_LONG:
            d.Number(static_cast<std::uint64_t>(static_cast<std::int64_t>(v[c].Value.l)));
            break;
          case PT_SYSTIME:
            d.Number((static_cast<std::uint64_t>(v[c].Value.ft.dwHighDateTime) << 32) |
                     v[c].Value.ft.dwLowDateTime);
            break;
          default:
            break;
        }
      }
    }
    mapi.freeProws(rows);
    if (n == 0) break;
  }
  if (d.rows != count) Die("row count and rows read differ");
  table->Release();
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  const long mailboxes = argc > 1 ? std::atol(argv[1]) : 100000;
  const fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "mapisim_bench";
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string org = (work / "org.db").string();
  const std::string root = (work / "machine").string();

  const auto start = Clock::now();
  const std::string generate = std::string(TABRIX_ORG_TOOL) +
                               " generate --seed 1 --servers 1 --mailboxes " +
                               std::to_string(mailboxes) + " --out " + org + " > /dev/null";
  if (std::system(generate.c_str()) != 0) Die("generating the organisation failed");
  std::printf("generated %ld mailboxes in %.1f s\n", mailboxes, Seconds(start));

  orgdb::MachineSetupOptions setup;
  setup.mapiLibrary = TABRIX_MAPI_LIBRARY;
  setup.organisationDb = org;
  setup.defaultProfileMailbox = "admin";
  setup.defaultProfileServer = "SRV01";
  std::string error;
  if (!orgdb::SetUpMachineRoot(root, setup, &error)) Die(error);
  setenv("TABRIX_MACHINE", root.c_str(), 1);

  std::string dbError;
  auto db = orgdb::OrgDb::Open(orgdb::DatabasePath(root), &dbError);
  if (!db) Die(dbError);
  const auto server = db->FindServerByName("SRV01");
  if (!server) Die("no SRV01");
  const std::int64_t serverId = server->id;
  const std::string serverDn = server->legacyDn;
  db.reset();

  HMODULE module = LoadLibraryA("mapi32.dll");
  if (!module) Die("LoadLibraryA(mapi32.dll)");
  Mapi mapi{};
  Bind(module, "MAPIInitialize@4", &mapi.initialize);
  Bind(module, "MAPIUninitialize@0", &mapi.uninitialize);
  Bind(module, "MAPILogonEx@20", &mapi.logon);
  Bind(module, "HrQueryAllRows@24", &mapi.queryAllRows);
  Bind(module, "FreeProws@4", &mapi.freeProws);
  Bind(module, "TabrixSimQueryAccounting", &mapi.accounting);
  if (mapi.initialize(nullptr) != S_OK) Die("MAPIInitialize");
  IMAPISession* session = nullptr;
  if (mapi.logon(0, nullptr, nullptr, 0x8062, &session) != S_OK) Die("MAPILogonEx");
  IExchangeManageStore* manage = ManageStore(mapi, session);

  // Alternate the two readers; keep each one's best of several runs.
  const std::string dbPath = orgdb::DatabasePath(root);
  // For context: the organisation database's own reads, in the windows the
  // stand-in reads them in, without any MAPI on top.
  Best sqliteTime, mapiTime, orgTime;
  auto orgDb = orgdb::OrgDb::Open(dbPath, &dbError);
  if (!orgDb) Die(dbError);
  Digest viaSqlite, viaMapi;
  for (int round = 0; round < 7; ++round) {
    viaSqlite = sqliteTime.Measure([&] { return ReadWithSqlite(dbPath, serverId); });
    viaMapi = mapiTime.Measure([&] { return ReadWithMapi(mapi, manage, serverDn); });
    orgTime.Measure([&] { return ReadWithOrgDb(*orgDb, serverId); });
  }
  if (viaSqlite.rows != viaMapi.rows || viaSqlite.sum != viaMapi.sum)
    Die("the two readers saw different data");

  manage->Release();
  session->Logoff(0, 0, 0);
  session->Release();
  mapi.uninitialize();
  TabrixSimAccounting a{};
  mapi.accounting(&a);

  std::printf("rows: %llu\n", static_cast<unsigned long long>(viaMapi.rows));
  std::printf("                                           CPU ms    wall ms\n");
  std::printf("sqlite3 SELECT of the nine columns:      %8.1f   %8.1f\n", sqliteTime.cpu * 1000,
              sqliteTime.wall * 1000);
  std::printf("GetMailboxTable + QueryRows(50) batches: %8.1f   %8.1f\n", mapiTime.cpu * 1000,
              mapiTime.wall * 1000);
  std::printf("OrgDb::MailboxTableWindow alone:         %8.1f   %8.1f\n", orgTime.cpu * 1000,
              orgTime.wall * 1000);
  std::printf("ratio, CPU time (target at most 1.5):    %8.2f\n", mapiTime.cpu / sqliteTime.cpu);
  std::printf("ratio, wall time:                        %8.2f\n", mapiTime.wall / sqliteTime.wall);
  std::printf("left behind: %u objects, %u buffers\n", a.liveObjects, a.outstandingBuffers);
  FreeLibrary(module);
  fs::remove_all(work);
  return 0;
}
