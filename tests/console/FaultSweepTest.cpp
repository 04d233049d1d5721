// A fault at every MAPI call the console makes, in a run with a temporary
// profile and owner resolution: the run says what went wrong, ends with
// "Good Bye!" and exit code 0, leaves no profile and releases everything.
#include "ConsoleFixture.h"

namespace consoletest {
namespace {

struct SweepCase {
  const char* name;
  const char* call;
  HRESULT hr;
  std::optional<std::string> match;
  std::optional<int> nth;
  const char* expected;  // a passage of the output that says what failed
  bool reportWritten;    // whether the report still comes out
};

void PrintTo(const SweepCase& c, std::ostream* os) {
  *os << c.name;
}

class FaultSweep : public ConsoleFixture, public ::testing::WithParamInterface<SweepCase> {};

TEST_P(FaultSweep, RunEndsCleanly) {
  const SweepCase& c = GetParam();
  Prepare();
  // After the set-up, whose own profile work goes through the stand-in too.
  machine.org().AddFault({0, c.call, c.hr, c.match, c.nth, {}, {}, {}});
  machine.CloseOrg();
  folder.WriteIni(Ini("LogSuccess=1\nMailbox=jsmith\nServerName=SRV01\n", "RealNTAccount=1\n"));
  const ProgramRun run = Run();
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GE(run.out.size(), 10u);
  EXPECT_EQ(run.out.substr(run.out.size() - 10), "Good Bye!\n");
  EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
  EXPECT_EQ(folder.Exists("SRV01.txt"), c.reportWritten) << run.out;
  const auto acc = RunAccounting();
  ASSERT_TRUE(acc) << "no accounting line";
  EXPECT_TRUE(acc->Balanced()) << "objects " << acc->liveObjects << ", buffers "
                               << acc->outstandingBuffers << ", sessions " << acc->openSessions
                               << ", initialised " << acc->initializeCount;
  EXPECT_EQ(acc->profiles, 1) << "a temporary profile was left behind";
}

const std::string kAdmin = "EX:/o=Org/ou=Site/cn=Recipients/cn=admin";
const std::string kSmith = "EX:/o=Org/ou=Site/cn=Recipients/cn=jsmith";
const std::string kNotResolved = "Warning! Can not resolve address: " + kAdmin;

INSTANTIATE_TEST_SUITE_P(
    EveryCall, FaultSweep,
    ::testing::Values(
        // The temporary profile.
        SweepCase{"ProfileInitialize",
                  "MAPIInitialize",
                  MAPI_E_NOT_ENOUGH_RESOURCES,
                  {},
                  1,
                  "MAPI Initialize FAIL!",
                  true},
        SweepCase{"ProfileAdmin",
                  "MAPIAdminProfiles",
                  E_FAIL,
                  {},
                  1,
                  "Error! MAPI Admin Profiles!",
                  false},
        SweepCase{
            "LeftoverDelete", "IProfAdmin::DeleteProfile", E_FAIL, {}, 1, "is created!", true},
        SweepCase{"CreateProfile",
                  "IProfAdmin::CreateProfile",
                  E_FAIL,
                  {},
                  {},
                  "Error! MAPI Admin Profiles Create Profile!",
                  false},
        SweepCase{"AdminServices",
                  "IProfAdmin::AdminServices",
                  E_FAIL,
                  {},
                  {},
                  "Error! MAPI Admin Profiles Create Profile!",
                  false},
        SweepCase{"CreateMsgService",
                  "IMsgServiceAdmin::CreateMsgService",
                  E_FAIL,
                  {},
                  {},
                  "Error! MAPI Admin Profiles Create Msg Service!",
                  false},
        SweepCase{"GetMsgServiceTable",
                  "IMsgServiceAdmin::GetMsgServiceTable",
                  E_FAIL,
                  {},
                  {},
                  "Error! MAPI Admin Profiles Get Msg Service Table FAIL!",
                  false},
        SweepCase{"ServiceQueryRows",
                  "IMAPITable::QueryRows",
                  E_FAIL,
                  "services",
                  {},
                  "Error! QueryRows: -2147467259",
                  false},
        SweepCase{"ServiceValues",
                  "MAPIAllocateBuffer",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  1,
                  "MAPIAllocateBuffer Failed: 8007000E",
                  false},
        SweepCase{"FirstAllocateMore",
                  "MAPIAllocateMore",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  1,
                  "MAPIAllocateBuffer Failed: 8007000E",
                  false},
        SweepCase{"SecondAllocateMore",
                  "MAPIAllocateMore",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  2,
                  "MAPIAllocateMore Failed: 8007000E",
                  false},
        SweepCase{"ConfigureMsgService",
                  "IMsgServiceAdmin::ConfigureMsgService",
                  E_FAIL,
                  {},
                  {},
                  "Configure MsgService Error",
                  false},
        // MAPI start and the profile's deletion.
        SweepCase{"StartInitialize",
                  "MAPIInitialize",
                  MAPI_E_NOT_ENOUGH_RESOURCES,
                  {},
                  2,
                  "Not enough system resources were available to complete the operation.\n",
                  false},
        SweepCase{"Logon",
                  "MAPILogonEx",
                  MAPI_E_LOGON_FAILED,
                  {},
                  {},
                  "The logon did not succeed, either because",
                  false},
        SweepCase{"DeleteAdmin",
                  "MAPIAdminProfiles",
                  E_FAIL,
                  {},
                  2,
                  "Error! Exception found: Can not get Profile Admin Interface",
                  true},
        SweepCase{"DeleteProfile",
                  "IProfAdmin::DeleteProfile",
                  E_FAIL,
                  {},
                  2,
                  "Error! Delete profile: MAILBOXSTAT",
                  true},
        // The address book.
        SweepCase{"OpenAddressBook",
                  "IMAPISession::OpenAddressBook",
                  E_FAIL,
                  {},
                  {},
                  "Error! Can not open Address Book!",
                  true},
        SweepCase{"OpenRoot",
                  "IAddrBook::OpenEntry",
                  E_FAIL,
                  "root",
                  {},
                  "Can't find Microsoft Exchange Server Global Address List!",
                  true},
        SweepCase{"RootHierarchy",
                  "IABContainer::GetHierarchyTable",
                  E_FAIL,
                  {},
                  {},
                  "Can't find Microsoft Exchange Server Global Address List!",
                  true},
        SweepCase{"FindGal",
                  "HrQueryAllRows",
                  E_FAIL,
                  "abhierarchy",
                  {},
                  "Can't find Microsoft Exchange Server Global Address List!",
                  true},
        SweepCase{"GalIdCopy",
                  "MAPIAllocateBuffer",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  2,
                  "Can't find Microsoft Exchange Server Global Address List!",
                  true},
        SweepCase{"OpenGal",
                  "IAddrBook::OpenEntry",
                  E_FAIL,
                  "gal",
                  {},
                  "Can't open Microsoft Exchange Server Global Address List!",
                  true},
        // The server pass.
        SweepCase{"StoresTable",
                  "IMAPISession::GetMsgStoresTable",
                  E_FAIL,
                  {},
                  {},
                  "MAPI_E_CALL_FAILED",
                  false},
        SweepCase{
            "StoreRows", "HrQueryAllRows", E_FAIL, "msgstores", {}, "MAPI_E_CALL_FAILED", false},
        SweepCase{"OpenStore",
                  "IMAPISession::OpenMsgStore",
                  MAPI_E_NETWORK_ERROR,
                  {},
                  {},
                  "MAPI_E_NETWORK_ERROR",
                  false},
        SweepCase{"ManageStore",
                  "IMsgStore::QueryInterface",
                  E_NOINTERFACE,
                  {},
                  {},
                  "MAPI_E_INTERFACE_NOT_SUPPORTED",
                  false},
        SweepCase{"StoreLogoff",
                  "IMsgStore::StoreLogoff",
                  E_FAIL,
                  {},
                  {},
                  "MS MAPI Error on Store Logoff!\n",
                  false},
        SweepCase{"Columns",
                  "MAPIAllocateBuffer",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  3,
                  "MAPI_E_NOT_ENOUGH_MEMORY",
                  false},
        SweepCase{
            "MailboxTable",
            "IExchangeManageStore::GetMailboxTable",
            MAPI_E_NETWORK_ERROR,
            {},
            {},
            "Cannot connect to the server.\r\nCan't get the mailbox table! for Server SRV01\n",
            false},
        SweepCase{"SetColumns",
                  "IMAPITable::SetColumns",
                  E_FAIL,
                  "mailbox",
                  {},
                  "MAPI_E_CALL_FAILED",
                  false},
        SweepCase{"RowCount",
                  "IMAPITable::GetRowCount",
                  E_FAIL,
                  "mailbox",
                  {},
                  "MAPI_E_CALL_FAILED",
                  false},
        SweepCase{
            "SeekRow", "IMAPITable::SeekRow", E_FAIL, "mailbox", {}, "MAPI_E_CALL_FAILED", false},
        SweepCase{"FirstRows", "IMAPITable::QueryRows", E_FAIL, "mailbox", 1, "MAPI_E_CALL_FAILED",
                  false},
        SweepCase{"LaterRows", "IMAPITable::QueryRows", E_FAIL, "mailbox", 2, "MAPI_E_CALL_FAILED",
                  false},
        // Owner resolution, per mailbox.
        SweepCase{"AddressList",
                  "MAPIAllocateBuffer",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  4,
                  kNotResolved.c_str(),
                  true},
        SweepCase{"AddressValues",
                  "MAPIAllocateBuffer",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  5,
                  kNotResolved.c_str(),
                  true},
        SweepCase{"DupPropset",
                  "ScDupPropset",
                  MAPI_E_NOT_ENOUGH_MEMORY,
                  {},
                  1,
                  kNotResolved.c_str(),
                  true},
        SweepCase{"ResolveNames",
                  "IABContainer::ResolveNames",
                  E_FAIL,
                  kSmith,
                  {},
                  "Warning! Can not resolve address: EX:/o=Org/ou=Site/cn=Recipients/cn=jsmith",
                  true},
        SweepCase{"OpenMailUser", "IAddrBook::OpenEntry", E_FAIL, "mailuser", 1,
                  "Warning! Can not open address: EX:/o=Org/ou=Site/cn=Recipients/cn=admin", true},
        // The temporary profile is jsmith's, so the stand-in counts jsmith's
        // entry as the session's identity, not as a mail user.
        SweepCase{"LaterMailUser", "IAddrBook::OpenEntry", E_FAIL, "mailuser", 2,
                  "Warning! Can not open address: EX:/o=Org/ou=Site/cn=Recipients/cn=mobrien",
                  true},
        SweepCase{"IdentityEntry",
                  "IAddrBook::OpenEntry",
                  E_FAIL,
                  "identity",
                  {},
                  "Warning! Can not open address: EX:/o=Org/ou=Site/cn=Recipients/cn=jsmith",
                  true},
        SweepCase{"GetProps", "IMAPIProp::GetProps", E_FAIL, "mailuser", 2,
                  "Warning! Can not get properties for address: "
                  "EX:/o=Org/ou=Site/cn=Recipients/cn=mobrien",
                  true},
        SweepCase{"LookupAccount",
                  "LookupAccountSidA",
                  E_FAIL,
                  {},
                  1,
                  "Warning! Can not get real NT Account for address: "
                  "EX:/o=Org/ou=Site/cn=Recipients/cn=admin",
                  true},
        // The clean-up.
        SweepCase{"Logoff", "IMAPISession::Logoff", E_FAIL, {}, {}, "MAPI Logoff - OK!\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace consoletest
