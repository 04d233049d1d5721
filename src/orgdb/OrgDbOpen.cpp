// Opening, creating and checking an organisation database; the statement
// helpers; transactions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "OrgDbImpl.h"

namespace orgdb {
namespace detail {

Query& Query::Bind(int index, std::int64_t v) {
  int rc = sqlite3_bind_int64(stmt_, index, v);
  if (rc != SQLITE_OK) Fail(rc);
  return *this;
}

Query& Query::Bind(int index, std::string_view text) {
  // Stored as TEXT with the exact bytes: SQLite does not check the encoding,
  // so non-UTF-8 bytes come back unchanged.
  int rc = sqlite3_bind_text64(stmt_, index, text.data() ? text.data() : "", text.size(),
                               SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) Fail(rc);
  return *this;
}

Query& Query::BindBlob(int index, const Bytes& bytes) {
  int rc =
      sqlite3_bind_blob64(stmt_, index, bytes.empty() ? "" : static_cast<const void*>(bytes.data()),
                          bytes.size(), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) Fail(rc);
  return *this;
}

Query& Query::BindNull(int index) {
  int rc = sqlite3_bind_null(stmt_, index);
  if (rc != SQLITE_OK) Fail(rc);
  return *this;
}

bool Query::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(rc);
}

void Query::Run() {
  while (Step()) {
  }
}

std::string Query::Text(int col) const {
  return std::string(TextView(col));
}

std::string_view Query::TextView(int col) const {
  // The blob accessor hands out a TEXT value's bytes without conversion.
  const void* p = sqlite3_column_blob(stmt_, col);
  int n = sqlite3_column_bytes(stmt_, col);
  return p ? std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(n))
           : std::string_view();
}

Bytes Query::Blob(int col) const {
  const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, col));
  int n = sqlite3_column_bytes(stmt_, col);
  return p ? Bytes(p, p + n) : Bytes();
}

void Query::Fail(int rc) const {
  std::string what = sqlite3_errmsg(db_);
  if (what.empty()) what = sqlite3_errstr(rc);
  throw OrgDbError("The organisation database \"" + *path_ + "\" failed: " + what + ".");
}

}  // namespace detail

namespace {

// SQLite reports an unreadable file in several ways; all mean the file is not
// a database we can read.
bool IsDamage(int rc) {
  int primary = rc & 0xFF;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_FORMAT;
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

OrgDb::Impl::~Impl() {
  if (fd >= 0) ::close(fd);
  for (auto& [sql, stmt] : statements) sqlite3_finalize(stmt);
  if (db) {
    if (transactionDepth > 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
}

detail::Query OrgDb::Impl::Prepare(std::string_view sql) {
  auto it = statements.find(sql);
  if (it == statements.end()) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
      std::string what = sqlite3_errmsg(db);
      sqlite3_finalize(stmt);
      throw OrgDbError("The organisation database " + Quoted(path) + " failed: " + what + ".");
    }
    it = statements.emplace(sql, stmt).first;
  }
  return detail::Query(db, it->second, &path);
}

void OrgDb::Impl::Exec(const char* sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    std::string what = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    throw OrgDbError("The organisation database " + Quoted(path) + " failed: " + what + ".");
  }
}

void OrgDb::Impl::OpenCheckHandle(const struct stat* before) {
  // Without blocking, in case something other than a file has taken the
  // name since the connection opened it.
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd < 0) return;
  const bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                    (!before || (st.st_dev == before->st_dev && st.st_ino == before->st_ino));
  if (!same) {
    // Perhaps not the file the connection reads: checks go by name then.
    ::close(fd);
    fd = -1;
  }
}

void OrgDb::Impl::RequireWritable() const {
  if (!writable)
    throw OrgDbError("The organisation database " + Quoted(path) + " was opened for reading only.");
}

