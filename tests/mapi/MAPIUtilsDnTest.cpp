#include <gtest/gtest.h>

#include <string>

#include "MAPIUtils.h"

namespace {

struct DnCase {
  const char* why;
  const char* dn;
  const char* orgSite;
  const char* org;
  const char* serverFromMdb;
  const char* serverDn;
};

void PrintTo(const DnCase& c, std::ostream* os) {
  *os << c.why;
}

class DnRoutines : public ::testing::TestWithParam<DnCase> {};

TEST_P(DnRoutines, SplitAsDocumented) {
  const DnCase& c = GetParam();
  EXPECT_EQ(mapi::OrgSitePrefix(c.dn), c.orgSite) << c.why;
  EXPECT_EQ(mapi::OrgPart(c.dn), c.org) << c.why;
  EXPECT_EQ(mapi::ServerNameFromMdbDn(c.dn), c.serverFromMdb) << c.why;
  EXPECT_EQ(mapi::ServerDnFromMdbDn(c.dn), c.serverDn) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DnRoutines,
    ::testing::Values(
        DnCase{"a home MDB",
               "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB",
               "/o=Org/ou=Site", "/o=Org", "SRV01",
               "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01"},
        DnCase{"prefix matching ignores case", "/O=ORG/OU=SITE/CN=CONFIGURATION", "/O=ORG/OU=SITE",
               "/O=ORG", "", "/O=ORG/OU=SITE/CN=CONFIGURATION"},
        DnCase{"a DN without the private MDB part keeps the remainder after the prefix",
               "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV02", "/o=Org/ou=Site", "/o=Org",
               "SRV02", "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV02"},
        DnCase{"the MDB suffix is matched in exact case",
               "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/CN=MICROSOFT PRIVATE MDB",
               "/o=Org/ou=Site", "/o=Org", "SRV01/CN=MICROSOFT PRIVATE MDB",
               "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/CN=MICROSOFT PRIVATE MDB"},
        DnCase{"no slash after the fourth character: the whole text", "/o=Org", "/o=Org", "/o=Org",
               "", "/o=Org"},
        DnCase{"an empty DN", "", "", "", "", ""},
        DnCase{"a site name containing o= is still the site", "/o=Org/ou=o=x/cn=Configuration",
               "/o=Org/ou=o=x", "/o=Org", "", "/o=Org/ou=o=x/cn=Configuration"},
        DnCase{"a DN shorter than the prefix and the servers path", "/o=Org/ou=Site/cn=X",
               "/o=Org/ou=Site", "/o=Org", "", "/o=Org/ou=Site/cn=X"},
        DnCase{"an empty organisation", "/o=/ou=Site/cn=Configuration/cn=Servers/cn=S1",
               "/o=/ou=Site", "/o=", "S1", "/o=/ou=Site/cn=Configuration/cn=Servers/cn=S1"}));

TEST(ServerNameFromMtaDn, RemovesTheMtaPart) {
  EXPECT_EQ(mapi::ServerNameFromMtaDn(
                "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft MTA"),
            "SRV01");
  // The MTA routine leaves a private-MDB suffix alone, and the other way round.
  EXPECT_EQ(mapi::ServerNameFromMtaDn(
                "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft Private MDB"),
            "SRV01/cn=Microsoft Private MDB");
  EXPECT_EQ(mapi::ServerNameFromMdbDn(
                "/o=Org/ou=Site/cn=Configuration/cn=Servers/cn=SRV01/cn=Microsoft MTA"),
            "SRV01/cn=Microsoft MTA");
}

TEST(BytesToHex, TwoUpperCaseDigitsPerByte) {
  const unsigned char bytes[] = {0x01, 0xAB, 0x00, 0xFF, 0x5c};
  EXPECT_EQ(mapi::BytesToHex(bytes, 2), "01AB");
  EXPECT_EQ(mapi::BytesToHex(bytes, 5), "01AB00FF5C");
  EXPECT_EQ(mapi::BytesToHex(bytes, 0), "");
  EXPECT_EQ(mapi::BytesToHex(nullptr, 4), "");
}

}  // namespace
