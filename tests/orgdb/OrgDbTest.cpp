// Round trips through the organisation database: every record kind, texts
// with arbitrary bytes, values at and beyond the usual ranges, absent
// columns, lookups without regard to case, and the writers' reference checks.
#include <gtest/gtest.h>

#include <limits>

#include "OrgDb.h"
#include "TempDir.h"

namespace orgdb {
namespace {

class OrgDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    db = OrgDb::Create(dir.File("org.db"), &error);
    ASSERT_TRUE(db) << error;
    site = db->AddSite({0, "First Administrative Group"});
    Server s;
    s.siteId = site;
    s.name = "SRV01";
    s.legacyDn = "/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=SRV01";
    s.version = 0x00060005'1DD60001ull;
    server = db->AddServer(s);
  }
  std::unique_ptr<OrgDb> Reopen() {
    db.reset();
    std::string error;
    auto reopened = OrgDb::Open(dir.File("org.db"), &error, true);
    EXPECT_TRUE(reopened) << error;
    return reopened;
  }
  orgdbtest::TempDir dir;
  std::unique_ptr<OrgDb> db;
  std::int64_t site = 0;
  std::int64_t server = 0;
};

TEST_F(OrgDbTest, OrganisationSitesAndServersRoundTrip) {
  db->SetOrganisation({"Org", "CN=Configuration,DC=corp,DC=example"});
  Server second;
  second.siteId = site;
  second.name = "SRV55";
  second.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV55";
  second.version = 0xFFFF'FFFF'FFFF'FFFFull;  // all bits set survives
  second.reachable = false;
  second.acceptsOnline = false;
  std::int64_t id = db->AddServer(second);
  db = Reopen();
  EXPECT_EQ(db->Organisation().name, "Org");
  EXPECT_EQ(db->Organisation().configurationNamingContext, "CN=Configuration,DC=corp,DC=example");
  ASSERT_EQ(db->Sites().size(), 1u);
  EXPECT_EQ(db->Sites()[0].name, "First Administrative Group");
  auto servers = db->Servers();
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(servers[0].version, 0x00060005'1DD60001ull);
  EXPECT_TRUE(servers[0].reachable);
  auto s = db->ServerById(id);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->version, 0xFFFF'FFFF'FFFF'FFFFull);
  EXPECT_FALSE(s->reachable);
  EXPECT_FALSE(s->acceptsOnline);
  EXPECT_FALSE(db->ServerById(999));

  s->reachable = true;
  s->name = "SRV56";
  db->UpdateServer(*s);
  EXPECT_TRUE(db->ServerById(id)->reachable);
  EXPECT_EQ(db->ServerById(id)->name, "SRV56");
  Server missing;
  missing.id = 999;
  EXPECT_THROW(db->UpdateServer(missing), OrgDbError);
}

TEST_F(OrgDbTest, ServersAreFoundWithoutRegardToCase) {
  EXPECT_EQ(db->FindServerByName("srv01")->id, server);
  EXPECT_EQ(db->FindServerByDn(
                  "/O=ORG/OU=FIRST ADMINISTRATIVE GROUP/CN=CONFIGURATION/CN=SERVERS/CN=SRV01")
                ->id,
            server);
  EXPECT_FALSE(db->FindServerByName("SRV0"));
  EXPECT_FALSE(db->FindServerByDn("/o=Org/ou=First Administrative Group"));
}

TEST_F(OrgDbTest, MailboxColumnsRoundTripIncludingExtremes) {
  Mailbox m;
  m.serverId = server;
  m.tableOrder = 7;
  m.alias = "jsmith";
  // Latin-1 bytes that are not UTF-8, and an embedded NUL.
  m.displayName = std::string("M\xFCller, J\xF6rg", 12);
  m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  m.ntUserName = std::string("CORP\\j\0x", 8);
  m.messageSize = std::int64_t{5} * 1024 * 1024 * 1024;  // above 4 GiB
  m.contentCount = -3;
  m.assocContentCount = std::numeric_limits<std::int32_t>::max();
  m.lastLogonTime = 0x8000'0000'0000'0000ull;  // beyond year 30827
  m.lastLogoffTime = 0xFFFF'FFFF'FFFF'FFFFull;
  m.storageLimit = 0xFFFF'FFFFu;
  std::int64_t id = db->AddMailbox(m);
  Mailbox bare;
  bare.serverId = server;
  bare.alias = "bare";
  std::int64_t bareId = db->AddMailbox(bare);
  db = Reopen();

  auto got = db->MailboxById(id);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->serverId, server);
  EXPECT_EQ(got->tableOrder, 7);
  EXPECT_EQ(got->alias, "jsmith");
  EXPECT_EQ(got->displayName, m.displayName);
  EXPECT_EQ(got->emailAddress, m.emailAddress);
  EXPECT_EQ(got->ntUserName, m.ntUserName);
  EXPECT_EQ(got->messageSize, m.messageSize);
  EXPECT_EQ(got->contentCount, -3);
  EXPECT_EQ(got->assocContentCount, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(got->lastLogonTime, 0x8000'0000'0000'0000ull);
  EXPECT_EQ(got->lastLogoffTime, 0xFFFF'FFFF'FFFF'FFFFull);
  EXPECT_EQ(got->storageLimit, 0xFFFF'FFFFu);

  auto absent = db->MailboxById(bareId);
  ASSERT_TRUE(absent);
  EXPECT_FALSE(absent->emailAddress);
  EXPECT_FALSE(absent->displayName);
  EXPECT_FALSE(absent->ntUserName);
  EXPECT_FALSE(absent->messageSize);
  EXPECT_FALSE(absent->contentCount);
  EXPECT_FALSE(absent->assocContentCount);
  EXPECT_FALSE(absent->lastLogonTime);
  EXPECT_FALSE(absent->lastLogoffTime);
  EXPECT_FALSE(absent->storageLimit);
}

TEST_F(OrgDbTest, EmptyTextIsNotAbsent) {
  Mailbox m;
  m.serverId = server;
  m.alias = "empty";
  m.displayName = "";
  std::int64_t id = db->AddMailbox(m);
  ASSERT_TRUE(db->MailboxById(id)->displayName.has_value());
  EXPECT_EQ(*db->MailboxById(id)->displayName, "");
}

TEST_F(OrgDbTest, MailboxLookups) {
  Mailbox a;
  a.serverId = server;
  a.alias = "jsmith";
  a.displayName = "John Smith";
  a.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  Mailbox b = a;
  b.alias = "jsmith2";
  b.displayName = "JOHN SMITH";
  b.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith2";
  std::int64_t ia = db->AddMailbox(a);
  std::int64_t ib = db->AddMailbox(b);
  EXPECT_EQ(db->FindMailboxByDn("/O=ORG/OU=SITE/CN=RECIPIENTS/CN=JSMITH")->id, ia);
  EXPECT_FALSE(db->FindMailboxByDn("/o=Org/ou=Site/cn=Recipients/cn=jsmit"));
  EXPECT_EQ(db->FindMailboxesByName(server, "JSMITH").size(), 1u);
  auto both = db->FindMailboxesByName(server, "john smith");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].id, ia);
  EXPECT_EQ(both[1].id, ib);
  EXPECT_TRUE(db->FindMailboxesByName(server + 1, "jsmith").empty());
  EXPECT_EQ(db->CountMailboxes(server), 2);
  EXPECT_EQ(db->CountMailboxes(server + 1), 0);
}

TEST_F(OrgDbTest, FolderTreeAndStoredMessages) {
  Mailbox m;
  m.serverId = server;
  m.alias = "jsmith";
  m.messageSize = 0;
  m.contentCount = 0;
  std::int64_t mb = db->AddMailbox(m);
  Folder top;
  top.mailboxId = mb;
  top.displayName = "Top of Information Store";
  top.subfolders = true;
  std::int64_t topId = db->AddFolder(top);
  Folder sent{0, mb, topId, 2, "Sent Items", "/Sent Items", false, 0, 0};
  Folder inbox{0, mb, topId, 1, "Inbox", "/Inbox", true, 0, 0};
  std::int64_t sentId = db->AddFolder(sent);
  std::int64_t inboxId = db->AddFolder(inbox);
  std::int64_t projects =
      db->AddFolder({0, mb, inboxId, 1, "Projects", "/Inbox/Projects", false, 0, 0});

  Message msg;
  msg.folderId = inboxId;
  msg.subject = std::string("caf\xE9", 4);
  msg.size = 0xFFFF'FFFFu;
  msg.hasAttachment = true;
  msg.deliveryTime = 0x8000'0000'0000'0001ull;
  msg.submitTime = 1;
  db->AddMessage(msg);
  Message noSubject;
  noSubject.folderId = inboxId;
  noSubject.size = 10;
  db->AddMessage(noSubject);
  db->AddMessage({0, projects, "x", 5, false, std::nullopt, std::nullopt});
  db->RecomputeTotals();
  db = Reopen();

  auto t = db->TopFolder(mb);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->id, topId);
  EXPECT_FALSE(t->parentId);
  auto children = db->ChildFolders(topId);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0].displayName, "Inbox");  // by position, not insertion
  EXPECT_EQ(children[1].id, sentId);
  EXPECT_EQ(children[0].urlName, "/Inbox");
  EXPECT_TRUE(children[0].subfolders);
  // Each folder's own messages only; nothing rolled up.
  EXPECT_EQ(children[0].contentCount, 2);
  EXPECT_EQ(children[0].messageSize, 0xFFFF'FFFFull + 10);
  EXPECT_EQ(db->FolderById(projects)->contentCount, 1);
  EXPECT_EQ(db->FolderById(sentId)->messageSize, 0u);
  // The mailbox totals add up all its folders.
  EXPECT_EQ(db->MailboxById(mb)->messageSize, std::int64_t{0xFFFF'FFFF} + 15);
  EXPECT_EQ(db->MailboxById(mb)->contentCount, 3);

  auto msgs = db->MessageBatch(inboxId, 0, 10, false);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].subject, msg.subject);
  EXPECT_EQ(msgs[0].size, 0xFFFF'FFFFu);
  EXPECT_TRUE(msgs[0].hasAttachment);
  EXPECT_EQ(msgs[0].deliveryTime, 0x8000'0000'0000'0001ull);
  EXPECT_EQ(msgs[0].submitTime, 1u);
  EXPECT_FALSE(msgs[1].subject);
  EXPECT_FALSE(msgs[1].deliveryTime);
  EXPECT_FALSE(msgs[1].submitTime);
  EXPECT_EQ(db->CountMessages(inboxId), 2);
  EXPECT_EQ(db->CountMessages(sentId), 0);
  EXPECT_TRUE(db->ChildFolders(projects).empty());
  EXPECT_FALSE(db->TopFolder(mb + 1));

  // Removal goes leaf first and takes the folder's messages with it.
  EXPECT_THROW(db->RemoveFolder(inboxId), OrgDbError);
  db->RemoveFolder(projects);
  EXPECT_FALSE(db->FolderById(projects));
  EXPECT_EQ(db->CountMessages(projects), 0);
  EXPECT_EQ(db->ChildFolders(inboxId).size(), 0u);
  EXPECT_EQ(db->CountMessages(inboxId), 2);
}

TEST_F(OrgDbTest, AbsentMailboxTotalsStayAbsent) {
  Mailbox m;
  m.serverId = server;
  m.alias = "a";
  std::int64_t mb = db->AddMailbox(m);
  std::int64_t top = db->AddFolder({0, mb, std::nullopt, 0, "Top", "/", false, 0, 0});
  db->AddMessage({0, top, "s", 100, false, std::nullopt, std::nullopt});
  db->RecomputeTotals();
  EXPECT_FALSE(db->MailboxById(mb)->messageSize);
  EXPECT_FALSE(db->MailboxById(mb)->contentCount);
  EXPECT_EQ(db->FolderById(top)->messageSize, 100u);
}

TEST_F(OrgDbTest, WritersRejectBrokenReferences) {
  Mailbox m;
  m.serverId = server + 100;
  m.alias = "ghost";
  EXPECT_THROW(db->AddMailbox(m), OrgDbError);
  m.serverId = server;
  std::int64_t a = db->AddMailbox(m);
  std::int64_t b = db->AddMailbox(m);
  std::int64_t topA = db->AddFolder({0, a, std::nullopt, 0, "Top", "", true, 0, 0});
  // A second top folder, a parent of another mailbox, a missing mailbox.
  EXPECT_THROW(db->AddFolder({0, a, std::nullopt, 0, "Top2", "", false, 0, 0}), OrgDbError);
  EXPECT_THROW(db->AddFolder({0, b, topA, 0, "Inbox", "/Inbox", false, 0, 0}), OrgDbError);
  EXPECT_THROW(db->AddFolder({0, 999, std::nullopt, 0, "Top", "", false, 0, 0}), OrgDbError);
  EXPECT_THROW(db->AddMessage({0, 999, "s", 1, false, std::nullopt, std::nullopt}), OrgDbError);
  Server s;
  s.siteId = 999;
  s.name = "X";
  EXPECT_THROW(db->AddServer(s), OrgDbError);
}

TEST_F(OrgDbTest, ExplicitIdsAreKept) {
  Mailbox m;
  m.id = 4242;
  m.serverId = server;
  m.alias = "kept";
  EXPECT_EQ(db->AddMailbox(m), 4242);
  EXPECT_EQ(db->MailboxById(4242)->alias, "kept");
  EXPECT_THROW(db->AddMailbox(m), OrgDbError);  // the same id twice
}

TEST_F(OrgDbTest, GalAccountsDirectoryAndFaults) {
  GalEntry e;
  e.displayName = "O'Brien, Pat";
  e.alias = "pobrien";
  e.address = "/o=Org/ou=Site/cn=Recipients/cn=pobrien";
  e.homeMdb = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB";
  e.homeMta = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft MTA";
  e.ntAccountSid = SidFromString("S-1-5-21-1-2-3-1001");
  e.richInfo = false;
  std::int64_t id = db->AddGalEntry(e);
  GalEntry twin = e;
  twin.address = "/O=ORG/OU=SITE/CN=RECIPIENTS/CN=POBRIEN";
  twin.ntAccountSid.reset();
  twin.richInfo = true;
  db->AddGalEntry(twin);
  db->AddNtAccount({*e.ntAccountSid, "CORP", "pobrien"});
  db->AddDirectoryObject({"CN=Servers,CN=Site,CN=Administrative Groups,CN=Org",
                          "msExchExchangeServer", "SRV02",
                          "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV02"});
  db->AddDirectoryObject({"CN=Servers,CN=Site,CN=Administrative Groups,CN=Org",
                          "msExchExchangeServer", "SRV01",
                          "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01"});
  db->AddDirectoryObject({"CN=Servers,CN=Other,CN=Administrative Groups,CN=Org",
                          "msExchExchangeServer", "SRV09",
                          "/o=Org/ou=Other/cn=Configuration/cn=Servers/cn=SRV09"});
  Fault f;
  f.call = "IMAPITable::QueryRows";
  f.hr = static_cast<std::int32_t>(0x80040115);
  f.match = "mailbox";
  f.nth = 2;
  f.flags = 0x100;
  f.message = "Network down";
  f.component = "Exchange";
  std::int64_t fid = db->AddFault(f);
  db->AddFault({0, "MAPILogonEx", static_cast<std::int32_t>(0x80040111), {}, {}, {}, {}, {}});
  db = Reopen();

  auto got = db->GalEntryById(id);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->displayName, "O'Brien, Pat");
  EXPECT_EQ(got->homeMta, e.homeMta);
  EXPECT_EQ(got->ntAccountSid, e.ntAccountSid);
  EXPECT_FALSE(got->richInfo);
  EXPECT_EQ(db->GalEntries().size(), 2u);
  auto matches = db->FindGalEntriesByAddress("/o=org/ou=site/cn=recipients/cn=pobrien");
  ASSERT_EQ(matches.size(), 2u);  // an ambiguous address
  EXPECT_FALSE(matches[1].ntAccountSid);
  Mailbox mb;
  mb.emailAddress = e.address;
  EXPECT_EQ(db->GalEntryForMailbox(mb)->id, id);
  mb.emailAddress.reset();
  EXPECT_FALSE(db->GalEntryForMailbox(mb));

  auto account = db->FindNtAccount(*e.ntAccountSid);
  ASSERT_TRUE(account);
  EXPECT_EQ(account->domain, "CORP");
  EXPECT_EQ(account->name, "pobrien");
  EXPECT_FALSE(db->FindNtAccount(SidFromString("S-1-5-21-1-2-3-1002")));
  EXPECT_EQ(db->NtAccounts().size(), 1u);

  auto objects = db->DirectoryObjects("cn=servers,cn=site,cn=administrative groups,cn=org",
                                      "MSEXCHEXCHANGESERVER");
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].name, "SRV02");  // stored order
  EXPECT_EQ(objects[1].legacyExchangeDN, "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01");
  EXPECT_TRUE(db->DirectoryObjects("CN=Servers,CN=Site", "msExchExchangeServer").empty());
  EXPECT_EQ(db->AllDirectoryObjects().size(), 3u);

  auto faults = db->Faults();
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_EQ(faults[0].call, "IMAPITable::QueryRows");
  EXPECT_EQ(static_cast<std::uint32_t>(faults[0].hr), 0x80040115u);
  EXPECT_EQ(faults[0].match, "mailbox");
  EXPECT_EQ(faults[0].nth, 2);
  EXPECT_EQ(faults[0].flags, 0x100u);
  EXPECT_EQ(faults[0].message, "Network down");
  EXPECT_EQ(faults[0].component, "Exchange");
  EXPECT_FALSE(faults[1].match);
  EXPECT_FALSE(faults[1].nth);
  EXPECT_FALSE(faults[1].flags);
  EXPECT_FALSE(faults[1].message);
  db->RemoveFault(fid);
  ASSERT_EQ(db->Faults().size(), 1u);
  EXPECT_EQ(db->Faults()[0].call, "MAPILogonEx");
  db->ClearFaults();
  EXPECT_TRUE(db->Faults().empty());
}

