// The generator: the same seed gives the same file, the organisation is
// internally consistent, and the demo keeps the facts others rely on.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Commands.h"
#include "Generator.h"
#include "OrgDb.h"
#include "TempDir.h"

namespace tabrixorg {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int RunTool(std::vector<std::string> args, std::string* out = nullptr) {
  std::ostringstream o, e;
  int rc = RunCommand(args, o, e);
  if (out) *out = o.str() + e.str();
  return rc;
}

std::unique_ptr<orgdb::OrgDb> OpenRead(const std::string& path) {
  std::string error;
  auto db = orgdb::OrgDb::Open(path, &error);
  EXPECT_TRUE(db) << error;
  return db;
}

TEST(GeneratorTest, SameSeedSameFileOtherSeedOtherFile) {
  orgdbtest::TempDir dir;
  std::vector<std::string> base = {"generate", "--servers", "3", "--mailboxes", "25", "--out"};
  auto with = [&](const std::string& file, const std::string& seed) {
    auto args = base;
    args.push_back(dir.File(file));
    args.insert(args.end(), {"--seed", seed});
    return args;
  };
  ASSERT_EQ(RunTool(with("a.db", "11")), 0);
  ASSERT_EQ(RunTool(with("b.db", "11")), 0);
  ASSERT_EQ(RunTool(with("c.db", "12")), 0);
  std::string a = FileBytes(dir.File("a.db"));
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, FileBytes(dir.File("b.db")));
  EXPECT_NE(a, FileBytes(dir.File("c.db")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.db.partial")));
}

// Walks a folder tree and checks each folder against its messages.
void CheckFolder(const orgdb::OrgDb& db, const orgdb::Folder& f, std::int64_t* count,
                 std::uint64_t* size, int depth) {
  // The top, then project stages ten levels below it at most.
  ASSERT_LE(depth, 10) << f.urlName;
  auto messages = db.MessageBatch(f.id, 0, 1000000, true);
  ASSERT_EQ(static_cast<std::int64_t>(messages.size()), f.contentCount) << f.urlName;
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    sum += messages[i].size;
    if (i > 0) {
      ASSERT_LE(*messages[i - 1].submitTime, *messages[i].submitTime);
    }
  }
  EXPECT_EQ(sum, f.messageSize) << f.urlName;
  *count += f.contentCount;
  *size += f.messageSize;
  auto children = db.ChildFolders(f.id);
  // One generated folder hides its child from PR_SUBFOLDERS.
  if (f.urlName != "/Archive 2005") {
    EXPECT_EQ(f.subfolders, !children.empty()) << f.urlName;
  }
  for (const auto& c : children) {
    if (f.parentId) {
      EXPECT_EQ(c.urlName, f.urlName + "/" + c.displayName);
    }
    CheckFolder(db, c, count, size, depth + 1);
  }
}

TEST(GeneratorTest, OrganisationIsConsistent) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--seed", "5", "--servers", "3", "--mailboxes", "60", "--org",
                     "Contoso", "--out", dir.File("org.db")}),
            0);
  auto db = OpenRead(dir.File("org.db"));
  EXPECT_EQ(db->Organisation().name, "Contoso");
  EXPECT_EQ(db->Organisation().configurationNamingContext,
            "CN=Configuration,DC=contoso,DC=example");
  auto servers = db->Servers();
  ASSERT_EQ(servers.size(), 3u);
  EXPECT_EQ(servers[2].version >> 48, 5u);  // every third server runs Exchange 5.5
  EXPECT_EQ(servers[0].version >> 48, 6u);
  EXPECT_EQ(db->Sites().size(), 2u);

  int neverLoggedOn = 0, limited = 0, withApostrophe = 0, withComma = 0, withoutSid = 0;
  for (const auto& server : servers) {
    auto site = db->Sites()[server.siteId == db->Sites()[0].id ? 0 : 1];
    EXPECT_EQ(server.legacyDn,
              "/o=Contoso/ou=" + site.name + "/cn=Configuration/cn=Servers/cn=" + server.name);
    auto objects =
        db->DirectoryObjects("CN=Servers,CN=" + site.name +
                                 ",CN=Administrative Groups,CN=Contoso,CN=Microsoft Exchange,"
                                 "CN=Services,CN=Configuration,DC=contoso,DC=example",
                             "msExchExchangeServer");
    EXPECT_TRUE(std::any_of(objects.begin(), objects.end(), [&](const auto& o) {
      return o.name == server.name && o.legacyExchangeDN == server.legacyDn;
    }));
    auto mailboxes = db->Mailboxes(server.id);
    ASSERT_EQ(mailboxes.size(), 60u);
    for (const auto& m : mailboxes) {
      EXPECT_EQ(*m.emailAddress, "/o=Contoso/ou=" + site.name + "/cn=Recipients/cn=" + m.alias);
      if (!m.lastLogonTime) {
        ++neverLoggedOn;
        EXPECT_FALSE(m.ntUserName);
        EXPECT_FALSE(m.lastLogoffTime);
      } else {
        EXPECT_EQ(*m.ntUserName, "CONTOSO\\" + m.alias);
        EXPECT_LT(*m.lastLogonTime, kDefaultNow);
        EXPECT_GT(*m.lastLogonTime, kDefaultNow - 366ull * 864000000000ull);
      }
      if (*m.storageLimit != 1) ++limited;
      withApostrophe += m.displayName->find('\'') != std::string::npos;
      withComma += m.displayName->find(',') != std::string::npos;
      auto top = db->TopFolder(m.id);
      ASSERT_TRUE(top) << m.alias;
      std::int64_t count = 0;
      std::uint64_t size = 0;
      CheckFolder(*db, *top, &count, &size, 0);
      EXPECT_EQ(*m.contentCount, count) << m.alias;
      EXPECT_EQ(static_cast<std::uint64_t>(*m.messageSize), size) << m.alias;
      auto gal = db->GalEntryForMailbox(m);
      ASSERT_TRUE(gal) << m.alias;
      EXPECT_EQ(gal->homeMdb, server.legacyDn + "/cn=Microsoft Private MDB");
      EXPECT_EQ(gal->homeMta, server.legacyDn + "/cn=Microsoft MTA");
      if (!gal->ntAccountSid) ++withoutSid;
    }
    // The default folders in their order.
    auto top = db->TopFolder(mailboxes[0].id);
    auto defaults = db->ChildFolders(top->id);
    ASSERT_GE(defaults.size(), 10u);
    EXPECT_EQ(defaults[0].urlName, "/Inbox");
    EXPECT_EQ(defaults[2].displayName, "Sent Items");
  }
  EXPECT_GT(neverLoggedOn, 0);
  EXPECT_GT(limited, 0);
  EXPECT_GT(withApostrophe, 0);
  EXPECT_GT(withComma, 0);
  EXPECT_GT(withoutSid, 0);
  EXPECT_EQ(db->GalEntries().size(), 180u);
}

