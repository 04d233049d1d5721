// Profiles in the registry hive, the Exchange service and its resolution,
// and MAPILogonEx in every mode.
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "SimLibrary.h"

using namespace simtest;

namespace {

constexpr ULONG kDefaultLogon = MAPI_NEW_SESSION | MAPI_EXTENDED | MAPI_USE_DEFAULT | MAPI_NO_MAIL;
constexpr ULONG kChooseLogon =
    MAPI_NO_MAIL | MAPI_EXTENDED | MAPI_ALLOW_OTHERS | MAPI_NEW_SESSION | MAPI_LOGON_UI;

class ProfileTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Prepare({.mailboxes = 3, .secondServer = true});
    ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
    ++initialised_;
    ASSERT_EQ(Mapi().AdminProfiles(0, Out(admin_)), S_OK);
  }
  void TearDown() override {
    admin_.reset();
    MachineTest::TearDown();
  }
  std::string Hive() {
    std::ifstream in(machine().root() + "/registry/HKEY_CURRENT_USER.reg");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  HRESULT Logon(const char* name, ULONG flags, Ref<IMAPISession>& session) {
    std::string copy = name ? name : "";
    return Mapi().LogonEx(0, name ? copy.data() : nullptr, nullptr, flags, Out(session));
  }
  // The display name of the session's private store.
  std::string StoreName(IMAPISession* session) {
    Ref<IMAPITable> stores;
    EXPECT_EQ(session->GetMsgStoresTable(0, Out(stores)), S_OK);
    auto names = ReadColumn(stores.get(), PR_DISPLAY_NAME);
    return names.empty() ? "" : names.front();
  }
  Ref<IProfAdmin> admin_;
};

TEST_F(ProfileTest, CreateAndDeleteAreVisibleInTheHive) {
  char name[] = "Second Profile";
  ASSERT_EQ(admin_->CreateProfile(name, nullptr, 0, 0), S_OK);
  EXPECT_NE(Hive().find("Profiles\\Second Profile]"), std::string::npos);
  EXPECT_EQ(Mapi().Accounting().profiles, 2u);

  char sameInOtherCase[] = "SECOND PROFILE";
  EXPECT_EQ(admin_->CreateProfile(sameInOtherCase, nullptr, 0, 0), MAPI_E_NO_ACCESS);
  EXPECT_EQ(LastErrorText(admin_.get()), "The profile \"SECOND PROFILE\" already exists.");

  ASSERT_EQ(admin_->DeleteProfile(name, 0), S_OK);
  EXPECT_EQ(Hive().find("Second Profile"), std::string::npos);
  EXPECT_EQ(admin_->DeleteProfile(name, 0), MAPI_E_NOT_FOUND);
  Ref<IMsgServiceAdmin> services;
  EXPECT_EQ(admin_->AdminServices(name, nullptr, 0, 0, Out(services)), MAPI_E_NOT_FOUND);
  EXPECT_EQ(services, nullptr);
  EXPECT_EQ(Mapi().Accounting().profiles, 1u);
}

