// Reading the organisation: servers, mailbox tables in batches, folders,
// GAL, accounts, directory objects and faults.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <initializer_list>
#include <utility>

#include "GeneratedMessages.h"
#include "OrgDbImpl.h"

namespace orgdb {

using detail::Query;

namespace {

constexpr const char* kServerCols =
    "SELECT id, site_id, name, legacy_dn, version, reachable, accepts_online FROM servers ";
constexpr const char* kMailboxCols =
    "SELECT id, server_id, table_order, alias, email, display_name, nt_user_name, message_size, "
    "content_count, assoc_content_count, last_logon, last_logoff, storage_limit FROM mailboxes ";
constexpr const char* kFolderCols =
    "SELECT id, mailbox_id, parent_id, position, display_name, url_name, subfolders, "
    "content_count, "
    "message_size FROM folders ";
constexpr const char* kMessageCols =
    "SELECT id, folder_id, subject, size, has_attachment, delivery_time, submit_time, "
    "submit_present, "
    "submit_key FROM messages ";
constexpr const char* kGalCols =
    "SELECT id, display_name, alias, address, home_mdb, home_mta, nt_sid, rich_info FROM gal ";

Server ReadServer(const Query& q) {
  Server s;
  s.id = q.Int(0);
  s.siteId = q.Int(1);
  s.name = q.Text(2);
  s.legacyDn = q.Text(3);
  s.version = q.UInt(4);
  s.reachable = q.Int(5) != 0;
  s.acceptsOnline = q.Int(6) != 0;
  return s;
}

// The mailbox table's six numeric columns, from column `c` on, into a
// Mailbox or a MailboxWindow::Row.
template <class Row>
void ReadTableNumbers(const Query& q, int c, Row& r) {
  r.messageSize = q.OptInt(c);
  if (!q.IsNull(c + 1)) r.contentCount = static_cast<std::int32_t>(q.Int(c + 1));
  if (!q.IsNull(c + 2)) r.assocContentCount = static_cast<std::int32_t>(q.Int(c + 2));
  r.lastLogonTime = q.OptUInt(c + 3);
  r.lastLogoffTime = q.OptUInt(c + 4);
  if (!q.IsNull(c + 5)) r.storageLimit = static_cast<std::uint32_t>(q.Int(c + 5));
}

Mailbox ReadMailbox(const Query& q) {
  Mailbox m;
  m.id = q.Int(0);
  m.serverId = q.Int(1);
  m.tableOrder = q.Int(2);
  m.alias = q.Text(3);
  m.emailAddress = q.OptText(4);
  m.displayName = q.OptText(5);
  m.ntUserName = q.OptText(6);
  ReadTableNumbers(q, 7, m);
  return m;
}

Folder ReadFolder(const Query& q) {
  Folder f;
  f.id = q.Int(0);
  f.mailboxId = q.Int(1);
  f.parentId = q.OptInt(2);
  f.position = q.Int(3);
  f.displayName = q.Text(4);
  f.urlName = q.Text(5);
  f.subfolders = q.Int(6) != 0;
  f.contentCount = static_cast<std::int32_t>(q.Int(7));
  f.messageSize = q.UInt(8);
  return f;
}

Message ReadMessage(const Query& q) {
  Message m;
  m.id = q.Int(0);
  m.folderId = q.Int(1);
  m.subject = q.OptText(2);
  m.size = static_cast<std::uint32_t>(q.Int(3));
  m.hasAttachment = q.Int(4) != 0;
  m.deliveryTime = q.OptUInt(5);
  m.submitTime = q.OptUInt(6);
  return m;
}

GalEntry ReadGal(const Query& q) {
  GalEntry g;
  g.id = q.Int(0);
  g.displayName = q.Text(1);
  g.alias = q.Text(2);
  g.address = q.Text(3);
  g.homeMdb = q.Text(4);
  g.homeMta = q.Text(5);
  if (!q.IsNull(6)) g.ntAccountSid = q.Blob(6);
  g.richInfo = q.Int(7) != 0;
  return g;
}

template <class T, class Read>
std::vector<T> All(Query&& q, Read read) {
  std::vector<T> out;
  while (q.Step()) out.push_back(read(q));
  return out;
}

template <class T, class Read>
std::optional<T> First(Query&& q, Read read) {
  if (q.Step()) return read(q);
  return std::nullopt;
}

}  // namespace

OrgInfo OrgDb::Organisation() const {
  auto q = impl_->Prepare("SELECT name, config_nc FROM organisation WHERE id = 1");
  OrgInfo info;
  if (q.Step()) {
    info.name = q.Text(0);
    info.configurationNamingContext = q.Text(1);
  }
  return info;
}

std::vector<Site> OrgDb::Sites() const {
  return All<Site>(impl_->Prepare("SELECT id, name FROM sites ORDER BY id"), [](const Query& q) {
    return Site{q.Int(0), q.Text(1)};
  });
}

std::vector<Server> OrgDb::Servers() const {
  static const std::string sql = std::string(kServerCols) + "ORDER BY id";
  return All<Server>(impl_->Prepare(sql), ReadServer);
}

std::optional<Server> OrgDb::ServerById(std::int64_t id) const {
  static const std::string sql = std::string(kServerCols) + "WHERE id = ?1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, id);
  return First<Server>(std::move(q), ReadServer);
}

std::optional<Server> OrgDb::FindServerByDn(std::string_view legacyDn) const {
  static const std::string sql =
      std::string(kServerCols) + "WHERE legacy_dn = ?1 ORDER BY id LIMIT 1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, legacyDn);
  return First<Server>(std::move(q), ReadServer);
}

std::optional<Server> OrgDb::FindServerByName(std::string_view name) const {
  static const std::string sql = std::string(kServerCols) + "WHERE name = ?1 ORDER BY id LIMIT 1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, name);
  return First<Server>(std::move(q), ReadServer);
}

std::int64_t OrgDb::CountMailboxes(std::int64_t serverId) const {
  auto q = impl_->Prepare("SELECT count(*) FROM mailboxes WHERE server_id = ?1");
  q.Bind(1, serverId);
  return q.Step() ? q.Int(0) : 0;
}

namespace {

// The batched reads; both mailbox reads share one order, so either continues
// the other.
enum RunKind { kMailboxRun = 1, kNaturalMessageRun, kSubmitMessageRun };

// The three statements of one batched read of an owner's rows (a server's
// mailboxes, a folder's messages) in one order, each selecting `cols`:
// continuing after the last key served, from the start, or (a jump) skipping
// rows. The order's columns, ending in the unique id, are the key.
struct RunReads {
  int kind;          // which read and order a cursor continues
  std::size_t keys;  // columns in the order
  std::string fromKey, fromStart, fromOffset;

