// LookupAccountSidA against the organisation's NT accounts: systems, SIDs,
// the buffer-size rules and injected faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "Accounts.h"
#include "TestMachine.h"
#include "Win32.h"

namespace {

class AccountLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::StandardOrgOptions o;
    o.secondServer = true;
    testsupport::BuildStandardOrg(machine.org(), o);
    auto admin = machine.org().GalEntries().at(0);
    sid = *admin.ntAccountSid;
  }
  // Looks the SID up with buffers of the given sizes.
  BOOL Lookup(const char* system, DWORD nameSize, DWORD domainSize) {
    name.assign(256, '#');
    domain.assign(256, '#');
    cchName = nameSize;
    cchDomain = domainSize;
    use = SID_NAME_USE{};
    SetLastError(0);
    return LookupAccountSidA(system, sid.data(), name.data(), &cchName, domain.data(), &cchDomain,
                             &use);
  }
  testsupport::TestMachine machine;
  orgdb::Bytes sid;
  std::string name, domain;
  DWORD cchName = 0, cchDomain = 0;
  SID_NAME_USE use{};
};

TEST_F(AccountLookupTest, LocalAndOrganisationServersAnswer) {
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const char* systems[] = {nullptr, "", "localhost", host, "SRV01", "srv02", "\\\\SRV01"};
  for (const char* system : systems) {
    ASSERT_TRUE(Lookup(system, 64, 64))
        << (system ? system : "(null)") << " error " << GetLastError();
    EXPECT_STREQ(name.c_str(), "admin");
    EXPECT_STREQ(domain.c_str(), "CORP");
    EXPECT_EQ(cchName, 5u);  // without the terminator
    EXPECT_EQ(cchDomain, 4u);
    EXPECT_EQ(use, SidTypeUser);
  }
}