TEST_F(ProfileTest, NamesThatCannotBeKeysAreRefused) {
  char empty[] = "";
  char backslash[] = "a\\b";
  char control[] = "a\nb";
  EXPECT_EQ(admin_->CreateProfile(empty, nullptr, 0, 0), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(admin_->CreateProfile(backslash, nullptr, 0, 0), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(admin_->CreateProfile(control, nullptr, 0, 0), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(admin_->CreateProfile(nullptr, nullptr, 0, 0), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(Mapi().Accounting().profiles, 1u);
}

TEST_F(ProfileTest, ProfileTableMarksTheDefault) {
  char second[] = "Second";
  ASSERT_EQ(admin_->CreateProfile(second, nullptr, 0, 0), S_OK);
  auto defaults = [&] {
    Ref<IMAPITable> table;
    EXPECT_EQ(admin_->GetProfileTable(0, Out(table)), S_OK);
    SizedSPropTagArray<2> cols{2, {PR_DISPLAY_NAME, PR_DEFAULT_PROFILE}};
    Rows rows;
    EXPECT_EQ(Mapi().QueryAllRows(table.get(), cols.get(), nullptr, nullptr, 0, Out(rows)), S_OK);
    std::string marked;
    for (ULONG r = 0; r < rows->cRows; ++r)
      if (rows->aRow[r].lpProps[1].Value.b) marked += Text(rows->aRow[r].lpProps[0]) + ";";
    return std::make_pair(rows->cRows, marked);
  };
  EXPECT_EQ(defaults(), std::make_pair(2u, std::string("Outlook;")));
  ASSERT_EQ(admin_->SetDefaultProfile(second, 0), S_OK);
  EXPECT_EQ(defaults(), std::make_pair(2u, std::string("Second;")));
  ASSERT_EQ(admin_->SetDefaultProfile(nullptr, 0), S_OK);
  EXPECT_EQ(defaults(), std::make_pair(2u, std::string()));
  char unknown[] = "Nobody";
  EXPECT_EQ(admin_->SetDefaultProfile(unknown, 0), MAPI_E_NOT_FOUND);
}

TEST_F(ProfileTest, ExchangeServicesGetFreshIdentifiers) {
  char name[] = "Services";
  ASSERT_EQ(admin_->CreateProfile(name, nullptr, 0, 0), S_OK);
  Ref<IMsgServiceAdmin> services;
  ASSERT_EQ(admin_->AdminServices(name, nullptr, 0, 0, Out(services)), S_OK);
  char msems[] = "MSEMS";
  char other[] = "MSPST MS";
  ASSERT_EQ(services->CreateMsgService(msems, nullptr, 0, 0), S_OK);
  ASSERT_EQ(services->CreateMsgService(msems, nullptr, 0, 0), S_OK);
  EXPECT_EQ(services->CreateMsgService(other, nullptr, 0, 0), MAPI_E_NOT_FOUND);
  Ref<IMAPITable> table;
  ASSERT_EQ(services->GetMsgServiceTable(0, Out(table)), S_OK);
  Rows rows;
  ASSERT_EQ(table->QueryRows(10, 0, Out(rows)), S_OK);
  ASSERT_EQ(rows->cRows, 2u);
  for (ULONG r = 0; r < 2; ++r) {
    const SRow& row = rows->aRow[r];
    ASSERT_EQ(row.cValues, 3u);
    EXPECT_EQ(row.lpProps[0].ulPropTag, PR_SERVICE_UID);
    EXPECT_EQ(row.lpProps[0].Value.bin.cb, 16u);
    EXPECT_EQ(Text(row.lpProps[1]), "MSEMS");
    EXPECT_EQ(Text(row.lpProps[2]), "Microsoft Exchange Server");
  }
  EXPECT_NE(Bytes(rows->aRow[0].lpProps[0]), Bytes(rows->aRow[1].lpProps[0]));
}

struct Resolution {
  const char* mailbox;
  const char* server;
  HRESULT expected;
};

TEST_F(ProfileTest, ConfigurationResolvesLikeExchange) {
  // A second "Smith, John" on SRV02 makes that display name ambiguous.
  orgdb::Mailbox twin;
  twin.serverId = org().FindServerByName("SRV02")->id;
  twin.tableOrder = 9;
  twin.alias = "jsmith2";
  twin.displayName = "Smith, John";
  twin.emailAddress = "/o=Org/ou=Site/cn=Recipients/cn=jsmith2";
  org().AddMailbox(twin);
  const Resolution cases[] = {
      {"jsmith", "SRV01", S_OK},         // alias
      {"o'brien, MARY", "srv01", S_OK},  // display name, any case
      {"srv2user1", "SRV01", S_OK},      // a mailbox of another server
      {"Smith, John", "SRV01", MAPI_E_AMBIGUOUS_RECIP},
      {"nobody", "SRV01", MAPI_E_NOT_FOUND},
      {"jsmith", "SRV99", MAPI_E_NETWORK_ERROR},  // unknown server
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mailbox);
    const std::string name = "Case " + std::to_string(++n);
    EXPECT_EQ(CreateConfiguredProfile(name, c.mailbox, c.server), c.expected);
  }
}

TEST_F(ProfileTest, UnreachableServerOrMissingOrganisationIsANetworkError) {
  auto server = *org().FindServerByName("SRV02");
  server.reachable = false;
  org().UpdateServer(server);
  EXPECT_EQ(CreateConfiguredProfile("Down", "srv2user1", "SRV02"), MAPI_E_NETWORK_ERROR);

  machine().CloseOrg();
  ASSERT_EQ(std::remove((machine().root() + "/organisation.db").c_str()), 0);
  // The database stays open while MAPI is initialised; a new initialisation
  // looks again.
  Mapi().Uninitialize();
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  char name[] = "NoOrg";
  ASSERT_EQ(admin_->CreateProfile(name, nullptr, 0, 0), S_OK);
  Ref<IMsgServiceAdmin> services;
  ASSERT_EQ(admin_->AdminServices(name, nullptr, 0, 0, Out(services)), S_OK);
  char msems[] = "MSEMS";
  ASSERT_EQ(services->CreateMsgService(msems, nullptr, 0, 0), S_OK);
  Ref<IMAPITable> table;
  ASSERT_EQ(services->GetMsgServiceTable(0, Out(table)), S_OK);
  Rows rows;
  ASSERT_EQ(table->QueryRows(1, 0, Out(rows)), S_OK);
  MAPIUID uid;
  std::copy(rows->aRow[0].lpProps[0].Value.bin.lpb, rows->aRow[0].lpProps[0].Value.bin.lpb + 16,
            uid.ab);
  char mailbox[] = "admin";
  char srv[] = "SRV01";
  SPropValue config[2] = {};
  config[0].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
  config[0].Value.lpszA = mailbox;
  config[1].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
  config[1].Value.lpszA = srv;
  EXPECT_EQ(services->ConfigureMsgService(&uid, 0, 0, 2, config), MAPI_E_NETWORK_ERROR);
  EXPECT_FALSE(LastErrorText(services.get()).empty());
  // Without the server name there is nothing to resolve.
  EXPECT_EQ(services->ConfigureMsgService(&uid, 0, 0, 1, config), MAPI_E_UNCONFIGURED);
  MAPIUID unknown{};
  EXPECT_EQ(services->ConfigureMsgService(&unknown, 0, 0, 2, config), MAPI_E_NOT_FOUND);
}

TEST_F(ProfileTest, LogonByNameOrDefault) {
  ASSERT_EQ(CreateConfiguredProfile("Smith", "jsmith", "SRV01"), S_OK);
  Ref<IMAPISession> byDefault, byName, otherCase;
  ASSERT_EQ(Logon(nullptr, kDefaultLogon, byDefault), S_OK);
  ASSERT_EQ(Logon("Smith", kDefaultLogon, byName), S_OK);
  ASSERT_EQ(Logon("SMITH", 0, otherCase), S_OK);
  EXPECT_EQ(StoreName(byDefault.get()), "Mailbox - Administrator");
  EXPECT_EQ(StoreName(byName.get()), "Mailbox - Smith, John");
  EXPECT_EQ(Mapi().Accounting().openSessions, 3u);
  EXPECT_EQ(byName->Logoff(0, 0, 0), S_OK);
  Ref<IMAPITable> after;
  EXPECT_EQ(byName->GetMsgStoresTable(0, Out(after)), MAPI_E_END_OF_SESSION);
  byName.reset();
  otherCase.reset();  // released without Logoff: closed all the same
  EXPECT_EQ(Mapi().Accounting().openSessions, 1u);
}

TEST_F(ProfileTest, LogonFailures) {
  Ref<IMAPISession> session;
  EXPECT_EQ(Logon("Nobody", kDefaultLogon, session), MAPI_E_LOGON_FAILED);
  EXPECT_EQ(Logon("", 0, session), MAPI_E_LOGON_FAILED);  // no name, no way to choose
  // A profile whose service was never configured, and one without any.
  char bare[] = "Bare";
  ASSERT_EQ(admin_->CreateProfile(bare, nullptr, 0, 0), S_OK);
  EXPECT_EQ(Logon("Bare", 0, session), MAPI_E_UNCONFIGURED);
  Ref<IMsgServiceAdmin> services;
  ASSERT_EQ(admin_->AdminServices(bare, nullptr, 0, 0, Out(services)), S_OK);
  char msems[] = "MSEMS";
  ASSERT_EQ(services->CreateMsgService(msems, nullptr, 0, 0), S_OK);
  EXPECT_EQ(Logon("Bare", 0, session), MAPI_E_UNCONFIGURED);
  // No default profile any more.
  ASSERT_EQ(admin_->SetDefaultProfile(nullptr, 0), S_OK);
  EXPECT_EQ(Logon(nullptr, kDefaultLogon, session), MAPI_E_LOGON_FAILED);
  // The home server stops answering.
  auto server = *org().FindServerByName("SRV01");
  server.reachable = false;
  org().UpdateServer(server);
  EXPECT_EQ(Logon("Outlook", 0, session), MAPI_E_LOGON_FAILED);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(Mapi().LogonEx(0, nullptr, nullptr, kDefaultLogon, nullptr), MAPI_E_INVALID_PARAMETER);
}

TEST_F(ProfileTest, LogonNeedsInitialisation) {
  Mapi().Uninitialize();
  --initialised_;
  Ref<IMAPISession> session;
  EXPECT_EQ(Logon(nullptr, kDefaultLogon, session), MAPI_E_NOT_INITIALIZED);
  Mapi().Uninitialize();  // unbalanced: nothing happens
  EXPECT_EQ(Mapi().Accounting().initializeCount, 0u);
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  EXPECT_EQ(Mapi().Accounting().initializeCount, 2u);
  Mapi().Uninitialize();
  EXPECT_EQ(Logon(nullptr, kDefaultLogon, session), S_OK);
  session.reset();
  Mapi().Uninitialize();
  EXPECT_EQ(Mapi().Accounting().initializeCount, 0u);
}

struct Chooser {
  std::vector<std::string> offered;
  int answer = -1;
  static int Choose(const char* const* names, int count, void* context) {
    auto* self = static_cast<Chooser*>(context);
    self->offered.assign(names, names + count);
    return self->answer;
  }
};

TEST_F(ProfileTest, LogonUiAsksTheChooser) {
  ASSERT_EQ(CreateConfiguredProfile("Smith", "jsmith", "SRV01"), S_OK);
  Ref<IMAPISession> session;
  // No dialog available: cancelled.
  EXPECT_EQ(Logon(nullptr, kChooseLogon, session), MAPI_E_USER_CANCEL);
  Chooser chooser;
  Mapi().SetProfileChooser(&Chooser::Choose, &chooser);
  EXPECT_EQ(Logon(nullptr, kChooseLogon, session), MAPI_E_USER_CANCEL);
  EXPECT_EQ(chooser.offered.size(), 2u);
  chooser.answer = 7;  // out of range: as good as cancel
  EXPECT_EQ(Logon(nullptr, kChooseLogon, session), MAPI_E_USER_CANCEL);
  chooser.answer = chooser.offered[0] == "Smith" ? 0 : 1;
  ASSERT_EQ(Logon(nullptr, kChooseLogon, session), S_OK);
  EXPECT_EQ(StoreName(session.get()), "Mailbox - Smith, John");
  // With MAPI_USE_DEFAULT the default profile wins without asking.
  chooser.offered.clear();
  Ref<IMAPISession> byDefault;
  ASSERT_EQ(Logon(nullptr, kChooseLogon | MAPI_USE_DEFAULT, byDefault), S_OK);
  EXPECT_TRUE(chooser.offered.empty());
}

TEST_F(ProfileTest, SessionOutlivesItsProfile) {
  ASSERT_EQ(CreateConfiguredProfile("Temp", "mobrien", "SRV01"), S_OK);
  Ref<IMAPISession> session;
  ASSERT_EQ(Logon("Temp", 0, session), S_OK);
  char name[] = "Temp";
  ASSERT_EQ(admin_->DeleteProfile(name, 0), S_OK);
  EXPECT_EQ(Mapi().Accounting().profiles, 1u);
  EXPECT_EQ(StoreName(session.get()), "Mailbox - O'Brien, Mary");
  EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
}

// A database that cannot be used fails the logon with one line on standard
// error saying why.
class BrokenOrganisationTest : public ProfileTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenOrganisationTest, LogonFailsAndSaysWhy) {
  machine().CloseOrg();
  const std::string path = machine().root() + "/organisation.db";
  std::remove(path.c_str());
  const std::string kind = GetParam();
  if (kind == "corrupt") {
    std::ofstream out(path, std::ios::binary);
    out << std::string(4096, '\x5A');
  }
  if (kind == "foreign") {
    // A real SQLite database, but not an organisation.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  // A fresh initialisation opens the database anew.
  Mapi().Uninitialize();
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  Ref<IMAPISession> session;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Logon(nullptr, kDefaultLogon, session), MAPI_E_LOGON_FAILED);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("mapi32: ", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_GT(err.size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrokenOrganisationTest,
                         ::testing::Values("missing", "corrupt", "foreign"));

}  // namespace
