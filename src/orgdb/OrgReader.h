// The records of an organisation and the interface that reads them.
//
// Texts are byte strings: stored and served as they are (non-UTF-8 bytes
// included). Optional fields are columns that a row may lack; the stand-in
// serves a lacking column with the error property type.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orgdb {

using Bytes = std::vector<std::uint8_t>;

struct OrgInfo {
  std::string name;  // "Org" in /o=Org
  // The directory's configuration naming context, for example
  // CN=Configuration,DC=corp,DC=example (RootDSE "configurationNamingContext").
  std::string configurationNamingContext;
};

struct Site {
  std::int64_t id = 0;
  std::string name;  // administrative group, "Site" in /ou=Site
};

struct Server {
  std::int64_t id = 0;
  std::int64_t siteId = 0;
  std::string name;      // SRV01
  std::string legacyDn;  // /o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01
  // PR_REPLICA_VERSION of the store's root folder: major << 48 | minor << 32 |
  // build << 16 | revision (Exchange 2003: 6.5.7638.x).
  std::uint64_t version = 0;
  bool reachable = true;      // false: stores, tables and directory answer network errors
  bool acceptsOnline = true;  // false: OpenMsgStore with MDB_ONLINE answers MAPI_E_UNKNOWN_FLAGS
};

// One row of a server's mailbox table, plus what is needed to open the
// mailbox and to resolve it from a profile.
struct Mailbox {
  std::int64_t id = 0;
  std::int64_t serverId = 0;
  std::int64_t tableOrder = 0;  // position in the server's mailbox table, ascending
  std::string alias;            // jsmith; a profile's unresolved name matches alias or display name
  std::optional<std::string> emailAddress;        // the mailbox's legacy DN, PR_EMAIL_ADDRESS
  std::optional<std::string> displayName;         // PR_DISPLAY_NAME
  std::optional<std::string> ntUserName;          // PR_NT_USER_NAME
  std::optional<std::int64_t> messageSize;        // PR_MESSAGE_SIZE_EXTENDED, bytes
  std::optional<std::int32_t> contentCount;       // PR_CONTENT_COUNT
  std::optional<std::int32_t> assocContentCount;  // PR_ASSOC_CONTENT_COUNT
  std::optional<std::uint64_t> lastLogonTime;     // FILETIME, UTC
  std::optional<std::uint64_t> lastLogoffTime;    // FILETIME, UTC
  std::optional<std::uint32_t> storageLimit;      // PR_STORAGE_LIMIT_INFORMATION
};

// A run of a server's mailbox table as the MAPI stand-in serves it: the
// table's columns of each row, with the texts of all rows in one buffer. A
// large table is served a window at a time, and one buffer per window instead
// of several strings per row is most of what serving it costs.
struct MailboxWindow {
  struct Text {
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  struct Row {
    std::int64_t id = 0;
    std::int64_t tableOrder = 0;
    std::optional<Text> emailAddress;
    std::optional<Text> displayName;
    std::optional<Text> ntUserName;
    std::optional<std::int64_t> messageSize;
    std::optional<std::int32_t> contentCount;
    std::optional<std::int32_t> assocContentCount;
    std::optional<std::uint64_t> lastLogonTime;
    std::optional<std::uint64_t> lastLogoffTime;
    std::optional<std::uint32_t> storageLimit;
  };
  std::vector<Row> rows;
  std::string texts;

