// The JSON form: export and import are inverse, awkward values survive, and
// a bad document is refused with the place of the problem.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Commands.h"
#include "Generator.h"
#include "JsonForm.h"
#include "OrgDb.h"
#include "TempDir.h"

namespace tabrixorg {
namespace {

std::unique_ptr<orgdb::OrgDb> Fresh(const std::string& path) {
  std::string error;
  auto db = orgdb::OrgDb::Create(path, &error);
  EXPECT_TRUE(db) << error;
  return db;
}

// An organisation with every awkward value the form must carry.
void BuildAwkward(orgdb::OrgDb& db) {
  db.SetOrganisation({std::string("Org\xE9", 4), "CN=Configuration,DC=x"});
  std::int64_t site = db.AddSite({0, "Site"});
  orgdb::Server s;
  s.siteId = site;
  s.name = "SRV01";
  s.legacyDn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
  s.version = 0xFFFF'0005'1DD6'0001ull;
  s.reachable = false;
  s.acceptsOnline = false;
  s.id = db.AddServer(s);
  orgdb::Mailbox m;
  m.serverId = s.id;
  m.tableOrder = -4;
  m.alias = "m\xFCller";
  m.displayName = std::string("M\xFCller, J\0rg", 12);
  m.emailAddress = "";
  m.messageSize = -1;
  m.contentCount = -2147483647 - 1;
  m.lastLogonTime = 0xFFFF'FFFF'FFFF'FFFFull;
  m.storageLimit = 0xFFFF'FFFFu;
  std::int64_t mb = db.AddMailbox(m);
  orgdb::Mailbox bare;
  bare.serverId = s.id;
  bare.alias = "bare";
  db.AddMailbox(bare);
  std::int64_t top =
      db.AddFolder({0, mb, std::nullopt, 0, "Top", "/", true, 7, 999});  // inconsistent on purpose
  std::int64_t inbox = db.AddFolder({0, mb, top, 3, "Inbox", "/Inbox", false, 2, 3});
  std::int64_t gen = db.AddFolder({0, mb, top, 5, "Gen", "/Gen", false, 0, 0});
  db.AddMessage(
      {0, inbox, std::string("\x80\x81", 2), 0xFFFF'FFFFu, true, 0x8000'0000'0000'0000ull, 0});
  db.AddMessage({0, inbox, std::nullopt, 0, false, std::nullopt, std::nullopt});
  orgdb::GeneratedMessages g;
  g.seed = 0xFFFF'FFFF'FFFF'FFFFull;
  g.count = 17;
  g.medianSize = 100;
  g.firstSubmitTime = 0x8000'0000'0000'0000ull;
  g.span = 1;
  db.SetGeneratedMessages(gen, g);
  orgdb::GalEntry e;
  e.displayName = "O'Brien, Pat";
  e.alias = "pobrien";
  e.address = "/o=Org/ou=Site/cn=Recipients/cn=pobrien";
  e.ntAccountSid = orgdb::Bytes{9, 9, 9};  // not a SID
  e.richInfo = false;
  db.AddGalEntry(e);
  e.ntAccountSid = orgdb::SidFromString("S-1-5-21-1-2-3-4");
  db.AddGalEntry(e);
  e.ntAccountSid.reset();
  db.AddGalEntry(e);
  db.AddNtAccount({orgdb::SidFromString("S-1-5-21-1-2-3-4"), "CORP", std::string("p\xF6", 2)});
  db.AddDirectoryObject({"CN=Servers,CN=Site", "msExchExchangeServer", "SRV01", s.legacyDn});
  db.AddFault({0, "IMAPITable::QueryRows", static_cast<std::int32_t>(0x80040115), "mailbox", 3,
               0x100u, std::string("bad\xFF", 4), "Exchange"});
  db.AddFault({0, "MAPILogonEx", 1, {}, {}, {}, {}, {}});
}

TEST(JsonFormTest, ImportOfExportGivesTheSameOrganisation) {
  orgdbtest::TempDir dir;
  auto a = Fresh(dir.File("a.db"));
  BuildAwkward(*a);
  Json first = ExportOrganisation(*a);
  auto b = Fresh(dir.File("b.db"));
  ImportOrganisation(Json::parse(first.dump()), *b);
  Json second = ExportOrganisation(*b);
  EXPECT_EQ(first.dump(2), second.dump(2));

  // Spot checks of the stored values behind the text.
  auto mailbox = b->FindMailboxesByName(b->Servers()[0].id, std::string("M\xFCller, J\0rg", 12));
  ASSERT_EQ(mailbox.size(), 1u);
  EXPECT_EQ(mailbox[0].messageSize, -1);
  EXPECT_EQ(mailbox[0].lastLogonTime, 0xFFFF'FFFF'FFFF'FFFFull);
  EXPECT_EQ(mailbox[0].emailAddress, "");
  EXPECT_FALSE(mailbox[0].ntUserName);
  auto top = b->TopFolder(mailbox[0].id);
  EXPECT_EQ(top->contentCount, 7);  // stored totals are kept, not recomputed
  EXPECT_EQ(b->GalEntries()[0].ntAccountSid, (orgdb::Bytes{9, 9, 9}));
  EXPECT_EQ(b->Faults()[0].message, std::string("bad\xFF", 4));
  EXPECT_EQ(b->Servers()[0].version, 0xFFFF'0005'1DD6'0001ull);
}

TEST(JsonFormTest, TheFormIsReadable) {
  orgdbtest::TempDir dir;
  auto a = Fresh(dir.File("a.db"));
  BuildAwkward(*a);
  Json doc = ExportOrganisation(*a);
  const Json& server = doc["sites"][0]["servers"][0];
  EXPECT_EQ(server["version"], "65535.5.7638.1");
  const Json& m = server["mailboxes"][0];
  EXPECT_EQ(m["alias"]["hex"], "6DFC6C6C6572");  // Latin-1, not UTF-8
  EXPECT_EQ(m["displayName"]["hex"], "4DFC6C6C65722C204A007267");
  EXPECT_FALSE(m.contains("ntUserName"));  // absent column, absent key
  EXPECT_EQ(m["folders"]["folders"][0]["messages"][0]["deliveryTime"], 0x8000'0000'0000'0000ull);
  EXPECT_EQ(m["folders"]["folders"][1]["generated"]["count"], 17);
  EXPECT_EQ(doc["gal"][1]["ntAccountSid"], "S-1-5-21-1-2-3-4");
  EXPECT_EQ(doc["gal"][0]["ntAccountSid"]["hex"], "090909");
  EXPECT_EQ(doc["faults"][0]["hr"], "0x80040115");
  EXPECT_EQ(doc["faults"][0]["flags"], "0x00000100");
  EXPECT_EQ(doc["gal"][0]["displayName"], "O'Brien, Pat");
}

TEST(JsonFormTest, GeneratedOrganisationRoundTripsThroughTheCommands) {
  orgdbtest::TempDir dir;
  std::ostringstream out, err;
  ASSERT_EQ(RunCommand({"generate", "--seed", "9", "--servers", "2", "--mailboxes", "15", "--out",
                        dir.File("g.db")},
                       out, err),
            0)
      << err.str();
  ASSERT_EQ(RunCommand({"export", dir.File("g.db"), "--out", dir.File("g.json")}, out, err), 0)
      << err.str();
  ASSERT_EQ(RunCommand({"import", dir.File("g.json"), "--out", dir.File("h.db")}, out, err), 0)
      << err.str();
  ASSERT_EQ(RunCommand({"export", dir.File("h.db"), "--out", dir.File("h.json")}, out, err), 0)
      << err.str();
  std::ifstream g(dir.File("g.json")), h(dir.File("h.json"));
  std::string gs((std::istreambuf_iterator<char>(g)), {}),
      hs((std::istreambuf_iterator<char>(h)), {});
  EXPECT_GT(gs.size(), 1000u);
  EXPECT_EQ(gs, hs);
}

TEST(JsonFormTest, MissingTotalsAreComputedAndDefaultsApply) {
  Json doc = Json::parse(R"({
    "organisation": {"name": "Org"},
    "sites": [{"name": "Site", "servers": [{"name": "SRV01", "version": "6.5.7638.1", "mailboxes": [
      {"alias": "a", "folders": {"displayName": "Top", "folders": [
        {"displayName": "Inbox", "urlName": "/Inbox",
         "messages": [{"subject": "x", "size": 10}, {"size": 5, "hasAttachment": true}]}]}}]}]}],
    "faults": [{"call": "MAPILogonEx", "hr": 2147746065}]
  })");
  orgdbtest::TempDir dir;
  auto db = Fresh(dir.File("d.db"));
  ImportOrganisation(doc, *db);
  auto server = db->FindServerByName("SRV01");
  EXPECT_TRUE(server->reachable);
  auto m = db->Mailboxes(server->id)[0];
  EXPECT_EQ(m.tableOrder, 0);
  EXPECT_FALSE(m.messageSize);
  auto top = db->TopFolder(m.id);
  EXPECT_TRUE(top->subfolders);  // it has a child
  auto inbox = db->ChildFolders(top->id)[0];
  EXPECT_EQ(inbox.contentCount, 2);
  EXPECT_EQ(inbox.messageSize, 15u);
  EXPECT_FALSE(inbox.subfolders);
  EXPECT_EQ(static_cast<std::uint32_t>(db->Faults()[0].hr), 0x80040111u);
}

TEST(JsonFormTest, BadDocumentsNameThePlace) {
  struct Case {
    const char* json;
    const char* where;
  };
  const Case cases[] = {
      {R"({"sites": [{"name": "S", "servers": [{"name": "A", "mailboxes": [{"alias": "a", "contentCount": "x"}]}]}]})",
       "sites[0].servers[0].mailboxes[0].contentCount: expected an integer"},
      {R"({"sites": [{"name": "S", "servers": [{"name": "A", "mailboxes": [{"alias": "a", "contentCount": 4294967296}]}]}]})",
       "sites[0].servers[0].mailboxes[0].contentCount: number out of 32-bit range"},
      {R"({"sites": [{"servers": []}]})", "sites[0].name: missing"},
      {R"({"sites": [{"name": "S", "servers": [{"name": "A", "version": "6.5"}]}]})",
       "sites[0].servers[0].version: expected a version"},
      {R"({"gal": [{"displayName": "x", "address": "y", "ntAccountSid": "S-x"}]})",
       "gal[0].ntAccountSid: not a SID"},
      {R"({"gal": [{"displayName": {"hex": "4"}, "address": "y"}]})",
       "gal[0].displayName: \"hex\" must hold"},
      {R"({"faults": [{"call": "X", "hr": "0x1234567890"}]})", "faults[0].hr: expected \"0x\""},
      {R"({"faults": [{"call": "X"}]})", "faults[0].hr: missing"},
      {R"({"version": 2})", "version: this program reads version 1"},
      {R"([1, 2])", "document: expected an object"},
      {R"({"sites": [{"name": "S", "servers": [{"name": "A", "mailboxes": [{"alias": "a", "folders":
          {"displayName": "T", "messages": [{"size": 1}], "generated": {"count": 2}}}]}]}]})",
       "sites[0].servers[0].mailboxes[0].folders.generated: a folder holds stored or generated "
       "messages"},
  };
  for (const auto& c : cases) {
    orgdbtest::TempDir dir;
    auto db = Fresh(dir.File("bad.db"));
    try {
      ImportOrganisation(Json::parse(c.json), *db);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
    }
  }
}

