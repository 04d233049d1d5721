#include "AbEntries.h"

#include "AddressBook.h"
#include "GalCache.h"

namespace mapisim {
namespace {

constexpr std::int32_t DT_GLOBAL = 0x00020000;
constexpr std::int32_t DT_CONTAINER = 0x00000100;

// Provider UID of the personal contacts container (not the Exchange
// directory), {5B7A1C3E-2D4F-4E6A-8B9C-0D1E2F3A4B5C}.
constexpr BYTE kContactsProvider[16] = {0x3E, 0x1C, 0x7A, 0x5B, 0x4F, 0x2D, 0x6A, 0x4E,
                                        0x8B, 0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C};
// Container ID of the directory container that is not the GAL.
constexpr std::int32_t kAllListsContainerId = 0x00000101;

const ContainerInfo kContainers[] = {
    {AbContainerId::Root, "", "root"},
    {AbContainerId::Gal, "Global Address List", "gal"},
    {AbContainerId::AllLists, "All Address Lists", "container"},
    {AbContainerId::Contacts, "Contacts", "container"},
};

constexpr ULONG kFlagsAccepted =
    MAPI_MODIFY | MAPI_DEFERRED_ERRORS | MAPI_BEST_ACCESS | MAPI_NO_CACHE;

bool IsContainerInterface(LPCIID iid) {
  return !iid || *iid == IID_IABContainer || *iid == IID_IMAPIContainer || *iid == IID_IMAPIProp ||
         *iid == IID_IUnknown;
}

bool IsMailUserInterface(LPCIID iid) {
  return !iid || *iid == IID_IMailUser || *iid == IID_IMAPIProp || *iid == IID_IUnknown;
}

}  // namespace

const ContainerInfo& ContainerById(AbContainerId id) {
  for (const auto& c : kContainers)
    if (c.id == id) return c;
  return kContainers[0];
}

OwnedRow ContainerProps(AbContainerId id) {
  const ContainerInfo& info = ContainerById(id);
  OwnedRow row;
  row.emplace_back(BinaryCell(PR_ENTRYID, ContainerEntryId(id)));
  row.emplace_back(TextCell(PR_DISPLAY_NAME, info.displayName));
  row.emplace_back(LongCell(PR_OBJECT_TYPE, MAPI_ABCONT));
  switch (id) {
    case AbContainerId::Gal:
      row.emplace_back(BinaryCell(PR_AB_PROVIDER_ID, AsBytes(MUIDEMSAB, 16)));
      row.emplace_back(LongCell(PR_EMS_AB_CONTAINERID, 0));
      row.emplace_back(LongCell(PR_DISPLAY_TYPE, DT_GLOBAL));
      break;
    case AbContainerId::AllLists:
      row.emplace_back(BinaryCell(PR_AB_PROVIDER_ID, AsBytes(MUIDEMSAB, 16)));
      row.emplace_back(LongCell(PR_EMS_AB_CONTAINERID, kAllListsContainerId));
      row.emplace_back(LongCell(PR_DISPLAY_TYPE, DT_CONTAINER));
      break;
    case AbContainerId::Contacts:
      row.emplace_back(BinaryCell(PR_AB_PROVIDER_ID, AsBytes(kContactsProvider, 16)));
      row.emplace_back(LongCell(PR_EMS_AB_CONTAINERID, 0));
      row.emplace_back(LongCell(PR_DISPLAY_TYPE, DT_CONTAINER));
      break;
    case AbContainerId::Root:
      break;
  }
  return row;
}

std::vector<OwnedRow> RootHierarchyRows() {
  std::vector<OwnedRow> rows;
  for (AbContainerId id : {AbContainerId::AllLists, AbContainerId::Gal, AbContainerId::Contacts}) {
    rows.push_back(ContainerProps(id));
    rows.back().emplace_back(LongCell(PR_DEPTH, 0));  // all directly below the root
  }
  return rows;
}

std::vector<OwnedRow> GalContentsRows(const Db& db) {
  std::vector<OwnedRow> rows;
  for (const auto& e : db->GalEntries()) {
    OwnedRow row;
    row.emplace_back(BinaryCell(PR_ENTRYID, MailUserEntryId(e.id)));
    row.emplace_back(TextCell(PR_DISPLAY_NAME, e.displayName));
    row.emplace_back(TextCell(PR_ADDRTYPE, "EX"));
    row.emplace_back(TextCell(PR_EMAIL_ADDRESS, e.address));
    row.emplace_back(LongCell(PR_OBJECT_TYPE, MAPI_MAILUSER));
    row.emplace_back(LongCell(PR_DISPLAY_TYPE, kDisplayTypeMailUser));
    row.emplace_back(BoolCell(PR_SEND_RICH_INFO, e.richInfo));
    if (!e.homeMdb.empty()) row.emplace_back(TextCell(PR_EMS_AB_HOME_MDB, e.homeMdb));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::optional<MailUserData> MailUserOf(const SessionPtr& session, const EntryId& id) {
  if (id.kind == EntryKind::MailUser) {
    if (auto e = CachedGalEntryById(session->db, id.a)) return MailUserFromGal(*e);
  } else if (id.kind == EntryKind::MailboxUser) {
    if (auto m = session->db->MailboxById(id.a))
      if (auto s = session->db->ServerById(m->serverId)) return MailUserFromMailbox(*m, *s);
  }
  return std::nullopt;
}

std::string MailUserKind(const SessionPtr& session, std::string_view entryId) {
  return entryId == session->identity.entryId ? "identity" : "mailuser";
}

std::string AbKindOf(const SessionPtr& session, ULONG cbEntryID, LPENTRYID lpEntryID) {
  if (!lpEntryID || cbEntryID == 0) return "root";
  auto id = DecodeEntryId(cbEntryID, lpEntryID);
  if (!id) return "";
  switch (id->kind) {
    case EntryKind::AbContainer:
      return ContainerById(static_cast<AbContainerId>(id->a)).kind;
    case EntryKind::MailUser:
    case EntryKind::MailboxUser:
      // Decoding accepts exactly the encoded form, so the bytes compare as they are.
      return MailUserKind(session,
                          std::string_view(reinterpret_cast<const char*>(lpEntryID), cbEntryID));
    case EntryKind::Folder:
      return id->b == 0 ? "root" : "folder";
    default:
      return "";
  }
}

HRESULT OpenAbEntry(const SessionPtr& session, ULONG cbEntryID, LPENTRYID lpEntryID,
                    LPCIID lpInterface, ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk,
                    std::string* error) {
  if (ulFlags & ~kFlagsAccepted) {
    *error = "The flags are not supported by the address book.";
    return MAPI_E_UNKNOWN_FLAGS;
  }
  EntryId id{EntryKind::AbContainer, static_cast<std::int64_t>(AbContainerId::Root), 0, 0, {}, {}};
  if (lpEntryID && cbEntryID > 0) {
    auto decoded = DecodeEntryId(cbEntryID, lpEntryID);
    if (!decoded) {
      *error = "The entry ID does not belong to the address book.";
      return MAPI_E_UNKNOWN_ENTRYID;
    }
    id = *decoded;
  }
  if (id.kind == EntryKind::AbContainer) {
    if (id.a < 0 || id.a > static_cast<std::int64_t>(AbContainerId::Contacts)) {
      *error = "The address book container does not exist.";
      return MAPI_E_NOT_FOUND;
    }
    if (!IsContainerInterface(lpInterface)) {
      *error = "A container does not offer the interface asked for.";
      return MAPI_E_INTERFACE_NOT_SUPPORTED;
    }
    *lppUnk = AsUnknown(new AbContainer(session, static_cast<AbContainerId>(id.a)));
    if (lpulObjType) *lpulObjType = MAPI_ABCONT;
    return S_OK;
  }
  if (id.kind == EntryKind::MailUser || id.kind == EntryKind::MailboxUser) {
    if (!IsMailUserInterface(lpInterface)) {
      *error = "A mail user does not offer the interface asked for.";
      return MAPI_E_INTERFACE_NOT_SUPPORTED;
    }
    auto user = MailUserOf(session, id);
    if (!user) {
      *error = "The directory entry does not exist.";
      return MAPI_E_NOT_FOUND;
    }
    std::string kind = MailUserKind(session, user->entryId);
    *lppUnk = AsUnknown(new MailUser(std::move(*user), std::move(kind)));
    if (lpulObjType) *lpulObjType = MAPI_MAILUSER;
    return S_OK;
  }
  *error = "The entry ID does not belong to the address book.";
  return MAPI_E_UNKNOWN_ENTRYID;
}

}  // namespace mapisim
