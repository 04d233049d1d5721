// The directory stand-in: RootDSE binding, its attributes, the server query
// and the statement parser.
#include <gtest/gtest.h>

#include <filesystem>

#include "Directory.h"
#include "DirectoryStatement.h"
#include "MAPIDefs.h"  // an interface the directory does not offer
#include "ProviderConfig.h"
#include "TestMachine.h"

namespace {

constexpr const char* kConnection =
    "Provider=ADsDSOObject;Encrypt Password=False;Extended Properties=\"SearchScope=0\";Mode=Read;"
    "Bind Flags=0;ADSI Flag=1";
constexpr const char* kContainer =
    "CN=Servers,CN=Site,CN=Administrative Groups,CN=Org,CN=Microsoft Exchange,CN=Services,"
    "CN=Configuration,DC=corp,DC=example";

std::string Statement(const std::string& server, const std::string& container) {
  return "SELECT name, legacyExchangeDN FROM 'LDAP://" + server + "/" + container +
         "' WHERE objectClass='msExchExchangeServer'";
}

class DirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::StandardOrgOptions o;
    o.secondServer = true;
    testsupport::BuildStandardOrg(machine.org(), o);
  }
  HRESULT OpenRoot(const char* path, IADs** out) {
    return ADsOpenObject(path, nullptr, nullptr, 0, IID_IADs, reinterpret_cast<void**>(out));
  }
  std::vector<std::pair<std::string, std::string>> Query(const std::string& sql) {
    platform::AdoQuery q;
    q.SetConnectionString(kConnection);
    q.SetSQL(sql);
    q.Open();
    std::vector<std::pair<std::string, std::string>> rows;
    while (!q.Eof()) {
      rows.emplace_back(q.FieldAsString("name"), q.FieldAsString("legacyExchangeDN"));
      q.Next();
    }
    q.Close();
    return rows;
  }
  testsupport::TestMachine machine;
};

