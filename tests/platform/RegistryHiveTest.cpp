// The REGEDIT4 text form of a hive: reading, writing and reading back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegistryHive.h"
#include "Win32.h"

using platform::detail::FindKey;
using platform::detail::ParseHive;
using platform::detail::RegKey;
using platform::detail::RegValue;
using platform::detail::SerialiseHive;
using platform::detail::SplitKeyPath;

namespace {

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE";

std::vector<BYTE> Bytes(std::initializer_list<int> list) {
  std::vector<BYTE> out;
  for (int b : list) out.push_back(static_cast<BYTE>(b));
  return out;
}

std::vector<BYTE> Sz(const std::string& text) {
  std::vector<BYTE> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

const RegValue* Value(const RegKey& root, const std::string& key, const std::string& name) {
  const RegKey* k = FindKey(root, SplitKeyPath(key));
  return k ? k->FindValue(name) : nullptr;
}

}  // namespace

TEST(RegistryHive, ReadsEveryValueForm) {
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tabrix]\r\n"
      "\"Name\"=\"text\"\r\n"
      "@=\"default\"\r\n"
      "\"Path\"=\"C:\\\\Program Files\\\\\\\"q\\\"\"\r\n"
      "\"N\"=dword:0000000a\r\n"
      "\"B\"=hex:01,02,ff\r\n"
      "\"E\"=hex(2):25,53,25,00\r\n"
      "\"M\"=hex(7):61,00,62,00,00\r\n"
      "\"Long\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n";
  const RegKey root = ParseHive(text, kRoot);

  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const std::vector<Case> cases = {
      {"Name", REG_SZ, Sz("text")},
      {"", REG_SZ, Sz("default")},
      {"Path", REG_SZ, Sz("C:\\Program Files\\\"q\"")},  // \\ and \" unescaped
      {"N", REG_DWORD, Bytes({0x0a, 0, 0, 0})},          // little-endian
      {"B", REG_BINARY, Bytes({1, 2, 0xff})},
      {"E", REG_EXPAND_SZ, Sz("%S%")},
      {"M", REG_MULTI_SZ, Bytes({'a', 0, 'b', 0, 0})},
      {"Long", REG_BINARY, Bytes({1, 2, 3, 4})},   // "\" continues the line
      {"Q", 11, Bytes({1, 0, 0, 0, 0, 0, 0, 0})},  // hex(N) is hexadecimal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RegValue* v = Value(root, "Software\\Tabrix", c.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
}

TEST(RegistryHive, ImplicitParentsAndCaseInsensitiveMerge) {
  const RegKey root = ParseHive(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\Deep\\Key]\n\"x\"=\"1\"\n"
      "[hkey_local_machine\\a\\DEEP\\key]\n\"X\"=\"2\"\n\"y\"=\"3\"\n",
      kRoot);
  ASSERT_EQ(root.subkeys.size(), 1u);
  EXPECT_EQ(root.subkeys[0].name, "A");
  const RegKey* key = FindKey(root, {"a", "deep", "KEY"});
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->name, "Key");  // the case of the first mention is kept
  ASSERT_EQ(key->values.size(), 2u);
  EXPECT_EQ(key->values[0].name, "x");
  EXPECT_EQ(key->values[0].data, Sz("2"));  // a later assignment wins
}

TEST(RegistryHive, UnparsableLinesAreLeftOutAndTheRestReads) {
  // Each bad line is followed by a good value that must still be read.
  const std::vector<std::string> badLines = {
      "\"a\"=\"unterminated",
      "\"a\"=\"text\" trailing",
      "\"a\"=dword:123456789",  // nine digits
      "\"a\"=dword:xyz",
      "\"a\"=hex:1,zz",
      "\"a\"=hex(2:00",
      "\"a\"=something",
      "no quotes=\"x\"",
      "\"a\"",
      "[HKEY_LOCAL_MACHINE\\Broken",
      "\x01\x02\xff\xfe garbage",
  };
  for (const std::string& bad : badLines) {
    SCOPED_TRACE(bad);
    const RegKey root = ParseHive(
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"before\"=\"1\"\n" + bad + "\n\"after\"=\"2\"\n",
        kRoot);
    const RegKey* k = FindKey(root, {"K"});
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->FindValue("a"), nullptr);
    EXPECT_NE(k->FindValue("before"), nullptr);
    // A broken section header ends the previous section.
    if (bad.front() == '[')
      EXPECT_EQ(k->FindValue("after"), nullptr);
    else
      EXPECT_NE(k->FindValue("after"), nullptr);
  }
}

TEST(RegistryHive, OtherHivesAndStrayValuesAreIgnored) {
  const RegKey root = ParseHive(
      "\"stray\"=\"before any section\"\n"
      "[HKEY_CURRENT_USER\\Other]\n\"v\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\Mine]\n\"v\"=\"2\"\n",
      kRoot);
  ASSERT_EQ(root.subkeys.size(), 1u);
  EXPECT_EQ(root.subkeys[0].name, "Mine");
  EXPECT_TRUE(root.values.empty());
}

TEST(RegistryHive, ImportDeletions) {
  const RegKey root = ParseHive(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"1\"\n\"w\"=\"2\"\n[HKEY_LOCAL_MACHINE\\C]\n"
      "[-HKEY_LOCAL_MACHINE\\C]\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=-\n",
      kRoot);
  EXPECT_EQ(FindKey(root, {"C"}), nullptr);
  const RegKey* b = FindKey(root, {"A", "B"});
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->FindValue("v"), nullptr);
  EXPECT_NE(b->FindValue("w"), nullptr);
}

TEST(RegistryHive, SubkeysAreSortedWithoutRegardToCase) {
  RegKey root;
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA", "Delta"}) root.AddSubkey(name);
  std::vector<std::string> names;
  for (const RegKey& k : root.subkeys) names.push_back(k.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
}

TEST(RegistryHive, WritesWhatItReadsBack) {
  RegKey root;
  // Key names never hold a backslash: it separates them.
  RegKey& key = root.AddSubkey("Software").AddSubkey("Odd \"Name\" [x] ]");
  key.SetValue("", REG_SZ, Sz("default"));
  key.SetValue("quote\"and\\slash", REG_SZ, Sz("a\\\"b"));
  key.SetValue("newline", REG_SZ, Sz("two\nlines"));  // cannot be quoted: written as hex(1)
  key.SetValue("unterminated", REG_SZ, Bytes({'a', 'b'}));
  key.SetValue("empty", REG_SZ, {});
  key.SetValue("latin1", REG_SZ, Sz("caf\xe9"));
  key.SetValue("dword", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12}));
  key.SetValue("shortdword", REG_DWORD, Bytes({1, 2, 3}));
  key.SetValue("none", REG_NONE, {});
  std::vector<BYTE> big;
  for (int i = 0; i < 300; ++i) big.push_back(static_cast<BYTE>(i));
  key.SetValue("big", REG_BINARY, big);
  key.SetValue("multi", REG_MULTI_SZ, Bytes({'x', 0, 'y', 0, 0}));
  root.AddSubkey("Empty Key");
  root.SetValue("rootvalue", REG_SZ, Sz("at the top"));

  const std::string text = SerialiseHive(root, kRoot);
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(text.find("\"dword\"=dword:12345678\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Empty Key]\n"), std::string::npos);
  EXPECT_EQ(ParseHive(text, kRoot), root) << text;
}

TEST(RegistryHive, SplitKeyPathSkipsEmptyParts) {
  EXPECT_EQ(SplitKeyPath("A\\B\\C"), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(SplitKeyPath("\\A\\\\B\\"), (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(SplitKeyPath("").empty());
}
