// Finding the home server and the servers of its administrative group,
// through the MAPI and directory stand-ins, with each failure row injected.
#include <gtest/gtest.h>

#include "Directory.h"
#include "GuiMachine.h"
#include "MapiPtr.h"
#include "RecordingDialogs.h"
#include "ServerDiscovery.h"

namespace {

using core::ServerEntry;
using testsupport::Kind;

// The server box as a plain list.
class FakeBox final : public core::ServerBox {
 public:
  void Clear() override {
    entries.clear();
    selected = -1;
  }
  void Add(ServerEntry entry) override { entries.push_back(std::move(entry)); }
  int Count() const override { return static_cast<int>(entries.size()); }
  const ServerEntry& Entry(int index) const override {
    return entries.at(static_cast<std::size_t>(index));
  }
  void Select(int index) override { selected = index; }
  void SetEnabled(bool on) override { enabled = on; }
  bool IsEnabled() const override { return enabled; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
  }

  std::vector<ServerEntry> entries;
  int selected = -1;
  bool enabled = false;
};

constexpr const char* kSrv01Dn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01";
constexpr const char* kSrv02Dn = "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV02";

TEST(SplitHomeMdbDn, DerivesTheFourNames) {
  struct Case {
    const char* dn;
    const char* serverDn;
    const char* server;
    const char* org;
    const char* site;
    const char* why;
  } cases[] = {
      {"/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB", kSrv01Dn,
       "SRV01", "Org", "Site", "the usual form"},
      {"/O=Org/OU=Site/CN=Configuration/CN=Servers/CN=SRV01/CN=Microsoft Private MDB",
       "/O=Org/OU=Site/CN=Configuration/CN=Servers/CN=SRV01/CN=Microsoft Private MDB",
       "SRV01/CN=Microsoft Private MDB", "Org", "Site",
       "prefixes ignore case, the store suffix does not"},
      {"/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=SRV02/cn=Microsoft "
       "Private MDB",
       "/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=SRV02", "SRV02", "Org",
       "First Administrative Group", "a site with blanks"},
      {"/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01", kSrv01Dn, "SRV01", "Org", "Site",
       "no store suffix: the DN stays whole"},
      {"", "", "", "", "", "nothing to split"},
  };
  for (const auto& c : cases) {
    const core::HomeServerNames n = core::SplitHomeMdbDn(c.dn);
    EXPECT_EQ(n.serverDn, c.serverDn) << c.why;
    EXPECT_EQ(n.homeServerName, c.server) << c.why;
    EXPECT_EQ(n.organizationName, c.org) << c.why;
    EXPECT_EQ(n.siteName, c.site) << c.why;
  }
}

TEST(ServerDiscoveryTexts, VersionAndQuery) {
  const core::ServerVersion v = core::VersionFromReplica(0x00060005'1DD60001ull);
  EXPECT_EQ(v.major, 6);
  EXPECT_EQ(v.minor, 5);
  EXPECT_EQ(v.build, 7638);
  EXPECT_EQ(v.revision, 1);
  EXPECT_EQ(core::ExchangeServersQuery("SRV01", "First Administrative Group", "Org",
                                       "CN=Configuration,DC=corp,DC=example"),
            "SELECT name, legacyExchangeDN FROM 'LDAP://SRV01/CN=Servers,CN=First Administrative "
            "Group,CN=Administrative Groups,CN=Org,CN=Microsoft Exchange,CN=Services,"
            "CN=Configuration,DC=corp,DC=example' WHERE objectClass='msExchExchangeServer'");
}

class Discovery : public ::testing::Test {
 protected:
  void TearDown() override {
    if (session) Logoff();
  }

  // Builds the organisation (the caller may add to it), sets the machine up
  // and logs on to the default profile of `mailbox`.
  void Start(const testsupport::StandardOrgOptions& options = {},
             const std::string& mailbox = "admin") {
    if (!built) machine.BuildStandard(options);
    ASSERT_TRUE(machine.Start(mailbox));
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x806A, mapi::Out(session)), S_OK);
  }
  void Build(const testsupport::StandardOrgOptions& options = {}) {
    machine.BuildStandard(options);
    built = true;
  }
  std::optional<std::string> Find() {
    return core::FindHomeServer(session.get(), dialogs, box, fields);
  }
  void Logoff() {
    session->Logoff(0, 0, 0);
    session.reset();
    mapi::MAPIUninitialize();
  }
  void ExpectBalanced() {
    Logoff();
    machine.ExpectBalanced();
  }