TEST_F(DirectoryTest, RootDseOfAServerGivesTheConfigurationContext) {
  for (const char* path : {"LDAP://SRV01/RootDSE", "LDAP://srv02/rootdse"}) {
    IADs* root = nullptr;
    ASSERT_EQ(OpenRoot(path, &root), S_OK) << path;
    ASSERT_TRUE(root);
    std::string value;
    EXPECT_EQ(root->GetString("configurationNamingContext", &value), S_OK);
    EXPECT_EQ(value, "CN=Configuration,DC=corp,DC=example");
    EXPECT_EQ(root->GetString("DEFAULTNAMINGCONTEXT", &value), S_OK);
    EXPECT_EQ(value, "DC=corp,DC=example");
    value = "kept";
    EXPECT_EQ(root->GetString("schemaNamingContext", &value), E_ADS_PROPERTY_NOT_FOUND);
    EXPECT_EQ(value, "kept");
    IUnknown* unknown = nullptr;
    EXPECT_EQ(root->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(root->Release(), 0u);
  }
}

TEST_F(DirectoryTest, OpenFailures) {
  struct Case {
    const char* path;
    HRESULT expected;
  };
  const Case cases[] = {
      {"LDAP://SRV99/RootDSE", E_ADS_SERVER_DOWN},
      {"", E_ADS_BAD_PATHNAME},
      {"LDAP:/SRV01/RootDSE", E_ADS_BAD_PATHNAME},
      {"ldap://SRV01/RootDSE", E_ADS_BAD_PATHNAME},  // the provider name is case-sensitive
      {"LDAP://SRV01", E_ADS_BAD_PATHNAME},
      {"LDAP:///RootDSE", E_ADS_BAD_PATHNAME},
      {"LDAP://SRV01/CN=Servers", E_ADS_BAD_PATHNAME},
      {"GC://SRV01/RootDSE", E_ADS_BAD_PATHNAME},
  };
  for (const auto& c : cases) {
    IADs* root = reinterpret_cast<IADs*>(0x1);
    EXPECT_EQ(OpenRoot(c.path, &root), c.expected) << c.path;
    EXPECT_EQ(root, nullptr) << c.path;
  }
  EXPECT_EQ(ADsOpenObject(nullptr, nullptr, nullptr, 0, IID_IADs, nullptr), E_POINTER);
  void* object = nullptr;
  EXPECT_EQ(ADsOpenObject("LDAP://SRV01/RootDSE", nullptr, nullptr, 0, IID_IMAPITable, &object),
            E_NOINTERFACE);

  auto server = *machine.org().FindServerByName("SRV02");
  server.reachable = false;
  machine.org().UpdateServer(server);
  IADs* root = nullptr;
  EXPECT_EQ(OpenRoot("LDAP://SRV02/RootDSE", &root), E_ADS_SERVER_DOWN);
}

TEST_F(DirectoryTest, MissingDatabaseFailsEverything) {
  machine.CloseOrg();
  std::filesystem::remove(orgdb::DatabasePath(machine.root()));
  IADs* root = nullptr;
  EXPECT_TRUE(FAILED(OpenRoot("LDAP://SRV01/RootDSE", &root)));
  EXPECT_EQ(root, nullptr);
  EXPECT_THROW(Query(Statement("SRV01", kContainer)), std::runtime_error);
}

TEST_F(DirectoryTest, EmptyNamingContextIsAMissingAttribute) {
  machine.org().SetOrganisation({"Org", ""});
  IADs* root = nullptr;
  ASSERT_EQ(OpenRoot("LDAP://SRV01/RootDSE", &root), S_OK);
  std::string value;
  EXPECT_EQ(root->GetString("configurationNamingContext", &value), E_ADS_PROPERTY_NOT_FOUND);
  root->Release();
}

TEST_F(DirectoryTest, FaultsBreakOpenGetStringAndQuery) {
  orgdb::Fault f;
  f.call = "ADsOpenObject";
  f.hr = E_ADS_SERVER_DOWN;
  f.match = "srv01";
  machine.org().AddFault(f);
  IADs* root = nullptr;
  EXPECT_EQ(OpenRoot("LDAP://SRV01/RootDSE", &root), E_ADS_SERVER_DOWN);
  ASSERT_EQ(OpenRoot("LDAP://SRV02/RootDSE", &root), S_OK);
  f = {};
  f.call = "IADs::GetString";
  f.hr = E_FAIL;
  f.match = "configurationNamingContext";
  machine.org().AddFault(f);
  std::string value;
  EXPECT_EQ(root->GetString("configurationNamingContext", &value), E_FAIL);
  EXPECT_EQ(root->GetString("dnsHostName", &value), S_OK);
  EXPECT_EQ(value, "SRV02");
  root->Release();

  f = {};
  f.call = "AdoQuery::Open";
  f.hr = E_FAIL;
  f.message = "Table does not exist.";
  machine.org().AddFault(f);
  try {
    Query(Statement("SRV01", kContainer));
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Table does not exist.");
  }
}

TEST_F(DirectoryTest, FaultFlagsMatchTheReservedArgument) {
  orgdb::Fault f;
  f.call = "ADsOpenObject";
  f.hr = E_ACCESSDENIED;
  f.flags = 0x1;
  machine.org().AddFault(f);
  void* object = nullptr;
  EXPECT_EQ(ADsOpenObject("LDAP://SRV01/RootDSE", nullptr, nullptr, 0, IID_IADs, &object), S_OK);
  static_cast<IADs*>(object)->Release();
  EXPECT_EQ(ADsOpenObject("LDAP://SRV01/RootDSE", nullptr, nullptr, 3, IID_IADs, &object),
            E_ACCESSDENIED);
}

TEST_F(DirectoryTest, QueryListsTheContainersServersInStoredOrder) {
  machine.org().AddDirectoryObject(
      {kContainer, "msExchExchangeServer", "SRV00", "/o=Org/ou=Site/cn=SRV00"});
  machine.org().AddDirectoryObject({kContainer, "container", "NotAServer", "x"});
  machine.org().AddDirectoryObject({"CN=Servers,CN=Other", "msExchExchangeServer", "SRV77", "y"});
  auto rows = Query(Statement("SRV01", kContainer));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].first, "SRV01");
  EXPECT_EQ(rows[0].second, "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01");
  EXPECT_EQ(rows[1].first, "SRV02");
  EXPECT_EQ(rows[2].first, "SRV00");
  // Containers compare without regard to case; another container has none.
  std::string upper = kContainer;
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Query(Statement("srv02", upper)).size(), 3u);
  EXPECT_TRUE(Query(Statement("SRV01", "CN=Servers,CN=Nowhere")).empty());
}

