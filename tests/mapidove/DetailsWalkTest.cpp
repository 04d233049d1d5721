// The details window's walks through the Dovecot library, without widgets:
// the folder tree, the folder statistics and a folder's contents of every
// user of the private Dovecot must equal the mail the fill script wrote, and
// the walks must release everything they acquired.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>

#include "AnsiText.h"
#include "ConfigOrgReader.h"
#include "DovecotFixture.h"
#include "FolderContents.h"
#include "FolderWalk.h"
#include "MAPIUtils.h"
#include "MailboxLogon.h"
#include "MapiMachine.h"
#include "MapiPtr.h"

namespace mapidove {
namespace {

using nlohmann::json;

// Keeps what a walk hands its listener.
class Collected : public core::FolderWalkListener, public core::ContentsListener {
 public:
  void Failed(core::FolderWalkStep, HRESULT hr, const mapi::ErrorSource&) override {
    failures.push_back(hr);
  }
  void Failed(core::ContentsStep, HRESULT hr, const mapi::ErrorSource&) override {
    failures.push_back(hr);
  }
  core::FolderNodeHandle FolderAdded(core::FolderNodeHandle parent,
                                     const core::FolderEntry& folder) override {
    if (parent == 0) topLevel[folder.displayName] = folder.entryId;
    return parent + 1;
  }
  void RecordAppended(const core::TMsgBoxReport& r) override {
    statistics[r.folderPath] = {r.itemCount, r.size};
  }
  void RowRead(core::TOneFolderMessages message) override { rows.push_back(std::move(message)); }

  std::vector<HRESULT> failures;
  std::map<std::string, std::vector<BYTE>> topLevel;  // entry ids of the top's subfolders
  std::map<std::string, std::pair<std::int64_t, std::int64_t>> statistics;  // by folder path
  std::vector<core::TOneFolderMessages> rows;
};

TEST(DovecotDetails, WalksEqualTheMailWritten) {
  TABRIX_NEED_DOVECOT(server);
  setenv("TZ", "UTC", 1);
  tzset();
  testsupport::MapiMachine machine(mapi::Flavour::Gui);
  ProviderConfig config;
  ASSERT_TRUE(StartWithDovecot(machine, *server, config));

  const ConfigOrgReader names(config);
  mapi::ComPtr<IMAPISession> session;
  mapi::ComPtr<IMsgStore> privateStore;
  ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  ASSERT_EQ(mapi::MAPILogonEx(0, nullptr, nullptr, 0x8062, mapi::Out(session)), S_OK);
  ASSERT_EQ(core::OpenDetailsPrivateStore(session.get(), &privateStore), S_OK);
  const core::MailboxSource source{session.get(), privateStore.get(),
                                   core::PrivateMdbDn(names.serverDn())};
  for (const auto& u : server->truth()["users"]) {
    const std::string name = u["name"];
    SCOPED_TRACE(name);
    const std::string dn = names.MailboxDn(name);
    Collected walk;
    std::vector<core::TMsgBoxReport> records;
    EXPECT_EQ(core::CollectFolderStatistics(source, dn, name, records, walk), S_OK);
    EXPECT_EQ(core::BuildFolderTree(source, dn, 0, walk), S_OK);
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> expected;
    for (const auto& f : u["folders"])
      expected["/" + Utf8ToAnsi(f["name"].get<std::string>())] = {f["messages"], f["vsize"]};
    EXPECT_EQ(walk.statistics, expected);

    ASSERT_EQ(walk.topLevel.count("INBOX"), 1u);
    const core::ContentsResult loaded =
        core::LoadFolderContents(source, dn, walk.topLevel["INBOX"], walk);
    EXPECT_EQ(loaded.hr, S_OK);
    EXPECT_TRUE(walk.failures.empty());
    const json& list = std::find_if(u["folders"].begin(), u["folders"].end(), [](const json& f) {
                         return f["name"] == "INBOX";
                       }).value()["list"];
    ASSERT_EQ(walk.rows.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      const json& m = list[i];
      const core::TOneFolderMessages& row = walk.rows[i];
      EXPECT_EQ(row.size, m["size"].get<std::uint32_t>()) << i;
      EXPECT_EQ(row.hasAttachment, m["hasAttachment"].get<bool>()) << i;
      EXPECT_EQ(row.subject, DecodeHeaderText(m["subject"].get<std::string>())) << i;
      // Days since 30 December 1899, in UTC here.
      ASSERT_TRUE(row.deliveryTime.has_value()) << i;
      EXPECT_NEAR(*row.deliveryTime, m["internalDate"].get<double>() / 86400.0 + 25569.0, 1e-6);
    }
  }
  mapi::StoreLogoffAndRelease(privateStore);
  session->Logoff(0, 0, 0);
  session.reset();
  mapi::MAPIUninitialize();
  machine.ExpectBalanced();
}

}  // namespace
}  // namespace mapidove