  guitest::GuiMachine machine;
  testsupport::RecordingDialogs dialogs;
  FakeBox box;
  core::DiscoveryFields fields;
  mapi::ComPtr<IMAPISession> session;
  bool built = false;
};

TEST_F(Discovery, Exchange2003ListsTheGroupsServersAndSelectsHome) {
  Start({3, true, false});
  EXPECT_EQ(Find(), "SRV01");
  EXPECT_EQ(fields.lastResult, S_OK);
  EXPECT_EQ(fields.serverDn, kSrv01Dn);
  EXPECT_EQ(fields.homeServerName, "SRV01");
  EXPECT_EQ(fields.organizationName, "Org");
  EXPECT_EQ(fields.siteName, "Site");
  ASSERT_EQ(box.Names(), (std::vector<std::string>{"SRV01", "SRV02"}));
  EXPECT_EQ(box.entries[1].legacyDn, kSrv02Dn);
  EXPECT_TRUE(box.enabled);
  EXPECT_EQ(box.selected, 0);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.depth, 0) << "the cursor is restored";
  EXPECT_GE(dialogs.hourglassesShown, 1);
  EXPECT_EQ(core::ReadServerVersion(session.get()).build, 7638);
  ExpectBalanced();
}

TEST_F(Discovery, HomeServerIsSelectedWhenNotTheFirstRow) {
  Start({3, true, false}, "srv2user1");
  EXPECT_EQ(Find(), "SRV02");
  EXPECT_EQ(box.Names(), (std::vector<std::string>{"SRV01", "SRV02"}));
  EXPECT_EQ(box.selected, 1);
  ExpectBalanced();
}

TEST_F(Discovery, HomeServerMatchesTheDirectoryWithoutRegardToCase) {
  Start({3, true, false});
  core::QueryExchangeServers("srv02", "Site", "Org", box);
  EXPECT_EQ(box.selected, 1);
  EXPECT_TRUE(box.enabled);
  ExpectBalanced();
}

TEST_F(Discovery, Exchange55ShowsTheHomeServerAloneAndDisabled) {
  Start({3, false, true});
  EXPECT_EQ(Find(), "SRV01");
  ASSERT_EQ(box.Names(), std::vector<std::string>{"SRV01"});
  EXPECT_FALSE(box.entries[0].legacyDn.has_value());
  EXPECT_EQ(box.selected, 0);
  EXPECT_FALSE(box.enabled);
  EXPECT_EQ(core::ReadServerVersion(session.get()).major, 5);
  ExpectBalanced();
}

TEST_F(Discovery, UnreadableVersionCountsAsExchange55) {
  Build();
  machine.AddFault("HrGetOneProp", MAPI_E_NOT_FOUND, "664B0014");
  Start();
  EXPECT_EQ(Find(), "SRV01");
  EXPECT_EQ(box.Names(), std::vector<std::string>{"SRV01"});
  EXPECT_FALSE(box.enabled);
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectBalanced();
}

TEST_F(Discovery, VersionOfAStoreThatCannotOpenIsZero) {
  Build();
  machine.AddFault("IMsgStore::OpenEntry", MAPI_E_NO_ACCESS, "root");
  Start();
  const core::ServerVersion v = core::ReadServerVersion(session.get());
  EXPECT_EQ(v.major + v.minor + v.build + v.revision, 0);
  ExpectBalanced();
}

TEST_F(Discovery, UnreachableDirectoryLeavesTheBoxEmptyAndSaysNothing) {
  Build();
  machine.AddFault("ADsOpenObject", E_ADS_SERVER_DOWN);
  Start();
  EXPECT_EQ(Find(), "SRV01") << "the home server is still found";
  EXPECT_EQ(box.Count(), 0);
  EXPECT_FALSE(box.enabled);
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectBalanced();
}

TEST_F(Discovery, FailingQueryLeavesTheHomeServerWithoutDn) {
  for (const char* call : {"AdoQuery::Open", "IADs::GetString"}) {
    SCOPED_TRACE(call);
    guitest::GuiMachine local;
    local.BuildStandard({3, true, false});
    local.AddFault(call, E_FAIL);
    ASSERT_TRUE(local.Start());
    FakeBox localBox;
    core::QueryExchangeServers("SRV01", "Site", "Org", localBox);
    ASSERT_EQ(localBox.Names(), std::vector<std::string>{"SRV01"});
    EXPECT_FALSE(localBox.entries[0].legacyDn.has_value());
    EXPECT_EQ(localBox.selected, 0);
    EXPECT_FALSE(localBox.enabled) << "keeps the state it had";
  }
}