TEST_F(DirectoryTest, QueryFailuresThrow) {
  auto server = *machine.org().FindServerByName("SRV02");
  server.reachable = false;
  machine.org().UpdateServer(server);
  EXPECT_THROW(Query(Statement("SRV02", kContainer)), std::runtime_error);
  EXPECT_THROW(Query(Statement("SRV99", kContainer)), std::runtime_error);
  EXPECT_THROW(Query("SELECT name FROM servers"), std::runtime_error);

  platform::AdoQuery q;
  q.SetSQL(Statement("SRV01", kContainer));
  EXPECT_THROW(q.Open(), std::runtime_error);  // no provider named
  q.SetConnectionString("Provider=SQLOLEDB");
  EXPECT_THROW(q.Open(), std::runtime_error);
  EXPECT_THROW(q.Eof(), std::runtime_error);  // closed
  q.SetConnectionString(kConnection);
  q.Open();
  EXPECT_THROW(q.Open(), std::runtime_error);  // already open
  EXPECT_THROW(q.SetSQL("x"), std::runtime_error);
  EXPECT_THROW(q.FieldAsString("whenCreated"), std::runtime_error);
  EXPECT_EQ(q.FieldAsString("NAME"), "SRV01");
  q.Next();
  q.Next();
  EXPECT_TRUE(q.Eof());
  EXPECT_THROW(q.Next(), std::runtime_error);
  EXPECT_THROW(q.FieldAsString("name"), std::runtime_error);
  q.Close();
  q.Close();  // harmless
  q.Open();   // reopens from the start
  EXPECT_EQ(q.FieldAsString("name"), "SRV01");
}

TEST(DirectoryStatementTest, ParsesTheSelectForm) {
  struct Case {
    const char* text;
    bool ok;
    const char* server;
    const char* container;
    const char* objectClass;
    std::size_t columns;
  };
  const Case cases[] = {
      {"SELECT name, legacyExchangeDN FROM 'LDAP://SRV01/CN=Servers,CN=First Administrative "
       "Group,CN=X' "
       "WHERE objectClass='msExchExchangeServer'",
       true, "SRV01", "CN=Servers,CN=First Administrative Group,CN=X", "msExchExchangeServer", 2},
      {"select name from 'LDAP://s/CN=A' where OBJECTCLASS = 'c' ;", true, "s", "CN=A", "c", 1},
      {"  SELECT\tname,cn\nFROM'LDAP://s/CN=O''Brien'WHERE objectClass='c'", true, "s",
       "CN=O'Brien", "c", 2},
      {"SELECT FROM 'LDAP://s/CN=A' WHERE objectClass='c'", false, "", "", "", 0},
      {"SELECT name FROM 'LDAP://s/CN=A'", false, "", "", "", 0},
      {"SELECT name FROM 'LDAP://s/CN=A' WHERE cn='c'", false, "", "", "", 0},
      {"SELECT name FROM 'LDAP://s/CN=A' WHERE objectClass='c' AND x='y'", false, "", "", "", 0},
      {"SELECT name FROM 'LDAP://s/CN=A WHERE objectClass='c'", false, "", "", "", 0},
      {"SELECT name FROM 'GC://s/CN=A' WHERE objectClass='c'", false, "", "", "", 0},
      {"SELECT name, FROM 'LDAP://s/CN=A' WHERE objectClass='c'", false, "", "", "", 0},
      {"SELECTname FROM 'LDAP://s/CN=A' WHERE objectClass='c'", false, "", "", "", 0},
      {"", false, "", "", "", 0},
  };
  for (const auto& c : cases) {
    auto parsed = directory::ParseDirectoryStatement(c.text);
    ASSERT_EQ(parsed.has_value(), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(parsed->server, c.server);
    EXPECT_EQ(parsed->container, c.container);
    EXPECT_EQ(parsed->objectClass, c.objectClass);
    EXPECT_EQ(parsed->columns.size(), c.columns);
  }
}

}  // namespace

// A machine root with a Dovecot configuration: the directory knows that
// server alone, by the configuration's names, whatever organisation database
// lies beside it.
TEST_F(DirectoryTest, DovecotConfigurationNamesTheOneServer) {
  mapidove::ProviderConfig c;
  c.organisation = "Tabrix";
  c.site = "Dovecot";
  c.server = "MAIL01";
  c.endpointFile = "endpoint.json";
  mapidove::WriteProviderConfig(mapidove::ProviderConfigPath(machine.root()), c);
  IADs* root = nullptr;
  EXPECT_EQ(OpenRoot("LDAP://SRV01/RootDSE", &root), E_ADS_SERVER_DOWN);
  ASSERT_EQ(OpenRoot("LDAP://mail01/RootDSE", &root), S_OK);
  std::string context;
  EXPECT_EQ(root->GetString("configurationNamingContext", &context), S_OK);
  EXPECT_EQ(root->Release(), 0u);
  const auto rows = Query(
      Statement("MAIL01",
                "CN=Servers,CN=Dovecot,CN=Administrative Groups,CN=Tabrix,CN=Microsoft Exchange,"
                "CN=Services," +
                    context));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].first, "MAIL01");
  EXPECT_EQ(rows[0].second, "/o=Tabrix/ou=Dovecot/cn=Configuration/cn=Servers/cn=MAIL01");
}
