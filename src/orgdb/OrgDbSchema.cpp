// The tables and indexes of schema version 1.
//
// Texts are TEXT columns holding the exact bytes they were given; names that
// are looked up without regard to case carry COLLATE NOCASE (ASCII folding,
// as Exchange and the directory compare). Unsigned 64-bit values are stored
// as the signed integer of the same bit pattern.
#include <string>

#include "OrgDbImpl.h"

namespace orgdb::detail {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE meta (
  key TEXT PRIMARY KEY,
  value TEXT NOT NULL
);
CREATE TABLE organisation (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  name TEXT NOT NULL,
  config_nc TEXT NOT NULL
);
CREATE TABLE sites (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL
);
CREATE TABLE servers (
  id INTEGER PRIMARY KEY,
  site_id INTEGER NOT NULL,
  name TEXT NOT NULL COLLATE NOCASE,
  legacy_dn TEXT NOT NULL COLLATE NOCASE,
  version INTEGER NOT NULL,
  reachable INTEGER NOT NULL,
  accepts_online INTEGER NOT NULL
);
CREATE INDEX servers_by_name ON servers (name);
CREATE INDEX servers_by_dn ON servers (legacy_dn);
CREATE TABLE mailboxes (
  id INTEGER PRIMARY KEY,
  server_id INTEGER NOT NULL,
  table_order INTEGER NOT NULL,
  alias TEXT NOT NULL COLLATE NOCASE,
  email TEXT COLLATE NOCASE,
  display_name TEXT COLLATE NOCASE,
  nt_user_name TEXT,
  message_size INTEGER,
  content_count INTEGER,
  assoc_content_count INTEGER,
  last_logon INTEGER,
  last_logoff INTEGER,
  storage_limit INTEGER
);
CREATE INDEX mailboxes_by_table ON mailboxes (server_id, table_order, id);
CREATE INDEX mailboxes_by_email ON mailboxes (email);
CREATE INDEX mailboxes_by_alias ON mailboxes (server_id, alias);
CREATE INDEX mailboxes_by_display_name ON mailboxes (server_id, display_name);
CREATE TABLE folders (
  id INTEGER PRIMARY KEY,
  mailbox_id INTEGER NOT NULL,
  parent_id INTEGER,
  position INTEGER NOT NULL,
  display_name TEXT NOT NULL,
  url_name TEXT NOT NULL,
  subfolders INTEGER NOT NULL,
  content_count INTEGER NOT NULL,
  message_size INTEGER NOT NULL,
  gen_seed INTEGER,
  gen_count INTEGER,
  gen_median INTEGER,
  gen_first INTEGER,
  gen_span INTEGER,
  gen_total INTEGER
);
CREATE UNIQUE INDEX folders_top ON folders (mailbox_id) WHERE parent_id IS NULL;
CREATE INDEX folders_by_parent ON folders (parent_id, position, id);
CREATE INDEX folders_by_mailbox ON folders (mailbox_id);
CREATE TABLE messages (
  id INTEGER PRIMARY KEY,
  folder_id INTEGER NOT NULL,
  subject TEXT,
  size INTEGER NOT NULL,
  has_attachment INTEGER NOT NULL,
  delivery_time INTEGER,
  submit_time INTEGER,
  -- ascending submit order as signed integers: 0 without a submit time,
  -- 1 with one; the time with its top bit flipped
  submit_present INTEGER NOT NULL,
  submit_key INTEGER NOT NULL
);
CREATE INDEX messages_by_folder ON messages (folder_id, id);
CREATE INDEX messages_by_submit ON messages (folder_id, submit_present, submit_key, id);
CREATE TABLE gal (
  id INTEGER PRIMARY KEY,
  display_name TEXT NOT NULL,
  alias TEXT NOT NULL,
  address TEXT NOT NULL COLLATE NOCASE,
  home_mdb TEXT NOT NULL,
  home_mta TEXT NOT NULL,
  nt_sid BLOB,
  rich_info INTEGER NOT NULL
);
CREATE INDEX gal_by_address ON gal (address);
CREATE TABLE nt_accounts (
  id INTEGER PRIMARY KEY,
  sid BLOB NOT NULL UNIQUE,
  domain TEXT NOT NULL,
  name TEXT NOT NULL
);
CREATE TABLE directory_objects (
  id INTEGER PRIMARY KEY,
  container TEXT NOT NULL COLLATE NOCASE,
  object_class TEXT NOT NULL COLLATE NOCASE,
  name TEXT NOT NULL,
  legacy_dn TEXT NOT NULL
);
CREATE INDEX directory_by_container ON directory_objects (container, object_class, id);
CREATE TABLE faults (
  id INTEGER PRIMARY KEY,
  call TEXT NOT NULL,
  hr INTEGER NOT NULL,
  match TEXT,
  nth INTEGER,
  flags INTEGER,
  message TEXT,
  component TEXT
);
INSERT INTO organisation (id, name, config_nc) VALUES (1, '', '');
)sql";

}  // namespace

void CreateSchema(OrgDb::Impl& impl) {
  impl.Exec("BEGIN");
  impl.Exec(kSchema);
  std::string meta = std::string("INSERT INTO meta (key, value) VALUES ('product', '") +
                     kProductMarker + "'), ('schema_version', '" + std::to_string(kSchemaVersion) +
                     "')";
  impl.Exec(meta.c_str());
  impl.Exec("COMMIT");
}

}  // namespace orgdb::detail