  std::string_view operator[](const Text& t) const {
    return std::string_view(texts).substr(t.offset, t.length);
  }
};

struct Folder {
  std::int64_t id = 0;
  std::int64_t mailboxId = 0;
  // No parent: the top of the information store (the IPM subtree), which
  // every mailbox with folders has exactly once.
  std::optional<std::int64_t> parentId;
  std::int64_t position = 0;      // order among its siblings, ascending
  std::string displayName;        // Projects
  std::string urlName;            // /Inbox/Projects
  bool subfolders = false;        // PR_SUBFOLDERS as the store reports it
  std::int32_t contentCount = 0;  // PR_CONTENT_COUNT: its own messages
  // The sum of its own messages' sizes (PR_MESSAGE_SIZE is the low 32 bits).
  std::uint64_t messageSize = 0;
};

struct Message {
  std::int64_t id = 0;
  std::int64_t folderId = 0;
  std::optional<std::string> subject;
  std::uint32_t size = 0;
  bool hasAttachment = false;
  std::optional<std::uint64_t> deliveryTime;  // FILETIME, UTC
  std::optional<std::uint64_t> submitTime;    // FILETIME, UTC
};

// The messages of a folder that are derived rather than stored, so that
// large generated organisations stay small on disk. Message i is computed
// from (seed, i) alone: ascending submit times from firstSubmitTime over
// `span` (100-ns units), log-normal sizes around medianSize, subjects and
// attachment flags from word lists. A folder holds either stored messages or
// generated ones, never both.
struct GeneratedMessages {
  std::uint64_t seed = 0;
  std::int32_t count = 0;
  std::uint32_t medianSize = 4096;       // bytes
  std::uint64_t firstSubmitTime = 0;     // FILETIME, UTC
  std::uint64_t span = 864000000000ull;  // 100-ns units (one day)
};

struct GalEntry {
  std::int64_t id = 0;
  std::string displayName;
  std::string alias;
  std::string address;                // the Exchange address (legacy DN) matched by "EX:" lookups
  std::string homeMdb;                // PR_EMS_AB_HOME_MDB, .../cn=SRV01/cn=Microsoft Private MDB
  std::string homeMta;                // PR_EMS_AB_HOME_MTA, .../cn=SRV01/cn=Microsoft MTA
  std::optional<Bytes> ntAccountSid;  // PR_EMS_AB_ASSOC_NT_ACCOUNT, a binary SID
  bool richInfo = true;               // PR_SEND_RICH_INFO
};

struct NtAccount {
  Bytes sid;  // binary SID
  std::string domain;
  std::string name;
};

struct DirectoryObject {
  // DN of the container, e.g. CN=Servers,CN=Site,CN=Administrative Groups,...
  std::string container;
  std::string objectClass;  // msExchExchangeServer
  std::string name;
  std::string legacyExchangeDN;
};

// A MAPI call made to fail. `call` names the function or the method
// ("MAPILogonEx", "IMAPITable::QueryRows", "LookupAccountSidA"); `match`, when
// set, restricts it to calls whose distinguishing argument equals it (the
// stand-in documents which argument that is for each call); `nth`, when set,
// to the n-th matching call of the process (1-based); `flags`, when set, to
// calls whose flags include all of these bits. `message` and `component`
// form the error record that GetLastError then returns.
struct Fault {
  std::int64_t id = 0;
  std::string call;
  std::int32_t hr = 0;
  std::optional<std::string> match;
  std::optional<std::int32_t> nth;
  std::optional<std::uint32_t> flags;
  std::optional<std::string> message;
  std::optional<std::string> component;
};

// A call's match argument, asked for only when a fault compares one (some
// callers must work it out first).
using FaultMatchText = std::function<std::string_view()>;

// Whether `fault` answers this call. A call fits the fault when it names the
// same call, carries all of the fault's flag bits and, when the fault has a
// match, has a match argument equal to it without regard to (ASCII) case;
// `match` is null for a call without one, which then never fits. Each fitting
// call adds one to `seen`, the caller's count for this fault; the fault
// answers a fitting call unless `nth` is set and `seen` is not `nth`.
bool FaultFits(const Fault& fault, std::string_view call, const FaultMatchText* match,
               std::uint32_t flags, std::int64_t& seen);

// Thrown by writers and by readers on a database that fails while in use.
struct OrgDbError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Binary SID <-> "S-1-5-21-..." text.
Bytes SidFromString(std::string_view text);
std::string SidToString(const Bytes& sid);

// What the MAPI and directory stand-ins read of an organisation. The
// simulated organisation (OrgDb) is one implementation; a provider over a
// real mail server is another. Readers throw OrgDbError when the data fails
// while in use; to a MAPI caller that is a server gone away.
class OrgReader {
 public:
  virtual ~OrgReader() = default;

  virtual OrgInfo Organisation() const = 0;
  virtual std::vector<Server> Servers() const = 0;
  virtual std::optional<Server> ServerById(std::int64_t id) const = 0;
  // Legacy DN and name are compared without regard to case.
  virtual std::optional<Server> FindServerByDn(std::string_view legacyDn) const = 0;
  virtual std::optional<Server> FindServerByName(std::string_view name) const = 0;

  virtual std::int64_t CountMailboxes(std::int64_t serverId) const = 0;
  // Up to `limit` rows of the server's mailbox table, in table order,
  // starting at the given 0-based row position.
  virtual MailboxWindow MailboxTableWindow(std::int64_t serverId, std::int64_t position,
                                           std::int64_t limit) const = 0;
  virtual std::optional<Mailbox> MailboxById(std::int64_t id) const = 0;
  // The mailbox whose email address (legacy DN) equals `dn`, without regard
  // to case, on any server.
  virtual std::optional<Mailbox> FindMailboxByDn(std::string_view dn) const = 0;
  // Mailboxes of the server whose alias or display name equals `name`
  // without regard to case (a profile's unresolved mailbox name).
  virtual std::vector<Mailbox> FindMailboxesByName(std::int64_t serverId,
                                                   std::string_view name) const = 0;

  virtual std::optional<Folder> TopFolder(std::int64_t mailboxId) const = 0;
  virtual std::optional<Folder> FolderById(std::int64_t id) const = 0;
  virtual std::vector<Folder> ChildFolders(std::int64_t folderId) const = 0;  // by position

  virtual std::int64_t CountMessages(std::int64_t folderId) const = 0;
  // Up to `limit` messages of the folder starting at the 0-based position,
  // in the folder's natural order, or by ascending submit time (messages
  // without one first) when `bySubmitTime`.
  virtual std::vector<Message> MessageBatch(std::int64_t folderId, std::int64_t position,
                                            std::int64_t limit, bool bySubmitTime) const = 0;

  virtual std::vector<GalEntry> GalEntries() const = 0;
  // Every entry by id, one at a time, in one read (for callers that keep
  // less than all of them at once).
  virtual void ForEachGalEntry(const std::function<void(const GalEntry&)>& visit) const = 0;
  // The directory entry of a mailbox: the entry whose address equals the
  // mailbox's email address.
  virtual std::optional<GalEntry> GalEntryForMailbox(const Mailbox& mailbox) const = 0;

  // Every account in stored order, one at a time, in one read.
  virtual void ForEachNtAccount(const std::function<void(const NtAccount&)>& visit) const = 0;
  virtual std::vector<DirectoryObject> DirectoryObjects(std::string_view container,
                                                        std::string_view objectClass) const = 0;
  virtual std::vector<Fault> Faults() const = 0;

  // Changes whenever a read through this object finds the data changed by
  // someone else since the read before; equal values mean nothing changed in
  // between. Current only as of the last read made through this object.
  virtual std::uint32_t DataVersion() const = 0;
  // DataVersion brought up to date cheaply, so that readers can keep what
  // they read for as long as it is current without a read per call.
  virtual std::uint32_t CurrentDataVersion() const = 0;
  // Whether the last CurrentDataVersion found the data untouched since the
  // check before, which was made well after its last change.
  virtual bool FileQuiet() const = 0;
};

}  // namespace orgdb