TEST(GeneratorTest, DemoOrganisationFacts) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--demo", "--seed", "20060701", "--out", dir.File("demo.db")}), 0);
  auto db = OpenRead(dir.File("demo.db"));
  EXPECT_EQ(db->Organisation().name, "Tabrix");
  EXPECT_EQ(db->Organisation().configurationNamingContext, "CN=Configuration,DC=tabrix,DC=example");
  auto sites = db->Sites();
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].name, "First Administrative Group");
  EXPECT_EQ(sites[1].name, "Branch");
  auto srv01 = db->FindServerByName("SRV01");
  auto srv02 = db->FindServerByName("SRV02");
  auto srv55 = db->FindServerByName("SRV55");
  ASSERT_TRUE(srv01 && srv02 && srv55);
  EXPECT_EQ(srv01->siteId, sites[0].id);
  EXPECT_EQ(srv02->siteId, sites[0].id);
  EXPECT_EQ(srv55->siteId, sites[1].id);
  EXPECT_EQ(srv01->version, MakeVersion(6, 5, 7638, 1));
  EXPECT_EQ(srv02->version >> 48, 6u);
  EXPECT_EQ(srv55->version, MakeVersion(5, 5, 2653, 0));
  EXPECT_EQ(db->CountMailboxes(srv01->id), 120);
  std::int64_t total =
      db->CountMailboxes(srv01->id) + db->CountMailboxes(srv02->id) + db->CountMailboxes(srv55->id);
  EXPECT_GE(total, 200);
  EXPECT_LE(total, 400);
  auto admin = db->FindMailboxesByName(srv01->id, "admin");
  ASSERT_EQ(admin.size(), 1u);
  EXPECT_EQ(admin[0].displayName, "Administrator");
  EXPECT_EQ(admin[0].ntUserName, "TABRIX\\admin");
  auto gal = db->GalEntryForMailbox(admin[0]);
  ASSERT_TRUE(gal && gal->ntAccountSid);
  auto account = db->FindNtAccount(*gal->ntAccountSid);
  ASSERT_TRUE(account);
  EXPECT_EQ(account->domain, "TABRIX");
  EXPECT_EQ(account->name, "admin");
  EXPECT_EQ(db->DirectoryObjects(
                  "CN=Servers,CN=First Administrative Group,CN=Administrative Groups,CN=Tabrix,"
                  "CN=Microsoft Exchange,CN=Services,CN=Configuration,DC=tabrix,DC=example",
                  "msExchExchangeServer")
                .size(),
            2u);
}