TEST_F(Discovery, QueryWithoutRowsLeavesTheBoxEmptyAndDisabled) {
  Start();
  box.enabled = true;
  core::QueryExchangeServers("SRV01", "No Such Group", "Org", box);
  EXPECT_EQ(box.Count(), 0);
  EXPECT_FALSE(box.enabled);
  ExpectBalanced();
}

TEST_F(Discovery, IdentityFailuresShowTheirTextsThenAskForTheServer) {
  struct Case {
    const char* call;
    std::optional<std::string> match;
    HRESULT hr;
    std::vector<std::pair<Kind, std::string>> shown;
    const char* why;
  } cases[] = {
      {"IMAPISession::OpenEntry",
       std::nullopt,
       MAPI_W_NO_SERVICE,
       {{Kind::Error, "NO SERVICE AVALIABLE."},
        {Kind::Error, "Are you connected to Microsoft Exchange Server?"}},
       "a warning counts as failure here"},
      {"IMAPISession::QueryIdentity",
       std::nullopt,
       MAPI_E_NOT_FOUND,
       {{Kind::System, "MAPI_E_NOT_FOUND\r\nError Code: $8004010F"},
        {Kind::Error, "Are you connected to Microsoft Exchange Server?"}},
       "the session's error text in a system box"},
      {"IMAPIProp::GetProps",
       std::string("identity"),
       MAPI_E_NO_ACCESS,
       {{Kind::Error, "MAPI Error on User Prop Get Properties!"},
        {Kind::Error, "Are you connected to Microsoft Exchange Server?"}},
       "the property cannot be read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    guitest::GuiMachine local;
    local.BuildStandard();
    local.AddFault(c.call, c.hr, c.match);
    ASSERT_TRUE(local.Start());
    mapi::ComPtr<IMAPISession> s;
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x806A, mapi::Out(s)), S_OK);
    testsupport::RecordingDialogs d;
    FakeBox b;
    core::DiscoveryFields f;
    f.serverDn = "stale";
    EXPECT_EQ(core::FindHomeServer(s.get(), d, b, f), std::nullopt);
    EXPECT_EQ(f.lastResult, c.hr);
    EXPECT_TRUE(f.serverDn.empty());
    EXPECT_TRUE(f.homeServerName.empty());
    EXPECT_EQ(b.Count(), 0);
    ASSERT_EQ(d.shown.size(), c.shown.size());
    if (d.shown.empty()) continue;
    for (std::size_t i = 0; i < c.shown.size(); ++i) {
      EXPECT_EQ(d.shown[i].kind, c.shown[i].first);
      EXPECT_EQ(d.shown[i].text, c.shown[i].second);
      EXPECT_EQ(d.shown[i].hourglassDepth, 0) << "the cursor is restored before the message";
    }
    if (d.shown[0].kind == Kind::System) {
      EXPECT_EQ(d.shown[0].caption, "MAPI SubSystem");
    }
    s->Logoff(0, 0, 0);
    s.reset();
    mapi::MAPIUninitialize();
    local.ExpectBalanced();
  }
}

TEST_F(Discovery, IdentityWithoutHomeStoreAsksForTheServerAlone) {
  Build();
  // A mailbox whose directory entry names no home store.
  const orgdb::Server srv01 = *machine.org().FindServerByName("SRV01");
  orgdb::Mailbox m;
  m.serverId = srv01.id;
  m.tableOrder = 99;
  m.alias = "nohome";
  m.displayName = "No Home";
  m.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=nohome";
  machine.org().AddMailbox(m);
  orgdb::GalEntry e;
  e.displayName = "No Home";
  e.alias = "nohome";
  e.address = *m.emailAddress;
  machine.org().AddGalEntry(e);
  Start({}, "nohome");
  EXPECT_EQ(Find(), std::nullopt);
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{"Are you connected to Microsoft Exchange Server?"});
  EXPECT_EQ(box.Count(), 0);
  ExpectBalanced();
}

}  // namespace
