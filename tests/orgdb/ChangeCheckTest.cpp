// What lets readers keep what they read: the cheap check of the database
// file between calls, and the hashed index of positions their caches use.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "OrgDb.h"
#include "PositionIndex.h"
#include "TempDir.h"

namespace orgdb {
namespace {

struct IndexCase {
  const char* why;
  std::vector<std::uint64_t> added;  // position i is added under added[i]
  std::uint64_t probed;
  std::vector<std::uint32_t> expected;
};

// Start slot = (low half ^ high half) & mask, and the high half tells hashes
// apart within a probe: 0x1'00000004 and 0x2'00000007 both start at slot 5;
// 0x7'00000000 starts at 7 and its later copies lie beyond 0x9'00000000's 9.
constexpr std::uint64_t kSeven = 0x7'00000000ull;
constexpr std::uint64_t kNine = 0x9'00000000ull;
const IndexCase kIndexCases[] = {
    {"positions of one hash come in the order added",
     {kSeven, kNine, kSeven, kSeven},
     kSeven,
     {0, 2, 3}},
    {"a hash never added finds nothing", {kSeven, kNine}, 0xB'00000000ull, {}},
    {"another hash at the same start slot is passed over",
     {0x1'00000004ull, 0x2'00000007ull},
     0x2'00000007ull,
     {1}},
    {"an empty index finds nothing", {}, 7, {}},
};

TEST(PositionIndexTest, ProbeFindsThePositionsOfItsHash) {
  for (const auto& c : kIndexCases) {
    SCOPED_TRACE(c.why);
    PositionIndex index;
    index.Reset(c.added.size());
    for (std::uint32_t i = 0; i < c.added.size(); ++i) index.Add(c.added[i], i);
    std::vector<std::uint32_t> found;
    index.Probe(c.probed, [&](std::uint32_t at) { found.push_back(at); });
    EXPECT_EQ(found, c.expected);
  }
}

struct FileCase {
  const char* why;
  std::function<void(const std::string& path)> happen;
  bool quiet;
  bool versionMoves;
};

void AddAccount(const std::string& path) {
  std::string error;
  auto writer = OrgDb::Open(path, &error, true);
  ASSERT_TRUE(writer) << error;
  writer->AddNtAccount({SidFromString("S-1-5-21-1-2-3-500"), "CORP", "late"});
}

const FileCase kFileCases[] = {
    {"nothing happened", [](const std::string&) {}, true, false},
    {"another connection committed", AddAccount, false, true},
    {"the file was renamed",
     [](const std::string& path) {
       ASSERT_EQ(std::rename(path.c_str(), (path + ".old").c_str()), 0);
     },
     false, false},
    {"the file was removed",
     [](const std::string& path) { ASSERT_EQ(std::remove(path.c_str()), 0); }, false, false},
};

TEST(FileCheckTest, OnlyAnUntouchedSettledFileIsQuiet) {
  orgdbtest::TempDir dir;
  std::vector<std::unique_ptr<OrgDb>> readers;
  for (std::size_t i = 0; i < std::size(kFileCases); ++i) {
    const std::string path = dir.File(std::to_string(i) + ".db");
    std::string error;
    ASSERT_TRUE(OrgDb::Create(path, &error)) << error;
    readers.push_back(OrgDb::Open(path, &error));
    ASSERT_TRUE(readers.back()) << error;
    readers.back()->CurrentDataVersion();
    EXPECT_FALSE(readers.back()->FileQuiet()) << "a first check has nothing to compare with";
  }
  // Long enough for the last writes to count as settled.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (std::size_t i = 0; i < std::size(kFileCases); ++i) {
    const FileCase& c = kFileCases[i];
    SCOPED_TRACE(c.why);
    OrgDb& reader = *readers[i];
    reader.CurrentDataVersion();  // settled now: the check the next one compares with
    const std::uint32_t before = reader.CurrentDataVersion();
    ASSERT_TRUE(reader.FileQuiet());
    c.happen(dir.File(std::to_string(i) + ".db"));
    const std::uint32_t after = reader.CurrentDataVersion();
    EXPECT_EQ(reader.FileQuiet(), c.quiet);
    EXPECT_EQ(after != before, c.versionMoves);
  }
}

}  // namespace
}  // namespace orgdb
