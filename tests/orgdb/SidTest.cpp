// Security identifiers between their text and binary forms.
#include <gtest/gtest.h>

#include "OrgDb.h"

namespace orgdb {
namespace {

TEST(SidTest, TextAndBinaryFormsRoundTrip) {
  struct Case {
    const char* text;
    Bytes binary;
  };
  const Case cases[] = {
      {"S-1-5-32-544", {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 0x02, 0, 0}},
      {"S-1-5-21-1004336348-1177238915-682003330-1001",
       {1,    5,    0,    0,    0,    0,    0,    5,    21,   0,    0,    0,    0xDC, 0xF4,
        0xDC, 0x3B, 0x83, 0x3D, 0x2B, 0x46, 0x82, 0x8B, 0xA6, 0x28, 0xE9, 0x03, 0,    0}},
      {"S-1-0", {1, 0, 0, 0, 0, 0, 0, 0}},  // no sub-authority
      {"S-1-0x123456789ABC-1",
       {1, 1, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 1, 0, 0, 0}},  // wide authority
      {"S-1-5-4294967295", {1, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SidFromString(c.text), c.binary) << c.text;
    EXPECT_EQ(SidToString(c.binary), c.text) << c.text;
  }
}

TEST(SidTest, MalformedInputGivesEmptyResults) {
  for (const char* text : {"", "S", "S-", "S-1", "X-1-5", "S-1-5-", "S-1--5", "S-1-5-4294967296",
                           "S-256-5", "S-1-5-x", "S-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1"}) {
    EXPECT_TRUE(SidFromString(text).empty()) << text;
  }
  EXPECT_EQ(SidToString({}), "");
  EXPECT_EQ(SidToString({1, 2, 0, 0, 0, 0, 0, 5, 1, 0, 0, 0}), "");  // count says 2, holds 1
  EXPECT_EQ(SidToString({1, 16, 0, 0, 0, 0, 0, 5}), "");
  // Fifteen sub-authorities is the most a SID holds.
  EXPECT_EQ(SidFromString("S-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1-1").size(), 8u + 15 * 4);
}

}  // namespace
}  // namespace orgdb