TEST_F(AccountLookupTest, UnknownOrUnreachableSystemIsUnavailable) {
  EXPECT_FALSE(Lookup("SRV99", 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  auto server = *machine.org().FindServerByName("SRV02");
  server.reachable = false;
  machine.org().UpdateServer(server);
  EXPECT_FALSE(Lookup("SRV02", 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_TRUE(Lookup("SRV01", 64, 64));
}

TEST_F(AccountLookupTest, UnknownSidIsNotMapped) {
  sid = orgdb::SidFromString("S-1-5-21-1000-2000-3000-99999");
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NONE_MAPPED));
}

TEST_F(AccountLookupTest, MalformedArgumentsAreRejected) {
  sid[0] = 2;  // revision
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DWORD n = 64, d = 64;
  char a[64], b[64];
  EXPECT_FALSE(LookupAccountSidA(nullptr, nullptr, a, &n, b, &d, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(AccountLookupTest, BufferSizesFollowWindows) {
  struct Case {
    DWORD nameSize, domainSize;
    bool ok;
  };
  // "admin" needs 6 with its terminator, "CORP" 5.
  const Case cases[] = {{6, 5, true}, {5, 5, false}, {6, 4, false}, {0, 0, false}, {64, 1, false}};
  for (const auto& c : cases) {
    BOOL ok = Lookup(nullptr, c.nameSize, c.domainSize);
    EXPECT_EQ(ok != FALSE, c.ok) << c.nameSize << "/" << c.domainSize;
    if (c.ok) continue;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(cchName, 6u);
    EXPECT_EQ(cchDomain, 5u);
    EXPECT_EQ(name[0], '#');  // nothing written
  }
  // The size query with null buffers.
  DWORD n = 0, d = 0;
  EXPECT_FALSE(LookupAccountSidA(nullptr, sid.data(), nullptr, &n, nullptr, &d, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(d, 5u);
}

TEST_F(AccountLookupTest, LongNamesNeedLargerBuffers) {
  std::string longName(70, 'x');
  auto longSid = orgdb::SidFromString("S-1-5-21-9-9-9-500");
  machine.org().AddNtAccount({longSid, "CORP", longName});
  sid = longSid;
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cchName, 71u);
  ASSERT_TRUE(Lookup(nullptr, 71, 64));
  EXPECT_EQ(name.substr(0, 71), longName + '\0');
}

TEST_F(AccountLookupTest, FaultsBreakChosenCalls) {
  orgdb::Fault f;
  f.call = "LookupAccountSidA";
  f.hr = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  f.match = orgdb::SidToString(sid);
  f.nth = 2;
  machine.org().AddFault(f);
  EXPECT_TRUE(Lookup(nullptr, 64, 64));
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(Lookup(nullptr, 64, 64));
  // A fault for another SID leaves this one alone; one without nth hits always.
  machine.org().ClearFaults();
  f.nth.reset();
  f.hr = static_cast<HRESULT>(0x80040111);
  f.match = "S-1-5-21-1-1-1-1";
  machine.org().AddFault(f);
  EXPECT_TRUE(Lookup(nullptr, 64, 64));
  f.match.reset();
  machine.org().AddFault(f);
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), 0x80040111u);
}

// Long enough for the file's last write to count as settled, so that the
// next lookups answer from what was read before.
void LetTheFileSettle() {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

TEST_F(AccountLookupTest, FaultAddedDuringARunAppliesToTheNextLookup) {
  LetTheFileSettle();
  ASSERT_TRUE(Lookup(nullptr, 64, 64));
  ASSERT_TRUE(Lookup(nullptr, 64, 64));
  orgdb::Fault f;
  f.call = "LookupAccountSidA";
  f.hr = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  machine.org().AddFault(f);
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(AccountLookupTest, AccountCommittedDuringARunIsFound) {
  sid = orgdb::SidFromString("S-1-5-21-1000-2000-3000-4242");
  LetTheFileSettle();
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  machine.org().AddNtAccount({sid, "CORP", "newcomer"});
  ASSERT_TRUE(Lookup(nullptr, 64, 64));
  EXPECT_STREQ(name.c_str(), "newcomer");
}

// The lookups keep the file open and look its name up again only when the
// file itself has been touched: each way of putting another file in its
// place must still be seen by the next lookup.
TEST_F(AccountLookupTest, DatabaseReplacedDuringARunIsReadAfresh) {
  const std::string path = orgdb::DatabasePath(machine.root());
  const std::pair<const char*, std::function<void()>> kWays[] = {
      {"removed", [&] { std::filesystem::remove(path); }},
      {"renamed away", [&] { std::filesystem::rename(path, path + ".old"); }},
  };
  for (const auto& [way, putAside] : kWays) {
    SCOPED_TRACE(way);
    machine.CloseOrg();
    std::string error;
    auto db = orgdb::OrgDb::Create(path, &error);
    ASSERT_TRUE(db) << error;
    db->AddNtAccount({sid, "OLDDOM", "before"});
    db.reset();
    LetTheFileSettle();
    ASSERT_TRUE(Lookup(nullptr, 64, 64));
    ASSERT_TRUE(Lookup(nullptr, 64, 64));
    putAside();
    db = orgdb::OrgDb::Create(path, &error);
    ASSERT_TRUE(db) << error;
    db->AddNtAccount({sid, "NEWDOM", "after"});
    ASSERT_TRUE(Lookup(nullptr, 64, 64));
    EXPECT_STREQ(domain.c_str(), "NEWDOM");
  }
}

TEST_F(AccountLookupTest, MissingOrReplacedDatabase) {
  machine.CloseOrg();
  std::filesystem::remove(orgdb::DatabasePath(machine.root()));
  EXPECT_FALSE(Lookup(nullptr, 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NONE_MAPPED));
  EXPECT_FALSE(Lookup("SRV01", 64, 64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  // A new organisation in its place is read afresh.
  std::string error;
  auto db = orgdb::OrgDb::Create(orgdb::DatabasePath(machine.root()), &error);
  ASSERT_TRUE(db) << error;
  db->AddNtAccount({sid, "NEWDOM", "renamed"});
  EXPECT_TRUE(Lookup(nullptr, 64, 64));
  EXPECT_STREQ(name.c_str(), "renamed");
}

}  // namespace