TEST(JsonFormTest, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
  EXPECT_FALSE(IsValidUtf8("M\xFCller"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
}

TEST(FaultCommandTest, AddListRemoveClear) {
  orgdbtest::TempDir dir;
  Fresh(dir.File("f.db")).reset();
  std::ostringstream out, err;
  ASSERT_EQ(RunCommand({"fault", dir.File("f.db"), "add", "IMsgStore::OpenEntry", "0x8004010F",
                        "--match", "folder", "--nth", "2", "--flags", "0x210", "--message", "Gone",
                        "--component", "Store"},
                       out, err),
            0)
      << err.str();
  ASSERT_EQ(RunCommand({"fault", dir.File("f.db"), "add", "MAPILogonEx", "-2147221231"}, out, err),
            0)
      << err.str();
  out.str("");
  ASSERT_EQ(RunCommand({"fault", dir.File("f.db"), "list"}, out, err), 0);
  EXPECT_EQ(
      out.str(),
      "1 IMsgStore::OpenEntry 0x8004010F match=folder nth=2 flags=0x00000210 message=\"Gone\" "
      "component=\"Store\"\n"
      "2 MAPILogonEx 0x80040111\n");
  ASSERT_EQ(RunCommand({"fault", dir.File("f.db"), "remove", "1"}, out, err), 0);
  out.str("");
  RunCommand({"fault", dir.File("f.db"), "list"}, out, err);
  EXPECT_EQ(out.str(), "2 MAPILogonEx 0x80040111\n");
  ASSERT_EQ(RunCommand({"fault", dir.File("f.db"), "clear"}, out, err), 0);
  out.str("");
  RunCommand({"fault", dir.File("f.db"), "list"}, out, err);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(RunCommand({"fault", dir.File("f.db"), "add", "X", "0x1", "--nth", "0"}, out, err), 2);
  EXPECT_EQ(RunCommand({"fault", dir.File("f.db"), "add", "X", "banana"}, out, err), 2);
  EXPECT_EQ(RunCommand({"fault", dir.File("missing.db"), "list"}, out, err), 1);
}

}  // namespace
}  // namespace tabrixorg
