#include "SessionContext.h"

#include "EntryIds.h"

namespace mapisim {

MailUserData MailUserFromGal(const orgdb::GalEntry& e) {
  MailUserData u;
  u.entryId = MailUserEntryId(e.id);
  u.displayName = e.displayName;
  u.alias = e.alias;
  u.address = e.address;
  u.homeMdb = e.homeMdb;
  u.homeMta = e.homeMta;
  u.ntAccountSid = e.ntAccountSid;
  u.richInfo = e.richInfo;
  return u;
}

MailUserData MailUserFromMailbox(const orgdb::Mailbox& m, const orgdb::Server& server) {
  MailUserData u;
  u.entryId = EncodeEntryId(EntryId{EntryKind::MailboxUser, m.id, 0, 0, {}, {}});
  u.displayName = MailboxDisplayName(m);
  u.alias = m.alias;
  u.address = m.emailAddress.value_or("");
  u.homeMdb = server.legacyDn + kPrivateMdbSuffix;
  u.homeMta = server.legacyDn + kMtaSuffix;
  return u;
}

std::vector<PropCell> MailUserProps(const MailUserData& u) {
  std::vector<PropCell> p = {
      BinaryCell(PR_ENTRYID, u.entryId),
      LongCell(PR_OBJECT_TYPE, MAPI_MAILUSER),
      LongCell(PR_DISPLAY_TYPE, kDisplayTypeMailUser),
      TextCell(PR_DISPLAY_NAME, u.displayName),
      TextCell(PR_ADDRTYPE, "EX"),
      TextCell(PR_EMAIL_ADDRESS, u.address),
      BoolCell(PR_SEND_RICH_INFO, u.richInfo),
  };
  if (!u.homeMdb.empty()) p.push_back(TextCell(PR_EMS_AB_HOME_MDB, u.homeMdb));
  if (!u.homeMta.empty()) p.push_back(TextCell(PR_EMS_AB_HOME_MTA, u.homeMta));
  if (u.ntAccountSid) p.push_back(BinaryCell(PR_EMS_AB_ASSOC_NT_ACCOUNT, AsBytes(*u.ntAccountSid)));
  return p;
}

std::string MailboxDisplayName(const orgdb::Mailbox& mailbox) {
  return mailbox.displayName.value_or(mailbox.alias);
}

std::string ServerProblem(const std::optional<orgdb::Server>& server) {
  if (!server) return "The Microsoft Exchange Server computer is not known to this organisation.";
  if (!server->reachable)
    return "The Microsoft Exchange Server computer " + server->name + " is not available.";
  return {};
}

std::string ServerProblem(const Db& db, std::int64_t serverId) {
  return ServerProblem(db->ServerById(serverId));
}

}  // namespace mapisim
