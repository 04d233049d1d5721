// Internal to the orgdb library: the SQLite connection, a cache of prepared
// statements, and the cursor that keeps batched reads off OFFSET scans.
#pragma once

#include <sqlite3.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "OrgDb.h"

namespace orgdb::detail {

// Unsigned 64-bit values (FILETIMEs, versions, sizes) are stored as the
// signed integer with the same bit pattern.
inline std::int64_t ToStored(std::uint64_t v) {
  return static_cast<std::int64_t>(v);
}
inline std::uint64_t FromStored(std::int64_t v) {
  return static_cast<std::uint64_t>(v);
}

// One use of a cached prepared statement; resets it and clears its bindings
// when the use ends, so no read keeps a lock between calls.
class Query {
 public:
  Query(sqlite3* db, sqlite3_stmt* stmt, const std::string* path)
      : db_(db), stmt_(stmt), path_(path) {}
  ~Query() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(int index, std::int64_t v);
  Query& Bind(int index, std::string_view text);
  Query& BindBlob(int index, const Bytes& bytes);
  Query& BindNull(int index);
  template <class T>
  Query& BindOpt(int index, const std::optional<T>& v) {
    return v ? Bind(index, *v) : BindNull(index);
  }
  Query& BindOptText(int index, const std::optional<std::string>& v) {
    return v ? Bind(index, std::string_view(*v)) : BindNull(index);
  }

  // True while a row is available; throws OrgDbError on any failure.
  bool Step();
  // Runs a statement that returns no rows.
  void Run();

  bool IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  std::int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
  std::uint64_t UInt(int col) const { return FromStored(Int(col)); }
  std::string Text(int col) const;
  // The bytes of a text column, valid until the next Step.
  std::string_view TextView(int col) const;
  Bytes Blob(int col) const;
  std::optional<std::string> OptText(int col) const {
    return IsNull(col) ? std::nullopt : std::optional<std::string>(Text(col));
  }
  std::optional<std::int64_t> OptInt(int col) const {
    return IsNull(col) ? std::nullopt : std::optional<std::int64_t>(Int(col));
  }
  std::optional<std::uint64_t> OptUInt(int col) const {
    return IsNull(col) ? std::nullopt : std::optional<std::uint64_t>(UInt(col));
  }

 private:
  [[noreturn]] void Fail(int rc) const;
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  const std::string* path_;
};

// Where the last batched read ended, so that the next batch that starts there
// continues from the last key instead of skipping `position` rows.
struct BatchCursor {
  bool valid = false;
  int kind = 0;                       // which read and order
  std::int64_t owner = 0;             // server or folder id
  std::int64_t next = 0;              // row position after the last row served
  std::array<std::int64_t, 3> key{};  // the last row's order columns
};

}  // namespace orgdb::detail

namespace orgdb {

struct OrgDb::Impl {
  sqlite3* db = nullptr;
  std::string path;
  bool writable = false;
  int transactionDepth = 0;
  std::unordered_map<std::string_view, sqlite3_stmt*> statements;
  detail::BatchCursor mailboxCursor;
  detail::BatchCursor messageCursor;
  // The database file, opened once more for CurrentDataVersion: a stat of an
  // open file spares the path lookup that a stat by name costs per call.
  // -1 when it could not be opened; the name is stat'ed then.
  int fd = -1;
  // The file as CurrentDataVersion last saw it before a read; `settled` when
  // its last change was long enough before that read that any later write
  // must show in the stat; `quiet` when the last check found it so.
  struct stat checkedFile {};
  bool checked = false;
  bool settled = false;
  bool quiet = false;

  ~Impl();
  // The cached statement for this SQL text (a string literal that lives as
  // long as the program).
  detail::Query Prepare(std::string_view sql);
  void Exec(const char* sql);
  void InvalidateCursors() {
    mailboxCursor.valid = false;
    messageCursor.valid = false;
  }
  void RequireWritable() const;
  // Opens `fd` on the file the connection has just opened at `path`, which
  // must be the one `before` describes when given (the file stat'ed before
  // the connection opened it).
  void OpenCheckHandle(const struct stat* before);
};

namespace detail {
// Creates the tables and indexes of the current schema in an empty database.
void CreateSchema(OrgDb::Impl& impl);
// The product marker in the meta table.
constexpr const char* kProductMarker = "Tabrix organisation database";
}  // namespace detail

}  // namespace orgdb