OrgDb::OrgDb(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
OrgDb::~OrgDb() = default;

std::unique_ptr<OrgDb> OrgDb::Open(const std::string& path, std::string* error, bool writable) {
  auto fail = [&](std::string sentence) -> std::unique_ptr<OrgDb> {
    if (error) *error = std::move(sentence);
    return nullptr;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return fail("The organisation database " + Quoted(path) + " does not exist.");
  if (!S_ISREG(st.st_mode))
    return fail("The organisation database " + Quoted(path) + " is not a file.");
  if (st.st_size == 0)
    return fail("The file " + Quoted(path) + " is empty, not an organisation database.");

  auto impl = std::make_unique<Impl>();
  impl->path = path;
  impl->writable = writable;
  int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &impl->db, flags, nullptr);
  if (rc != SQLITE_OK)
    return fail("The organisation database " + Quoted(path) + " cannot be opened: " +
                (impl->db ? sqlite3_errmsg(impl->db) : sqlite3_errstr(rc)) + ".");
  sqlite3_busy_timeout(impl->db, 5000);
  sqlite3_extended_result_codes(impl->db, 1);

  // The first read of the schema tells a damaged file from a foreign one.
  sqlite3_stmt* stmt = nullptr;
  rc = sqlite3_prepare_v2(impl->db, "SELECT count(*) FROM sqlite_schema WHERE name = 'meta'", -1,
                          &stmt, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
  bool hasMeta = rc == SQLITE_ROW && sqlite3_column_int(stmt, 0) > 0;
  sqlite3_finalize(stmt);
  if (rc != SQLITE_ROW) {
    if (IsDamage(rc))
      return fail("The file " + Quoted(path) + " is damaged or is not an SQLite database.");
    return fail("The organisation database " + Quoted(path) +
                " cannot be read: " + sqlite3_errmsg(impl->db) + ".");
  }
  if (!hasMeta)
    return fail("The file " + Quoted(path) +
                " is an SQLite database but not an organisation database.");

  std::optional<std::string> product;
  std::optional<std::string> version;
  try {
    auto meta = impl->Prepare("SELECT key, value FROM meta");
    while (meta.Step()) {
      if (meta.IsNull(0) || meta.IsNull(1)) continue;  // such a row names nothing
      const std::string_view key = meta.TextView(0);
      if (key == "product") product = meta.Text(1);
      if (key == "schema_version") version = meta.Text(1);
    }
  } catch (const OrgDbError&) {
    // A meta table of another shape, or one that cannot be read.
    if (IsDamage(sqlite3_extended_errcode(impl->db)))
      return fail("The file " + Quoted(path) + " is damaged or is not an SQLite database.");
    return fail("The file " + Quoted(path) +
                " is an SQLite database but not an organisation database.");
  }
  if (product != detail::kProductMarker)
    return fail("The file " + Quoted(path) +
                " is an SQLite database but not an organisation database.");
  if (version != std::to_string(kSchemaVersion))
    return fail("The organisation database " + Quoted(path) + " has schema version " +
                (version ? *version : std::string("(none)")) + ", but this program reads version " +
                std::to_string(kSchemaVersion) + ".");
  impl->OpenCheckHandle(&st);
  return std::unique_ptr<OrgDb>(new OrgDb(std::move(impl)));
}

std::unique_ptr<OrgDb> OrgDb::Create(const std::string& path, std::string* error) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  impl->writable = true;
  int rc =
      sqlite3_open_v2(path.c_str(), &impl->db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    if (error)
      *error = "The organisation database " + Quoted(path) +
               " cannot be created: " + (impl->db ? sqlite3_errmsg(impl->db) : sqlite3_errstr(rc)) +
               ".";
    return nullptr;
  }
  sqlite3_busy_timeout(impl->db, 5000);
  sqlite3_extended_result_codes(impl->db, 1);
  try {
    // Generated organisations are large; a bigger page cache keeps their
    // index updates off the disk.
    impl->Exec("PRAGMA cache_size = -65536");
    detail::CreateSchema(*impl);
  } catch (const OrgDbError& e) {
    if (error) *error = e.what();
    return nullptr;
  }
  impl->OpenCheckHandle(nullptr);
  return std::unique_ptr<OrgDb>(new OrgDb(std::move(impl)));
}

void OrgDb::Begin() {
  impl_->RequireWritable();
  if (impl_->transactionDepth++ == 0) impl_->Exec("BEGIN IMMEDIATE");
}

void OrgDb::Commit() {
  if (impl_->transactionDepth == 0) return;
  if (--impl_->transactionDepth == 0) impl_->Exec("COMMIT");
}

std::string DatabasePath(const std::string& machineRoot) {
  if (!machineRoot.empty() && machineRoot.back() == '/') return machineRoot + kDatabaseFileName;
  return machineRoot + "/" + kDatabaseFileName;
}

}  // namespace orgdb