TEST(GeneratorTest, LargeFolderOfTwoHundredThousandMessages) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--seed", "3", "--servers", "1", "--mailboxes", "2",
                     "--large-folder", "200000", "--out", dir.File("large.db")}),
            0);
  auto db = OpenRead(dir.File("large.db"));
  auto mailbox = db->Mailboxes(db->Servers()[0].id)[1];
  auto inbox = db->ChildFolders(db->TopFolder(mailbox.id)->id)[0];
  EXPECT_TRUE(inbox.subfolders);
  auto children = db->ChildFolders(inbox.id);
  auto archive = std::find_if(children.begin(), children.end(),
                              [](const auto& f) { return f.urlName == "/Inbox/Archive"; });
  ASSERT_NE(archive, children.end());
  EXPECT_EQ(archive->contentCount, 200000);
  EXPECT_EQ(db->CountMessages(archive->id), 200000);
  // Batches of 50 from anywhere in the folder, in ascending submit time.
  std::uint64_t previous = 0, sum = 0;
  std::int64_t read = 0;
  for (std::int64_t pos = 0;; pos += 50) {
    auto batch = db->MessageBatch(archive->id, pos, 50, true);
    if (batch.empty()) break;
    for (const auto& m : batch) {
      ASSERT_GT(*m.submitTime, previous);
      previous = *m.submitTime;
      sum += m.size;
    }
    read += static_cast<std::int64_t>(batch.size());
  }
  EXPECT_EQ(read, 200000);
  EXPECT_EQ(sum, archive->messageSize);
  EXPECT_GT(mailbox.contentCount, 200000);
}

// Counts the folders below `folder` and the deepest level under it.
void CountFolders(const orgdb::OrgDb& db, std::int64_t folder, int depth, int* count,
                  int* deepest) {
  for (const auto& c : db.ChildFolders(folder)) {
    ++*count;
    *deepest = std::max(*deepest, depth + 1);
    CountFolders(db, c.id, depth + 1, count, deepest);
  }
}

TEST(GeneratorTest, TreesForTheDetailsWindow) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--seed", "5", "--servers", "1", "--mailboxes", "8",
                     "--many-folders", "2000", "--empty-top", "--out", dir.File("trees.db")}),
            0);
  auto db = OpenRead(dir.File("trees.db"));
  const auto mailboxes = db->Mailboxes(db->Servers()[0].id);
  ASSERT_EQ(mailboxes.size(), 8u);
  int deepest = 0;
  std::vector<int> counts;
  for (const auto& m : mailboxes) {
    int count = 0, depth = 0;
    CountFolders(*db, db->TopFolder(m.id)->id, 0, &count, &depth);
    counts.push_back(count);
    deepest = std::max(deepest, depth);
  }
  EXPECT_GE(counts[2], 2000);   // the third mailbox
  EXPECT_EQ(counts.back(), 0);  // an empty top of information store
  EXPECT_FALSE(db->TopFolder(mailboxes.back().id)->subfolders);
  EXPECT_EQ(deepest, 10);  // projects ten levels below the top
  // The second mailbox's folder that does not announce its child.
  const auto top = db->ChildFolders(db->TopFolder(mailboxes[1].id)->id);
  auto hidden = std::find_if(top.begin(), top.end(),
                             [](const auto& f) { return f.urlName == "/Archive 2005"; });
  ASSERT_NE(hidden, top.end());
  EXPECT_FALSE(hidden->subfolders);
  EXPECT_EQ(db->ChildFolders(hidden->id).size(), 1u);
}

TEST(GeneratorTest, BadCommandLines) {
  std::string out;
  EXPECT_EQ(RunTool({"generate", "--out", "x.db"}, &out), 2);
  EXPECT_NE(out.find("--seed is required"), std::string::npos) << out;
  EXPECT_EQ(RunTool({"generate", "--seed", "abc", "--out", "x.db"}, &out), 2);
  EXPECT_EQ(RunTool({"generate", "--seed", "1", "--bogus", "1", "--out", "x.db"}, &out), 2);
  EXPECT_EQ(RunTool({"frobnicate"}, &out), 2);
  EXPECT_EQ(RunTool({}, &out), 2);
  EXPECT_EQ(RunTool({"generate", "--seed", "1", "--now", "2006-13-01", "--out", "x.db"}, &out), 2);
  EXPECT_EQ(RunTool({"export", "/no/such/org.db"}, &out), 1);
  EXPECT_NE(out.find("does not exist"), std::string::npos) << out;
}

