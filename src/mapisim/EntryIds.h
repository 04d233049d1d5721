// Entry identifiers of the library's objects. Layout: 4 flag bytes (0), the
// library's 16-byte provider UID, one kind byte, then the kind's fields
// (64-bit numbers little-endian; texts as a 32-bit length and the bytes).
// Decoding checks the whole layout; anything else is not an entry ID of ours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MAPIDefs.h"

namespace mapisim {

enum class EntryKind : std::uint8_t {
  PrivateStore = 1,  // the session's own mailbox store: mailbox
  PublicStore = 2,   // public folders of a server: server
  AdminStore = 3,    // from CreateStoreEntryID: flags, storeDn, mailboxDn
  Folder = 4,        // mailbox (0: public folders), folder (0: the store's root)
  Message = 5,       // folder, message
  AbContainer = 6,   // container
  MailUser = 7,      // GAL entry
  MailboxUser = 8,   // a mailbox without a GAL entry, as a mail user: mailbox
};

// Containers of the address book.
enum class AbContainerId : std::int64_t { Root = 0, Gal = 1, AllLists = 2, Contacts = 3 };

struct EntryId {
  EntryKind kind{};
  std::int64_t a = 0;  // first number of the kind (see above)
  std::int64_t b = 0;  // second number
  std::uint32_t flags = 0;
  std::string storeDn;
  std::string mailboxDn;
};

std::string EncodeEntryId(const EntryId& id);
std::optional<EntryId> DecodeEntryId(ULONG cb, const ENTRYID* entryId);
std::optional<EntryId> DecodeEntryId(std::string_view bytes);

// An encoded entry ID copied into a new MAPI buffer.
SCODE HandOutEntryId(const std::string& bytes, ULONG* lpcb, LPENTRYID* lppEntryId);

// Shorthands.
std::string FolderEntryId(std::int64_t mailboxId, std::int64_t folderId);
std::string MailUserEntryId(std::int64_t galEntryId);
std::string ContainerEntryId(AbContainerId container);

}  // namespace mapisim
