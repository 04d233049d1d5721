// The simulated Exchange organisation: one SQLite file per organisation,
// read by the MAPI stand-in and the directory and account stand-ins, written
// by tabrix-org (generator, JSON import, fault verb) and by tests.
//
// Texts are byte strings: stored and served as they are (non-UTF-8 bytes
// included). Optional fields are columns that a row may lack; the stand-in
// serves a lacking column with the error property type.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OrgReader.h"

namespace orgdb {

// The schema version this build reads and writes.
constexpr int kSchemaVersion = 1;

// Where the machine root keeps its organisation.
constexpr const char* kDatabaseFileName = "organisation.db";

// One open organisation database. An OrgDb is used by one thread at a time;
// other threads and processes open their own.
class OrgDb final : public OrgReader {
 public:
  ~OrgDb();
  OrgDb(const OrgDb&) = delete;
  OrgDb& operator=(const OrgDb&) = delete;

  // Opens an existing database for reading (and writing when `writable`).
  // A missing, corrupt or foreign file, or one of another schema version,
  // gives nullptr and one sentence in *error that says what is wrong.
  static std::unique_ptr<OrgDb> Open(const std::string& path, std::string* error,
                                     bool writable = false);
  // Creates a new, empty database (replacing a file of that name).
  static std::unique_ptr<OrgDb> Create(const std::string& path, std::string* error);

  // --- reading ------------------------------------------------------------
  OrgInfo Organisation() const override;
  std::vector<Site> Sites() const;
  std::vector<Server> Servers() const override;
  std::optional<Server> ServerById(std::int64_t id) const override;
  // Legacy DN and name are compared without regard to case.
  std::optional<Server> FindServerByDn(std::string_view legacyDn) const override;
  std::optional<Server> FindServerByName(std::string_view name) const override;

  std::int64_t CountMailboxes(std::int64_t serverId) const override;
  // Up to `limit` mailboxes of the server in table order, starting at the
  // given 0-based row position.
  std::vector<Mailbox> MailboxBatch(std::int64_t serverId, std::int64_t position,
                                    std::int64_t limit) const;
  // The same rows with only the mailbox table's columns (see MailboxWindow).
  MailboxWindow MailboxTableWindow(std::int64_t serverId, std::int64_t position,
                                   std::int64_t limit) const override;
  std::optional<Mailbox> MailboxById(std::int64_t id) const override;
  // The mailbox whose email address (legacy DN) equals `dn`, without regard
  // to case, on any server.
  std::optional<Mailbox> FindMailboxByDn(std::string_view dn) const override;
  // Mailboxes of the server whose alias or display name equals `name`
  // without regard to case (a profile's unresolved mailbox name).
  std::vector<Mailbox> FindMailboxesByName(std::int64_t serverId,
                                           std::string_view name) const override;

  std::optional<Folder> TopFolder(std::int64_t mailboxId) const override;
  std::optional<Folder> FolderById(std::int64_t id) const override;
  std::vector<Folder> ChildFolders(std::int64_t folderId) const override;  // by position

  std::int64_t CountMessages(std::int64_t folderId) const override;
  // Up to `limit` messages of the folder starting at the 0-based position,
  // in the folder's natural order, or by ascending submit time (messages
  // without one first) when `bySubmitTime`.
  std::vector<Message> MessageBatch(std::int64_t folderId, std::int64_t position,
                                    std::int64_t limit, bool bySubmitTime) const override;

  // The generator parameters of a folder whose messages are derived.
  std::optional<GeneratedMessages> GeneratedMessagesOf(std::int64_t folderId) const;

  std::vector<GalEntry> GalEntries() const override;
  std::optional<GalEntry> GalEntryById(std::int64_t id) const;
  // Every entry by id, one at a time, in one read (for callers that keep
  // less than all of them at once).
  void ForEachGalEntry(const std::function<void(const GalEntry&)>& visit) const override;
  // Entries whose address equals `address` exactly (case-insensitively).
  std::vector<GalEntry> FindGalEntriesByAddress(std::string_view address) const;
  // The directory entry of a mailbox: the entry whose address equals the
  // mailbox's email address.
  std::optional<GalEntry> GalEntryForMailbox(const Mailbox& mailbox) const override;

  std::optional<NtAccount> FindNtAccount(const Bytes& sid) const;
  std::vector<DirectoryObject> DirectoryObjects(std::string_view container,
                                                std::string_view objectClass) const override;
  std::vector<Fault> Faults() const override;
  // Changes whenever a read through this object finds the file changed by
  // someone else since the read before; equal values mean nothing changed in
  // between. Current only as of the last read made through this object.
  std::uint32_t DataVersion() const override;
  // DataVersion brought up to date cheaply: a stat of the file while it is
  // the one last checked and was last written well before that check, else
  // a read. Lets readers keep what they read for as long as it is current
  // without a read transaction per call.
  std::uint32_t CurrentDataVersion() const override;
  // Whether the last CurrentDataVersion found the file untouched since the
  // check before, which was made well after its last change: then it was
  // neither written, renamed nor removed in between.
  bool FileQuiet() const override;
  std::vector<NtAccount> NtAccounts() const;  // in stored order
  // Every account in stored order, one at a time, in one read.
  void ForEachNtAccount(const std::function<void(const NtAccount&)>& visit) const override;
  std::vector<DirectoryObject> AllDirectoryObjects() const;     // in stored order
  std::vector<Mailbox> Mailboxes(std::int64_t serverId) const;  // the whole table

  // --- writing ------------------------------------------------------------
  // Add* store a non-zero id as given and otherwise let the database assign
  // one; they return the id. Generated messages carry negative ids,
  // -(folderId * 2^24 + index + 1).
  void SetOrganisation(const OrgInfo& info);
  std::int64_t AddSite(const Site& site);
  std::int64_t AddServer(const Server& server);
  void UpdateServer(const Server& server);
  std::int64_t AddMailbox(const Mailbox& mailbox);
  std::int64_t AddFolder(const Folder& folder);
  // Removes a folder and its stored messages, as a store does when the
  // folder is deleted; its subfolders must be removed first.
  void RemoveFolder(std::int64_t id);
  // Throws OrgDbError when the folder's messages are generated.
  std::int64_t AddMessage(const Message& message);
  // Makes the folder's messages derived ones (the folder must hold no stored
  // messages) and sets its count and size to theirs.
  void SetGeneratedMessages(std::int64_t folderId, const GeneratedMessages& generated);
  std::int64_t AddGalEntry(const GalEntry& entry);
  void AddNtAccount(const NtAccount& account);
  void AddDirectoryObject(const DirectoryObject& object);
  std::int64_t AddFault(const Fault& fault);
  void RemoveFault(std::int64_t id);
  void ClearFaults();
  // Folder counts and sizes from the messages they hold; for every mailbox
  // with folders, PR_MESSAGE_SIZE_EXTENDED and PR_CONTENT_COUNT from its
  // folders. Columns stored as absent stay absent.
  void RecomputeTotals();
  // Batches many writes into one transaction.
  void Begin();
  void Commit();

  // The library's own state, defined in its sources only.
  struct Impl;

 private:
  explicit OrgDb(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The organisation database of the machine root, <root>/organisation.db.
std::string DatabasePath(const std::string& machineRoot);

}  // namespace orgdb