TEST_F(OrgDbTest, ReadOnlyOpenRefusesWrites) {
  db.reset();
  std::string error;
  auto ro = OrgDb::Open(dir.File("org.db"), &error);
  ASSERT_TRUE(ro) << error;
  EXPECT_EQ(ro->Servers().size(), 1u);
  EXPECT_THROW(ro->AddSite({0, "x"}), OrgDbError);
  EXPECT_THROW(ro->AddFault({0, "MAPILogonEx", 1, {}, {}, {}, {}, {}}), OrgDbError);
}

TEST_F(OrgDbTest, TransactionsBatchWrites) {
  db->Begin();
  db->Begin();  // nested: one transaction
  db->AddSite({0, "A"});
  db->Commit();
  db->AddSite({0, "B"});
  db->Commit();
  EXPECT_EQ(db->Sites().size(), 3u);
  // An uncommitted batch is gone after the database is closed.
  db->Begin();
  db->AddSite({0, "C"});
  db = Reopen();
  EXPECT_EQ(db->Sites().size(), 3u);
}

TEST(DatabasePathTest, JoinsRootAndFileName) {
  EXPECT_EQ(DatabasePath("/m"), "/m/organisation.db");
  EXPECT_EQ(DatabasePath("/m/"), "/m/organisation.db");
}

}  // namespace
}  // namespace orgdb
