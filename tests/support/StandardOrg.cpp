// The standard organisation of the tests (documented in TestMachine.h).
#include <cstdio>

#include "TestMachine.h"

namespace testsupport {

namespace {

constexpr std::uint64_t kLogon = 127856880000000000ull;   // 2006-03-01 12:00 UTC
constexpr std::uint64_t kSubmit = 127832580000000000ull;  // 2006-02-01 09:00 UTC
constexpr std::uint64_t kHour = 36000000000ull;
constexpr std::uint64_t kMinute = 600000000ull;
constexpr const char* kConfigNc = "CN=Configuration,DC=corp,DC=example";

std::uint64_t Version(std::uint64_t major, std::uint64_t minor, std::uint64_t build,
                      std::uint64_t rev) {
  return major << 48 | minor << 32 | build << 16 | rev;
}

struct Person {
  std::string alias;
  std::string displayName;
};

Person PersonAt(int i) {
  static const Person first[] = {
      {"admin", "Administrator"}, {"jsmith", "Smith, John"}, {"mobrien", "O'Brien, Mary"}};
  if (i < 3) return first[i];
  char alias[16], display[16];
  std::snprintf(alias, sizeof alias, "user%04d", i + 1);
  std::snprintf(display, sizeof display, "User %04d", i + 1);
  return {alias, display};
}

void AddFolders(orgdb::OrgDb& db, std::int64_t mailbox, int i) {
  std::int64_t top =
      db.AddFolder({0, mailbox, std::nullopt, 0, "Top of Information Store", "/", true, 0, 0});
  std::int64_t inbox = db.AddFolder({0, mailbox, top, 0, "Inbox", "/Inbox", true, 0, 0});
  std::int64_t projects =
      db.AddFolder({0, mailbox, inbox, 0, "Projects", "/Inbox/Projects", false, 0, 0});
  std::int64_t sent = db.AddFolder({0, mailbox, top, 1, "Sent Items", "/Sent Items", false, 0, 0});
  db.AddFolder({0, mailbox, top, 2, "Deleted Items", "/Deleted Items", false, 0, 0});
  struct Item {
    std::int64_t folder;
    std::optional<std::string> subject;
    std::uint32_t size;
    bool attachment;
  };
  const Item items[] = {{inbox, "Quarterly report", 1024, true},
                        {inbox, "Budget", 2048, false},
                        {inbox, "Lunch?", 512, false},
                        {projects, "Project plan", 4096, true},
                        {sent, std::nullopt, 1536u + 100u * static_cast<std::uint32_t>(i), false}};
  std::uint64_t submit = kSubmit;
  for (const auto& item : items) {
    db.AddMessage(
        {0, item.folder, item.subject, item.size, item.attachment, submit + kMinute, submit});
    submit += kHour;
  }
}

void AddMailbox(orgdb::OrgDb& db, const orgdb::Server& server, const Person& person, int i) {
  orgdb::Mailbox m;
  m.serverId = server.id;
  m.tableOrder = i;
  m.alias = person.alias;
  m.displayName = person.displayName;
  m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=" + person.alias;
  m.ntUserName = "CORP\\" + person.alias;
  m.messageSize = 0;  // summed from the folders below
  m.contentCount = 0;
  m.assocContentCount = 2;
  m.lastLogonTime = kLogon + static_cast<std::uint64_t>(i) * kHour;
  m.lastLogoffTime = *m.lastLogonTime + kHour;
  static const std::uint32_t limits[] = {1, 2, 4, 8, 16};
  m.storageLimit = limits[i % 5];
  std::int64_t id = db.AddMailbox(m);
  AddFolders(db, id, i);

  orgdb::GalEntry e;
  e.displayName = person.displayName;
  e.alias = person.alias;
  e.address = *m.emailAddress;
  e.homeMdb = server.legacyDn + "/cn=Microsoft Private MDB";
  e.homeMta = server.legacyDn + "/cn=Microsoft MTA";
  e.ntAccountSid = orgdb::SidFromString("S-1-5-21-1000-2000-3000-" + std::to_string(1000 + id));
  e.richInfo = true;
  db.AddGalEntry(e);
  db.AddNtAccount({*e.ntAccountSid, "CORP", person.alias});
}

orgdb::Server AddServer(orgdb::OrgDb& db, std::int64_t site, const std::string& name,
                        std::uint64_t version) {
  orgdb::Server s;
  s.siteId = site;
  s.name = name;
  s.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=" + name;
  s.version = version;
  s.id = db.AddServer(s);
  db.AddDirectoryObject(
      {std::string("CN=Servers,CN=Site,CN=Administrative Groups,CN=Org,CN=Microsoft "
                   "Exchange,CN=Services,") +
           kConfigNc,
       "msExchExchangeServer", name, s.legacyDn});
  return s;
}

}  // namespace

void BuildStandardOrg(orgdb::OrgDb& db, const StandardOrgOptions& o) {
  db.Begin();
  db.SetOrganisation({"Org", kConfigNc});
  std::int64_t site = db.AddSite({0, "Site"});
  auto srv01 =
      AddServer(db, site, "SRV01", o.exchange55 ? Version(5, 5, 2653, 0) : Version(6, 5, 7638, 1));
  for (int i = 0; i < o.mailboxes; ++i) AddMailbox(db, srv01, PersonAt(i), i);
  if (o.secondServer) {
    auto srv02 = AddServer(db, site, "SRV02", Version(6, 5, 7638, 1));
    AddMailbox(db, srv02, {"srv2user1", "Second User 1"}, 0);
    AddMailbox(db, srv02, {"srv2user2", "Second User 2"}, 1);
  }
  db.RecomputeTotals();
  db.Commit();
}

}  // namespace testsupport