  RunReads(int kind, const char* cols, const char* owner, std::initializer_list<const char*> order)
      : kind(kind), keys(order.size()) {
    std::string columns, params;
    int next = 2;
    for (const char* column : order) {
      if (!columns.empty()) {
        columns += ", ";
        params += ", ";
      }
      columns += column;
      params += '?';
      params += std::to_string(next++);
    }
    const std::string where = std::string(cols) + "WHERE " + owner + " = ?1 ";
    fromKey = where + "AND (" + columns + ") > (" + params + ") ORDER BY " + columns + " LIMIT ?" +
              std::to_string(next);
    fromStart = where + "ORDER BY " + columns + " LIMIT ?2";
    fromOffset = fromStart + " OFFSET ?3";
  }
};

using RunKey = std::array<std::int64_t, 3>;

// Runs the read that starts at `position`, hands every row to `take`, and
// remembers in `cursor` where it ended. `take` returns the row's key.
template <class Take>
std::int64_t ReadRun(OrgDb::Impl& impl, detail::BatchCursor& cursor, const RunReads& reads,
                     std::int64_t owner, std::int64_t position, std::int64_t limit, Take&& take) {
  if (position < 0 || limit <= 0) return 0;
  const bool continues =
      cursor.valid && cursor.kind == reads.kind && cursor.owner == owner && cursor.next == position;
  auto q = impl.Prepare(continues       ? reads.fromKey
                        : position == 0 ? reads.fromStart
                                        : reads.fromOffset);
  q.Bind(1, owner);
  if (continues) {
    for (std::size_t k = 0; k < reads.keys; ++k) q.Bind(static_cast<int>(k) + 2, cursor.key[k]);
    q.Bind(static_cast<int>(reads.keys) + 2, limit);
  } else {
    q.Bind(2, limit);
    if (position > 0) q.Bind(3, position);
  }
  std::int64_t served = 0;
  RunKey last{};
  while (q.Step()) {
    last = take(q);
    ++served;
  }
  if (served > 0) cursor = {true, reads.kind, owner, position + served, last};
  return served;
}

// Appends a text column to the window's buffer.
std::optional<MailboxWindow::Text> TakeText(const Query& q, int col, std::string& texts) {
  if (q.IsNull(col)) return std::nullopt;
  const std::string_view bytes = q.TextView(col);
  MailboxWindow::Text t{texts.size(), bytes.size()};
  texts.append(bytes);
  return t;
}

}  // namespace

std::vector<Mailbox> OrgDb::MailboxBatch(std::int64_t serverId, std::int64_t position,
                                         std::int64_t limit) const {
  static const RunReads reads(kMailboxRun, kMailboxCols, "server_id", {"table_order", "id"});
  std::vector<Mailbox> out;
  ReadRun(*impl_, impl_->mailboxCursor, reads, serverId, position, limit, [&](const Query& q) {
    out.push_back(ReadMailbox(q));
    return RunKey{out.back().tableOrder, out.back().id};
  });
  return out;
}

MailboxWindow OrgDb::MailboxTableWindow(std::int64_t serverId, std::int64_t position,
                                        std::int64_t limit) const {
  static const RunReads reads(
      kMailboxRun,
      "SELECT id, table_order, email, display_name, nt_user_name, message_size, content_count, "
      "assoc_content_count, last_logon, last_logoff, storage_limit FROM mailboxes ",
      "server_id", {"table_order", "id"});
  MailboxWindow w;
  if (limit > 0) w.rows.reserve(static_cast<std::size_t>(std::min<std::int64_t>(limit, 4096)));
  ReadRun(*impl_, impl_->mailboxCursor, reads, serverId, position, limit, [&](const Query& q) {
    auto& r = w.rows.emplace_back();
    r.id = q.Int(0);
    r.tableOrder = q.Int(1);
    r.emailAddress = TakeText(q, 2, w.texts);
    r.displayName = TakeText(q, 3, w.texts);
    r.ntUserName = TakeText(q, 4, w.texts);
    ReadTableNumbers(q, 5, r);
    return RunKey{r.tableOrder, r.id};
  });
  return w;
}

std::vector<Mailbox> OrgDb::Mailboxes(std::int64_t serverId) const {
  static const std::string sql =
      std::string(kMailboxCols) + "WHERE server_id = ?1 ORDER BY table_order, id";
  auto q = impl_->Prepare(sql);
  q.Bind(1, serverId);
  return All<Mailbox>(std::move(q), ReadMailbox);
}

std::optional<Mailbox> OrgDb::MailboxById(std::int64_t id) const {
  static const std::string sql = std::string(kMailboxCols) + "WHERE id = ?1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, id);
  return First<Mailbox>(std::move(q), ReadMailbox);
}

std::optional<Mailbox> OrgDb::FindMailboxByDn(std::string_view dn) const {
  static const std::string sql = std::string(kMailboxCols) + "WHERE email = ?1 ORDER BY id LIMIT 1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, dn);
  return First<Mailbox>(std::move(q), ReadMailbox);
}

std::vector<Mailbox> OrgDb::FindMailboxesByName(std::int64_t serverId,
                                                std::string_view name) const {
  static const std::string sql = std::string(kMailboxCols) +
                                 "WHERE server_id = ?1 AND (alias = ?2 OR display_name = ?2) "
                                 "ORDER BY table_order, id";
  auto q = impl_->Prepare(sql);
  q.Bind(1, serverId).Bind(2, name);
  return All<Mailbox>(std::move(q), ReadMailbox);
}

std::optional<Folder> OrgDb::TopFolder(std::int64_t mailboxId) const {
  static const std::string sql =
      std::string(kFolderCols) + "WHERE mailbox_id = ?1 AND parent_id IS NULL";
  auto q = impl_->Prepare(sql);
  q.Bind(1, mailboxId);
  return First<Folder>(std::move(q), ReadFolder);
}

std::optional<Folder> OrgDb::FolderById(std::int64_t id) const {
  static const std::string sql = std::string(kFolderCols) + "WHERE id = ?1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, id);
  return First<Folder>(std::move(q), ReadFolder);
}

std::vector<Folder> OrgDb::ChildFolders(std::int64_t folderId) const {
  static const std::string sql =
      std::string(kFolderCols) + "WHERE parent_id = ?1 ORDER BY position, id";
  auto q = impl_->Prepare(sql);
  q.Bind(1, folderId);
  return All<Folder>(std::move(q), ReadFolder);
}

std::optional<GeneratedMessages> OrgDb::GeneratedMessagesOf(std::int64_t folderId) const {
  auto q = impl_->Prepare(
      "SELECT gen_seed, gen_count, gen_median, gen_first, gen_span FROM folders "
      "WHERE id = ?1 AND gen_seed IS NOT NULL");
  q.Bind(1, folderId);
  if (!q.Step()) return std::nullopt;
  GeneratedMessages g;
  g.seed = q.UInt(0);
  g.count = static_cast<std::int32_t>(q.Int(1));
  g.medianSize = static_cast<std::uint32_t>(q.Int(2));
  g.firstSubmitTime = q.UInt(3);
  g.span = q.UInt(4);
  return g;
}

std::int64_t OrgDb::CountMessages(std::int64_t folderId) const {
  if (auto g = GeneratedMessagesOf(folderId)) return g->count;
  auto q = impl_->Prepare("SELECT count(*) FROM messages WHERE folder_id = ?1");
  q.Bind(1, folderId);
  return q.Step() ? q.Int(0) : 0;
}

std::vector<Message> OrgDb::MessageBatch(std::int64_t folderId, std::int64_t position,
                                         std::int64_t limit, bool bySubmitTime) const {
  std::vector<Message> out;
  if (position < 0 || limit <= 0) return out;
  if (auto g = GeneratedMessagesOf(folderId)) {
    // Derived messages come in ascending submit time already, so both orders
    // are the index order.
    for (std::int64_t i = position; i < g->count && i < position + limit; ++i)
      out.push_back(DeriveGeneratedMessage(folderId, *g, static_cast<std::int32_t>(i)));
    return out;
  }
  static const RunReads natural(kNaturalMessageRun, kMessageCols, "folder_id", {"id"});
  static const RunReads bySubmit(kSubmitMessageRun, kMessageCols, "folder_id",
                                 {"submit_present", "submit_key", "id"});
  ReadRun(*impl_, impl_->messageCursor, bySubmitTime ? bySubmit : natural, folderId, position,
          limit, [&](const Query& q) {
            out.push_back(ReadMessage(q));
            return bySubmitTime ? RunKey{q.Int(7), q.Int(8), out.back().id} : RunKey{out.back().id};
          });
  return out;
}

std::vector<GalEntry> OrgDb::GalEntries() const {
  static const std::string sql = std::string(kGalCols) + "ORDER BY id";
  return All<GalEntry>(impl_->Prepare(sql), ReadGal);
}

void OrgDb::ForEachGalEntry(const std::function<void(const GalEntry&)>& visit) const {
  static const std::string sql = std::string(kGalCols) + "ORDER BY id";
  auto q = impl_->Prepare(sql);
  while (q.Step()) visit(ReadGal(q));
}

std::optional<GalEntry> OrgDb::GalEntryById(std::int64_t id) const {
  static const std::string sql = std::string(kGalCols) + "WHERE id = ?1";
  auto q = impl_->Prepare(sql);
  q.Bind(1, id);
  return First<GalEntry>(std::move(q), ReadGal);
}

std::vector<GalEntry> OrgDb::FindGalEntriesByAddress(std::string_view address) const {
  static const std::string sql = std::string(kGalCols) + "WHERE address = ?1 ORDER BY id";
  auto q = impl_->Prepare(sql);
  q.Bind(1, address);
  return All<GalEntry>(std::move(q), ReadGal);
}

std::optional<GalEntry> OrgDb::GalEntryForMailbox(const Mailbox& mailbox) const {
  if (!mailbox.emailAddress) return std::nullopt;
  auto found = FindGalEntriesByAddress(*mailbox.emailAddress);
  if (found.empty()) return std::nullopt;
  return found.front();
}

namespace {
constexpr const char* kNtAccountsSql = "SELECT sid, domain, name FROM nt_accounts ORDER BY id";
NtAccount ReadNtAccount(const Query& r) {
  return NtAccount{r.Blob(0), r.Text(1), r.Text(2)};
}
}  // namespace

std::optional<NtAccount> OrgDb::FindNtAccount(const Bytes& sid) const {
  auto q = impl_->Prepare("SELECT sid, domain, name FROM nt_accounts WHERE sid = ?1");
  q.BindBlob(1, sid);
  return First<NtAccount>(std::move(q), ReadNtAccount);
}

std::uint32_t OrgDb::DataVersion() const {
  unsigned int version = 0;
  sqlite3_file_control(impl_->db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
  return version;
}

namespace {
bool SameStat(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_nlink == b.st_nlink &&
         a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Whether the file's last change lies far enough in the past that any later
// write must change its times. File times advance in coarse steps (a clock
// tick; whole seconds, or two, on file systems without finer times), so a
// write within the step of the one before may leave the stat as it was.
bool Settled(const struct stat& st) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const timespec& last =
      (st.st_ctim.tv_sec > st.st_mtim.tv_sec ||
       (st.st_ctim.tv_sec == st.st_mtim.tv_sec && st.st_ctim.tv_nsec >= st.st_mtim.tv_nsec))
          ? st.st_ctim
          : st.st_mtim;
  const bool fine = st.st_ctim.tv_nsec != 0 || st.st_mtim.tv_nsec != 0;
  const double margin = fine ? 0.1 : 3.0;  // seconds
  const double age = static_cast<double>(now.tv_sec - last.tv_sec) +
                     static_cast<double>(now.tv_nsec - last.tv_nsec) / 1e9;
  return age > margin;
}
}  // namespace

std::uint32_t OrgDb::CurrentDataVersion() const {
  Impl& impl = *impl_;
  struct stat st {};
  // The open file rather than the name: a rename or removal of the file
  // changes its ctime too, so nothing that happens to it goes unseen.
  const bool statted =
      impl.fd >= 0 ? ::fstat(impl.fd, &st) == 0 : ::stat(impl.path.c_str(), &st) == 0;
  impl.quiet = statted && impl.checked && impl.settled && SameStat(st, impl.checkedFile);
  if (impl.quiet) return DataVersion();
  // The stat is taken before the read, so a commit in between only makes
  // the next call read again.
  impl.checked = false;
  {
    auto q = impl.Prepare("PRAGMA data_version");
    while (q.Step()) {
    }
  }
  impl.checkedFile = st;
  impl.checked = statted;
  impl.settled = statted && Settled(st);
  return DataVersion();
}

bool OrgDb::FileQuiet() const {
  return impl_->quiet;
}

std::vector<NtAccount> OrgDb::NtAccounts() const {
  return All<NtAccount>(impl_->Prepare(kNtAccountsSql), ReadNtAccount);
}

void OrgDb::ForEachNtAccount(const std::function<void(const NtAccount&)>& visit) const {
  auto q = impl_->Prepare(kNtAccountsSql);
  while (q.Step()) visit(ReadNtAccount(q));
}

namespace {
DirectoryObject ReadDirectoryObject(const Query& q) {
  return DirectoryObject{q.Text(0), q.Text(1), q.Text(2), q.Text(3)};
}
}  // namespace

std::vector<DirectoryObject> OrgDb::DirectoryObjects(std::string_view container,
                                                     std::string_view objectClass) const {
  auto q = impl_->Prepare(
      "SELECT container, object_class, name, legacy_dn FROM directory_objects "
      "WHERE container = ?1 AND object_class = ?2 ORDER BY id");
  q.Bind(1, container).Bind(2, objectClass);
  return All<DirectoryObject>(std::move(q), ReadDirectoryObject);
}

std::vector<DirectoryObject> OrgDb::AllDirectoryObjects() const {
  return All<DirectoryObject>(
      impl_->Prepare(
          "SELECT container, object_class, name, legacy_dn FROM directory_objects ORDER BY id"),
      ReadDirectoryObject);
}

std::vector<Fault> OrgDb::Faults() const {
  auto q = impl_->Prepare(
      "SELECT id, call, hr, match, nth, flags, message, component FROM faults ORDER BY id");
  return All<Fault>(std::move(q), [](const Query& r) {
    Fault f;
    f.id = r.Int(0);
    f.call = r.Text(1);
    f.hr = static_cast<std::int32_t>(r.Int(2));
    f.match = r.OptText(3);
    if (!r.IsNull(4)) f.nth = static_cast<std::int32_t>(r.Int(4));
    if (!r.IsNull(5)) f.flags = static_cast<std::uint32_t>(r.Int(5));
    f.message = r.OptText(6);
    f.component = r.OptText(7);
    return f;
  });
}

}  // namespace orgdb