TEST(GeneratorTest, NowMovesTheLogonTimes) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--seed", "1", "--servers", "1", "--mailboxes", "5", "--now",
                     "2024-01-01", "--out", dir.File("now.db")}),
            0);
  auto db = OpenRead(dir.File("now.db"));
  constexpr std::uint64_t k2024 = 133485408000000000ull;  // 2024-01-01 00:00 UTC
  for (const auto& m : db->Mailboxes(db->Servers()[0].id)) {
    if (!m.lastLogonTime) continue;
    EXPECT_LT(*m.lastLogonTime, k2024);
    EXPECT_GT(*m.lastLogonTime, k2024 - 366ull * 864000000000ull);
  }
}

TEST(SetupCommandTest, LaysOutARootFromTheCommandLine) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--demo", "--seed", "1", "--out", dir.File("demo.db")}), 0);
  std::ofstream(dir.File("lib.so")) << "not really a library";
  std::string out;
  ASSERT_EQ(RunTool({"setup", dir.File("root"), "--org", dir.File("demo.db"), "--mapi-lib",
                     dir.File("lib.so"), "--mapi-version", "6.0.1.2"},
                    &out),
            0)
      << out;
  EXPECT_EQ(FileBytes(dir.File("root/system32/libmapi32.so")), "not really a library");
  EXPECT_NE(FileBytes(dir.File("root/system32/libmapi32.so.version")).find("FileVersion=6.0.1.2"),
            std::string::npos);
  EXPECT_EQ(FileBytes(dir.File("root/organisation.db")), FileBytes(dir.File("demo.db")));
  EXPECT_NE(FileBytes(dir.File("root/registry/HKEY_LOCAL_MACHINE.reg")).find("MAPIX"),
            std::string::npos);
  EXPECT_EQ(RunTool({"setup", dir.File("root2")}, &out), 2);  // --org is required
  EXPECT_EQ(RunTool({"setup", dir.File("root3"), "--org", dir.File("demo.db"), "--profile-mailbox",
                     "admin"},
                    &out),
            2);  // a profile needs its server
}

// The office servers are placed and registered unless left out.
TEST(SetupCommandTest, RegistersTheOfficeServersUnlessLeftOut) {
  orgdbtest::TempDir dir;
  ASSERT_EQ(RunTool({"generate", "--demo", "--seed", "1", "--out", dir.File("demo.db")}), 0);
  std::ofstream(dir.File("xl.so")) << "spreadsheet";
  std::ofstream(dir.File("wd.so")) << "document";
  struct Row {
    std::vector<std::string> options;
    bool spreadsheet;
    bool document;
  } rows[] = {
      {{"--spreadsheet-server", dir.File("xl.so"), "--document-server", dir.File("wd.so")},
       true,
       true},
      {{"--spreadsheet-server", dir.File("xl.so"), "--no-document"}, true, false},
      {{"--no-spreadsheet", "--document-server", dir.File("wd.so")}, false, true},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string root = dir.File("root" + std::to_string(++n));
    std::vector<std::string> args = {
        "setup", root, "--org", dir.File("demo.db"), "--documents", dir.File("docs")};
    args.insert(args.end(), row.options.begin(), row.options.end());
    std::string out;
    ASSERT_EQ(RunTool(args, &out), 0) << out;
    const std::string classes = FileBytes(root + "/registry/HKEY_CLASSES_ROOT.reg");
    EXPECT_EQ(classes.find("[HKEY_CLASSES_ROOT\\Excel.Application\\CLSID]") != std::string::npos,
              row.spreadsheet)
        << n;
    EXPECT_EQ(classes.find("[HKEY_CLASSES_ROOT\\Word.Application\\CLSID]") != std::string::npos,
              row.document)
        << n;
    EXPECT_EQ(FileBytes(root + "/system32/libtabrixxl.so"), row.spreadsheet ? "spreadsheet" : "");
    EXPECT_EQ(FileBytes(root + "/system32/libtabrixwd.so"), row.document ? "document" : "");
    EXPECT_NE(FileBytes(root + "/machine.ini").find("Personal=" + dir.File("docs")),
              std::string::npos);
  }
}

}  // namespace
}  // namespace tabrixorg
