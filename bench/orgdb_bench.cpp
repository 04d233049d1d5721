// Generates a server of 100,000 mailboxes (the generator must stay under a
// minute), then reads its mailbox table in batches of 50 and compares that
// with one plain SELECT of the same columns from the same file, and reads a
// folder of 200,000 generated messages in batches of 50.
//
//   orgdb_bench [--mailboxes N] [--keep DIR]
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Generator.h"
#include "OrgDb.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The baseline: every mailbox column of the server in one statement.
double PlainSelect(const std::string& path, std::int64_t serverId, std::int64_t* rows) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  auto start = Clock::now();
  sqlite3_prepare_v2(
      db,
      "SELECT id, server_id, table_order, alias, email, display_name, nt_user_name, message_size, "
      "content_count, assoc_content_count, last_logon, last_logoff, storage_limit FROM mailboxes "
      "WHERE server_id = ?1 ORDER BY table_order, id",
      -1, &stmt, nullptr);
  sqlite3_bind_int64(stmt, 1, serverId);
  std::uint64_t checksum = 0;
  *rows = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    // Touch every column as the batched read copies them.
    for (int c = 0; c < 13; ++c) {
      if (sqlite3_column_type(stmt, c) == SQLITE_TEXT) {
        std::string text(reinterpret_cast<const char*>(sqlite3_column_blob(stmt, c)),
                         static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
        checksum += text.size();
      } else {
        checksum += static_cast<std::uint64_t>(sqlite3_column_int64(stmt, c));
      }
    }
    ++*rows;
  }
  double seconds = Since(start);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (checksum == 42) std::puts("");  // keeps the loop from being optimised away
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int mailboxes = 100000;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--mailboxes") mailboxes = std::atoi(argv[i + 1]);
    if (a == "--keep") keep = argv[i + 1];
  }
  namespace fs = std::filesystem;
  fs::path dir = keep.empty()
                     ? fs::temp_directory_path() / ("orgdb-bench-" + std::to_string(::getpid()))
                     : fs::path(keep);
  fs::create_directories(dir);
  std::string path = (dir / "bench.db").string();

  tabrixorg::GeneratorOptions options;
  options.seed = 2006;
  options.sites = tabrixorg::DefaultLayout(1, mailboxes);
  options.largeFolderMessages = 200000;
  std::string error;
  auto start = Clock::now();
  {
    auto db = orgdb::OrgDb::Create(path, &error);
    if (!db) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    tabrixorg::Generate(*db, options);
  }
  double generate = Since(start);
  std::printf("generate: %d mailboxes in %.2f s (limit 60 s: %.2f of it)\n", mailboxes, generate,
              generate / 60.0);

  auto db = orgdb::OrgDb::Open(path, &error);
  if (!db) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::int64_t server = db->Servers()[0].id;
  std::int64_t plainRows = 0;
  double plain = PlainSelect(path, server, &plainRows);

  start = Clock::now();
  std::int64_t batchRows = 0;
  for (std::int64_t pos = 0;; pos += 50) {
    auto batch = db->MailboxBatch(server, pos, 50);
    if (batch.empty()) break;
    batchRows += static_cast<std::int64_t>(batch.size());
  }
  double batched = Since(start);
  std::printf(
      "mailbox table: plain SELECT %lld rows %.3f s; batches of 50 %lld rows %.3f s; ratio %.2f\n",
      static_cast<long long>(plainRows), plain, static_cast<long long>(batchRows), batched,
      batched / plain);

  // The large folder, against one mailbox table read of comparable length.
  auto mailbox = db->Mailboxes(server).at(mailboxes > 1 ? 1 : 0);
  std::int64_t archive = 0;
  for (const auto& f : db->ChildFolders(db->ChildFolders(db->TopFolder(mailbox.id)->id)[0].id))
    if (f.urlName == "/Inbox/Archive") archive = f.id;
  start = Clock::now();
  std::int64_t messages = 0;
  for (std::int64_t pos = 0;; pos += 50) {
    auto batch = db->MessageBatch(archive, pos, 50, true);
    if (batch.empty()) break;
    messages += static_cast<std::int64_t>(batch.size());
  }
  double folder = Since(start);
  std::printf(
      "large folder: %lld messages in batches of 50 by submit time %.3f s; %.2f of the plain "
      "mailbox SELECT "
      "per row\n",
      static_cast<long long>(messages), folder,
      (folder / static_cast<double>(messages)) / (plain / static_cast<double>(plainRows)));
  db.reset();
  if (keep.empty()) fs::remove_all(dir);
  return 0;
}
