// Writing the organisation. Writers check the references a reader relies on
// (a mailbox's server, a folder's mailbox and parent, a message's folder), so
// a broken fixture fails where it is built rather than where it is read.
#include "GeneratedMessages.h"
#include "OrgDbImpl.h"

namespace orgdb {

namespace {

// A zero id lets the database choose.
void BindId(detail::Query& q, int index, std::int64_t id) {
  if (id != 0)
    q.Bind(index, id);
  else
    q.BindNull(index);
}

std::int64_t LastId(const OrgDb::Impl& impl) {
  return sqlite3_last_insert_rowid(impl.db);
}

bool Exists(OrgDb::Impl& impl, std::string_view sql, std::int64_t id) {
  auto q = impl.Prepare(sql);
  q.Bind(1, id);
  return q.Step();
}

}  // namespace

void OrgDb::SetOrganisation(const OrgInfo& info) {
  impl_->RequireWritable();
  auto q = impl_->Prepare("UPDATE organisation SET name = ?1, config_nc = ?2 WHERE id = 1");
  q.Bind(1, info.name).Bind(2, info.configurationNamingContext).Run();
}

std::int64_t OrgDb::AddSite(const Site& site) {
  impl_->RequireWritable();
  auto q = impl_->Prepare("INSERT INTO sites (id, name) VALUES (?1, ?2)");
  BindId(q, 1, site.id);
  q.Bind(2, site.name).Run();
  return LastId(*impl_);
}

std::int64_t OrgDb::AddServer(const Server& server) {
  impl_->RequireWritable();
  if (!Exists(*impl_, "SELECT 1 FROM sites WHERE id = ?1", server.siteId))
    throw OrgDbError("Server " + server.name + " names site " + std::to_string(server.siteId) +
                     ", which does not exist.");
  auto q = impl_->Prepare(
      "INSERT INTO servers (id, site_id, name, legacy_dn, version, reachable, accepts_online) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  BindId(q, 1, server.id);
  q.Bind(2, server.siteId)
      .Bind(3, server.name)
      .Bind(4, server.legacyDn)
      .Bind(5, detail::ToStored(server.version))
      .Bind(6, std::int64_t{server.reachable})
      .Bind(7, std::int64_t{server.acceptsOnline})
      .Run();
  return LastId(*impl_);
}

void OrgDb::UpdateServer(const Server& server) {
  impl_->RequireWritable();
  impl_->InvalidateCursors();
  auto q = impl_->Prepare(
      "UPDATE servers SET site_id = ?2, name = ?3, legacy_dn = ?4, version = ?5, reachable = ?6, "
      "accepts_online = ?7 WHERE id = ?1");
  q.Bind(1, server.id)
      .Bind(2, server.siteId)
      .Bind(3, server.name)
      .Bind(4, server.legacyDn)
      .Bind(5, detail::ToStored(server.version))
      .Bind(6, std::int64_t{server.reachable})
      .Bind(7, std::int64_t{server.acceptsOnline})
      .Run();
  if (sqlite3_changes(impl_->db) == 0)
    throw OrgDbError("Server " + std::to_string(server.id) + " does not exist.");
}

std::int64_t OrgDb::AddMailbox(const Mailbox& m) {
  impl_->RequireWritable();
  impl_->InvalidateCursors();
  if (!Exists(*impl_, "SELECT 1 FROM servers WHERE id = ?1", m.serverId))
    throw OrgDbError("Mailbox " + m.alias + " names server " + std::to_string(m.serverId) +
                     ", which does not exist.");
  auto q = impl_->Prepare(
      "INSERT INTO mailboxes (id, server_id, table_order, alias, email, display_name, "
      "nt_user_name, "
      "message_size, content_count, assoc_content_count, last_logon, last_logoff, storage_limit) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
  BindId(q, 1, m.id);
  q.Bind(2, m.serverId).Bind(3, m.tableOrder).Bind(4, m.alias);
  q.BindOptText(5, m.emailAddress).BindOptText(6, m.displayName).BindOptText(7, m.ntUserName);
  q.BindOpt(8, m.messageSize);
  q.BindOpt(9, m.contentCount ? std::optional<std::int64_t>(*m.contentCount) : std::nullopt);
  q.BindOpt(10,
            m.assocContentCount ? std::optional<std::int64_t>(*m.assocContentCount) : std::nullopt);
  auto stored = [](const std::optional<std::uint64_t>& v) {
    return v ? std::optional<std::int64_t>(detail::ToStored(*v)) : std::nullopt;
  };
  q.BindOpt(11, stored(m.lastLogonTime)).BindOpt(12, stored(m.lastLogoffTime));
  q.BindOpt(13, m.storageLimit ? std::optional<std::int64_t>(*m.storageLimit) : std::nullopt);
  q.Run();
  return LastId(*impl_);
}

std::int64_t OrgDb::AddFolder(const Folder& f) {
  impl_->RequireWritable();
  if (f.parentId) {
    auto parent = impl_->Prepare("SELECT mailbox_id FROM folders WHERE id = ?1");
    parent.Bind(1, *f.parentId);
    if (!parent.Step() || parent.Int(0) != f.mailboxId)
      throw OrgDbError("Folder " + f.displayName + " names parent " + std::to_string(*f.parentId) +
                       ", which is not a folder of mailbox " + std::to_string(f.mailboxId) + ".");
  } else {
    if (!Exists(*impl_, "SELECT 1 FROM mailboxes WHERE id = ?1", f.mailboxId))
      throw OrgDbError("Folder " + f.displayName + " names mailbox " + std::to_string(f.mailboxId) +
                       ", which does not exist.");
    if (Exists(*impl_, "SELECT 1 FROM folders WHERE mailbox_id = ?1 AND parent_id IS NULL",
               f.mailboxId))
      throw OrgDbError("Mailbox " + std::to_string(f.mailboxId) + " already has a top folder.");
  }
  auto q = impl_->Prepare(
      "INSERT INTO folders (id, mailbox_id, parent_id, position, display_name, url_name, "
      "subfolders, "
      "content_count, message_size) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  BindId(q, 1, f.id);
  q.Bind(2, f.mailboxId).BindOpt(3, f.parentId).Bind(4, f.position);
  q.Bind(5, f.displayName).Bind(6, f.urlName).Bind(7, std::int64_t{f.subfolders});
  q.Bind(8, std::int64_t{f.contentCount}).Bind(9, detail::ToStored(f.messageSize)).Run();
  return LastId(*impl_);
}

std::int64_t OrgDb::AddMessage(const Message& m) {
  impl_->RequireWritable();
  impl_->InvalidateCursors();
  auto folder = impl_->Prepare("SELECT gen_seed IS NOT NULL FROM folders WHERE id = ?1");
  folder.Bind(1, m.folderId);
  if (!folder.Step())
    throw OrgDbError("A message names folder " + std::to_string(m.folderId) +
                     ", which does not exist.");
  if (folder.Int(0) != 0)
    throw OrgDbError("Folder " + std::to_string(m.folderId) +
                     " holds generated messages; stored ones cannot be added.");
  auto q = impl_->Prepare(
      "INSERT INTO messages (id, folder_id, subject, size, has_attachment, delivery_time, "
      "submit_time, "
      "submit_present, submit_key) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  BindId(q, 1, m.id);
  q.Bind(2, m.folderId).BindOptText(3, m.subject).Bind(4, std::int64_t{m.size});
  q.Bind(5, std::int64_t{m.hasAttachment});
  q.BindOpt(6, m.deliveryTime ? std::optional<std::int64_t>(detail::ToStored(*m.deliveryTime))
                              : std::nullopt);
  q.BindOpt(7, m.submitTime ? std::optional<std::int64_t>(detail::ToStored(*m.submitTime))
                            : std::nullopt);
  // Flipping the top bit makes signed order equal unsigned order.
  q.Bind(8, std::int64_t{m.submitTime.has_value()});
  q.Bind(9, m.submitTime ? detail::ToStored(*m.submitTime ^ 0x8000000000000000ull) : 0);
  q.Run();
  return LastId(*impl_);
}

void OrgDb::SetGeneratedMessages(std::int64_t folderId, const GeneratedMessages& g) {
  impl_->RequireWritable();
  impl_->InvalidateCursors();
  if (!Exists(*impl_, "SELECT 1 FROM folders WHERE id = ?1", folderId))
    throw OrgDbError("Folder " + std::to_string(folderId) + " does not exist.");
  if (Exists(*impl_, "SELECT 1 FROM messages WHERE folder_id = ?1 LIMIT 1", folderId))
    throw OrgDbError("Folder " + std::to_string(folderId) +
                     " holds stored messages; it cannot also hold generated ones.");
  if (g.count < 0) throw OrgDbError("A generated message count cannot be negative.");
  std::uint64_t total = GeneratedTotalSize(g);
  auto q = impl_->Prepare(
      "UPDATE folders SET gen_seed = ?2, gen_count = ?3, gen_median = ?4, gen_first = ?5, gen_span "
      "= ?6, "
      "gen_total = ?7, content_count = ?3, message_size = ?7 WHERE id = ?1");
  q.Bind(1, folderId)
      .Bind(2, detail::ToStored(g.seed))
      .Bind(3, std::int64_t{g.count})
      .Bind(4, std::int64_t{g.medianSize})
      .Bind(5, detail::ToStored(g.firstSubmitTime))
      .Bind(6, detail::ToStored(g.span))
      .Bind(7, detail::ToStored(total))
      .Run();
}

std::int64_t OrgDb::AddGalEntry(const GalEntry& e) {
  impl_->RequireWritable();
  auto q = impl_->Prepare(
      "INSERT INTO gal (id, display_name, alias, address, home_mdb, home_mta, nt_sid, rich_info) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  BindId(q, 1, e.id);
  q.Bind(2, e.displayName)
      .Bind(3, e.alias)
      .Bind(4, e.address)
      .Bind(5, e.homeMdb)
      .Bind(6, e.homeMta);
  if (e.ntAccountSid)
    q.BindBlob(7, *e.ntAccountSid);
  else
    q.BindNull(7);
  q.Bind(8, std::int64_t{e.richInfo}).Run();
  return LastId(*impl_);
}

void OrgDb::AddNtAccount(const NtAccount& a) {
  impl_->RequireWritable();
  auto q = impl_->Prepare("INSERT INTO nt_accounts (sid, domain, name) VALUES (?1, ?2, ?3)");
  q.BindBlob(1, a.sid).Bind(2, a.domain).Bind(3, a.name).Run();
}

void OrgDb::AddDirectoryObject(const DirectoryObject& o) {
  impl_->RequireWritable();
  auto q = impl_->Prepare(
      "INSERT INTO directory_objects (container, object_class, name, legacy_dn) VALUES (?1, ?2, "
      "?3, ?4)");
  q.Bind(1, o.container).Bind(2, o.objectClass).Bind(3, o.name).Bind(4, o.legacyExchangeDN).Run();
}

std::int64_t OrgDb::AddFault(const Fault& f) {
  impl_->RequireWritable();
  auto q = impl_->Prepare(
      "INSERT INTO faults (id, call, hr, match, nth, flags, message, component) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  BindId(q, 1, f.id);
  q.Bind(2, f.call).Bind(3, std::int64_t{f.hr}).BindOptText(4, f.match);
  q.BindOpt(5, f.nth ? std::optional<std::int64_t>(*f.nth) : std::nullopt);
  q.BindOpt(6, f.flags ? std::optional<std::int64_t>(*f.flags) : std::nullopt);
  q.BindOptText(7, f.message).BindOptText(8, f.component).Run();
  return LastId(*impl_);
}

void OrgDb::RemoveFault(std::int64_t id) {
  impl_->RequireWritable();
  auto q = impl_->Prepare("DELETE FROM faults WHERE id = ?1");
  q.Bind(1, id).Run();
}

void OrgDb::RemoveFolder(std::int64_t id) {
  impl_->RequireWritable();
  auto children = impl_->Prepare("SELECT 1 FROM folders WHERE parent_id = ?1 LIMIT 1");
  children.Bind(1, id);
  if (children.Step()) throw OrgDbError("The folder still has subfolders.");
  impl_->InvalidateCursors();
  Begin();
  try {
    impl_->Prepare("DELETE FROM messages WHERE folder_id = ?1").Bind(1, id).Run();
    impl_->Prepare("DELETE FROM folders WHERE id = ?1").Bind(1, id).Run();
  } catch (...) {
    impl_->transactionDepth = 0;
    sqlite3_exec(impl_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  Commit();
}

void OrgDb::ClearFaults() {
  impl_->RequireWritable();
  impl_->Prepare("DELETE FROM faults").Run();
}

void OrgDb::RecomputeTotals() {
  impl_->RequireWritable();
  impl_->InvalidateCursors();
  Begin();
  try {
    // Generated folders are left alone: SetGeneratedMessages, the only
    // writer of their parameters, sets their totals with them.
    impl_->Exec(
        "UPDATE folders SET "
        "content_count = (SELECT count(*) FROM messages m WHERE m.folder_id = folders.id), "
        "message_size = (SELECT coalesce(sum(size), 0) FROM messages m WHERE m.folder_id = "
        "folders.id) "
        "WHERE gen_seed IS NULL;"
        "UPDATE mailboxes SET "
        "message_size = CASE WHEN message_size IS NULL THEN NULL ELSE "
        "  (SELECT sum(message_size) FROM folders f WHERE f.mailbox_id = mailboxes.id) END, "
        "content_count = CASE WHEN content_count IS NULL THEN NULL ELSE "
        "  (SELECT sum(content_count) FROM folders f WHERE f.mailbox_id = mailboxes.id) END "
        "WHERE EXISTS (SELECT 1 FROM folders f WHERE f.mailbox_id = mailboxes.id);");
  } catch (...) {
    impl_->transactionDepth = 0;
    sqlite3_exec(impl_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  Commit();
}

}  // namespace orgdb
