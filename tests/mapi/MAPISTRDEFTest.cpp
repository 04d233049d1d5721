#include "MAPISTRDEF.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "MAPIDefs.h"

namespace {

using mapi::MapiSymbolName;

struct NameCase {
  const char* table;
  std::uint32_t value;
  const char* name;
};

// "MAPIErrors 8007000E".
void PrintTo(const NameCase& c, std::ostream* os) {
  char value[16];
  std::snprintf(value, sizeof value, "%08X", static_cast<unsigned>(c.value));
  *os << c.table << " " << value;
}

class SymbolNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(SymbolNames, Lookup) {
  EXPECT_EQ(MapiSymbolName(GetParam().table, GetParam().value), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SymbolNames,
    ::testing::Values(
        // The earlier row wins for duplicated values.
        NameCase{"MAPIErrors", 0x8007000E, "MAPI_E_NOT_ENOUGH_MEMORY"},
        NameCase{"MAPIErrors", 0x80070057, "MAPI_E_INVALID_PARAMETER"},
        NameCase{"MAPIErrors", 0x80004005, "MAPI_E_CALL_FAILED"},
        NameCase{"MAPIErrors", 0x00000001, "MAPI_USER_ABORT"},
        NameCase{"MAPIErrors", 0x00000015, "MAPI_E_AMBIGUOUS_RECIPIENT"},
        NameCase{"MAPIErrors", 0x0000000B, "MAPI_E_ATTACHMENT_NOT_FOUND"},
        NameCase{"MAPIErrors", 0x800B0001, "EDK_E_NOT_FOUND"},
        NameCase{"MAPIErrors", 0x8004010F, "MAPI_E_NOT_FOUND"},
        NameCase{"MAPIErrors", 0x00000000, "SUCCESS_SUCCESS"},
        NameCase{"MAPIErrors", 0x8000FFFF, "E_UNEXPECTED"},
        NameCase{"MAPIErrors", 0x00000014, "MAPI_E_TYPE_NOT_SUPPORTED"},
        // Table names ignore case.
        NameCase{"mapierrors", 0x8004010F, "MAPI_E_NOT_FOUND"},
        NameCase{"MAPIERRORS", 0x80040111, "MAPI_E_LOGON_FAILED"},
        // Values missing from the table: "$" and eight digits.
        NameCase{"MAPIErrors", 0x80041234, "$80041234"},
        NameCase{"MAPIErrors", 0x80040401, "$80040401"},  // MAPI_E_TIMEOUT has no row
        NameCase{"MAPIErrors", 0x0000ABCD, "$0000ABCD"},
        // Unknown table: empty.
        NameCase{"NoSuchTable", 0, ""}, NameCase{"", 0x8004010F, ""},
        // The other tables.
        NameCase{"PropTags", 0x3001001E, "PR_DISPLAY_NAME"},
        NameCase{"PropTags", 0x0E080014, "PR_MESSAGE_SIZE_EXTENDED"},
        NameCase{"PropTags", 0x35E00102, "PR_IPM_SUBTREE_ENTRYID"},
        NameCase{"PropIDs", 0x3001, "PR_DISPLAY_NAME"},
        NameCase{"PropIDs", 0x0E08, "PR_MESSAGE_SIZE"}, NameCase{"PropType", 0x001E, "PT_STRING8"},
        NameCase{"PropType", 0x1102, "PT_MV_BINARY"}, NameCase{"CMCErrors", 8, "CMC_E_FAILURE"},
        NameCase{"RelOp", 4, "="}, NameCase{"MAPIObjTypes", 6, "MAPI_MAILUSER"},
        NameCase{"Priority", 0xFFFFFFFF, "PRIO_NONURGENT"},
        NameCase{"AttachMethod", 5, "ATTACH_EMBEDDED_MSG"},
        NameCase{"TableStatus", 0, "TBLSTAT_COMPLETE"},
        NameCase{"NotifEvents", 0x100, "fnevTableModified"}));

TEST(SymbolTables, MapiErrorsHasExactlyTheRowsInOrder) {
  const auto tables = mapi::SymbolTables();
  ASSERT_FALSE(tables.empty());
  EXPECT_STREQ(tables[0].name, "MAPIErrors");
  const auto& rows = tables[0].rows;
  ASSERT_EQ(rows.size(), 112u);
  EXPECT_STREQ(rows.front().name, "SUCCESS_SUCCESS");
  EXPECT_STREQ(rows[1].name, "MAPI_E_CALL_FAILED");
  EXPECT_STREQ(rows[61].name, "MAPI_E_AMBIGUOUS_RECIP");
  EXPECT_STREQ(rows[62].name, "MAPI_USER_ABORT");
  EXPECT_STREQ(rows[90].name, "MAPI_E_UNCONFIGURED");
  EXPECT_STREQ(rows.back().name, "EC_EDK_E_UNKNOWN");
  EXPECT_EQ(rows.back().value, 0x14u);
}

TEST(SymbolTables, NamesAndSearchOrder) {
  const char* expected[] = {
      "MAPIErrors",  "CMCErrors",    "PropTags",    "PropIDs",         "PropType", "FolderType",
      "TableStatus", "TableType",    "SortOrder",   "RestrictionType", "RelOp",    "Bmr",
      "FuzzyLevel",  "MAPIObjTypes", "NotifEvents", "TableEvents",     "MsgFlags", "RecipType",
      "EIDFlags",    "ResourceType", "Priority",    "AttachMethod"};
  const auto tables = mapi::SymbolTables();
  ASSERT_EQ(tables.size(), std::size(expected));
  for (std::size_t i = 0; i < tables.size(); ++i) {
    EXPECT_STREQ(tables[i].name, expected[i]);
    EXPECT_FALSE(tables[i].rows.empty()) << tables[i].name;
  }
}

// The tags that the system itself uses carry the values of the shared MAPI
// header, so the two can never disagree.
TEST(SymbolTables, PropTagsAgreeWithTheSharedHeader) {
  struct Known {
    ULONG tag;
    const char* name;
  } known[] = {
      {PR_EMAIL_ADDRESS, "PR_EMAIL_ADDRESS"},
      {PR_NT_USER_NAME, "PR_NT_USER_NAME"},
      {PR_CONTENT_COUNT, "PR_CONTENT_COUNT"},
      {PR_ASSOC_CONTENT_COUNT, "PR_ASSOC_CONTENT_COUNT"},
      {PR_LAST_LOGON_TIME, "PR_LAST_LOGON_TIME"},
      {PR_LAST_LOGOFF_TIME, "PR_LAST_LOGOFF_TIME"},
      {PR_STORAGE_LIMIT_INFORMATION, "PR_STORAGE_LIMIT_INFORMATION"},
      {PR_SERVICE_UID, "PR_SERVICE_UID"},
      {PR_PROFILE_UNRESOLVED_NAME, "PR_PROFILE_UNRESOLVED_NAME"},
      {PR_PROFILE_UNRESOLVED_SERVER, "PR_PROFILE_UNRESOLVED_SERVER"},
      {PR_EMS_AB_HOME_MDB, "PR_EMS_AB_HOME_MDB"},
      {PR_EMS_AB_HOME_MTA, "PR_EMS_AB_HOME_MTA"},
      {PR_MDB_PROVIDER, "PR_MDB_PROVIDER"},
      {PR_HASATTACH, "PR_HASATTACH"},
      {PR_MESSAGE_DELIVERY_TIME, "PR_MESSAGE_DELIVERY_TIME"},
      {PR_URL_NAME, "PR_URL_NAME"},
  };
  for (const Known& k : known) EXPECT_EQ(MapiSymbolName("PropTags", k.tag), k.name);
  // No name appears twice in the tag table.
  std::set<std::string> names;
  for (const auto& row : mapi::SymbolTables()[2].rows)
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
}

}  // namespace
