// Row conversion into acTableContent, the storage-limit texts and the typed
// property access under it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "MAPIVariantProp.h"
#include "MailboxRecord.h"

namespace {

using mapi::Flavour;

// A row of the nine columns that a test can spoil column by column.
struct TestRow {
  std::string email = "/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  std::string display = "John Smith";
  std::string nt = "?CORP\\jsmith";
  std::vector<SPropValue> values;

  TestRow() {
    values.resize(9);
    for (ULONG i = 0; i < 9; ++i) values[i].ulPropTag = core::kMailboxColumns[i];
    values[0].Value.lpszA = email.data();
    values[1].Value.lpszA = display.data();
    values[2].Value.lpszA = nt.data();
    values[3].Value.li = 5LL * 1024 * 1024 * 1024;
    values[4].Value.l = 153;
    values[5].Value.l = 12;
    values[6].Value.ft = FILETIME{0, 0x01D6A000};
    values[7].Value.ft = FILETIME{0, 0x01D6A100};
    values[8].Value.l = 1;
  }
  void Error(ULONG i) {
    values[i].ulPropTag = CHANGE_PROP_TYPE(core::kMailboxColumns[i], PT_ERROR);
    values[i].Value.err = MAPI_E_NOT_FOUND;
  }
  SRow Row() { return SRow{0, static_cast<ULONG>(values.size()), values.data()}; }
};

class ScopedUtc : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

using RowConversion = ScopedUtc;

TEST_F(RowConversion, FullRowInBothFlavours) {
  TestRow r;
  SRow row = r.Row();
  const core::acTableContent gui = core::ConvertMailboxRow(row, Flavour::Gui, nullptr);
  EXPECT_EQ(gui.emailAddress, r.email);
  EXPECT_EQ(gui.displayName, "John Smith");
  EXPECT_EQ(gui.ntUserName, "CORP\\jsmith");  // the GUI drops the leading "?"
  EXPECT_EQ(gui.messageSize, 5LL * 1024 * 1024 * 1024);
  EXPECT_EQ(gui.contentCount, 153);
  EXPECT_EQ(gui.assocContentCount, 12);
  ASSERT_TRUE(gui.lastLogonTime.has_value());
  ASSERT_TRUE(gui.lastLogoffTime.has_value());
  EXPECT_LT(*gui.lastLogonTime, *gui.lastLogoffTime);
  EXPECT_EQ(gui.storageLimitInformation, "Below Limit");
  const core::acTableContent con = core::ConvertMailboxRow(row, Flavour::Console, nullptr);
  EXPECT_EQ(con.ntUserName, "?CORP\\jsmith");         // the console keeps it
  EXPECT_EQ(*con.lastLogonTime, *gui.lastLogonTime);  // the same under UTC
}

TEST_F(RowConversion, ErrorTypedColumnsLeaveTheirEmptyValue) {
  for (ULONG column = 0; column < 9; ++column) {
    SCOPED_TRACE(column);
    TestRow r;
    r.Error(column);
    SRow row = r.Row();
    const core::acTableContent rec = core::ConvertMailboxRow(row, Flavour::Gui, nullptr);
    EXPECT_EQ(rec.emailAddress.empty(), column == 0);
    EXPECT_EQ(rec.displayName.empty(), column == 1);
    EXPECT_EQ(rec.ntUserName.empty(), column == 2);
    EXPECT_EQ(rec.messageSize == 0, column == 3);
    EXPECT_EQ(rec.contentCount == 0, column == 4);
    EXPECT_EQ(rec.assocContentCount == 0, column == 5);
    EXPECT_EQ(!rec.lastLogonTime, column == 6);
    EXPECT_EQ(!rec.lastLogoffTime, column == 7);
    // An error in the storage-limit column gives an empty text, not "Undefined".
    EXPECT_EQ(rec.storageLimitInformation.empty(), column == 8);
  }
}

TEST_F(RowConversion, OtherTypedAndMissingColumnsAreAbsent) {
  TestRow r;
  // Same identifier, another type: a 32-bit size where a 64-bit one is asked.
  r.values[3].ulPropTag = PROP_TAG(PT_LONG, PROP_ID(PR_MESSAGE_SIZE_EXTENDED));
  r.values[3].Value.l = 77;
  // A string column answered as wide text.
  r.values[1].ulPropTag = PROP_TAG(PT_UNICODE, PROP_ID(PR_DISPLAY_NAME));
  // Columns in the wrong places: the logon time where the logoff time belongs.
  r.values[7].ulPropTag = PR_LAST_LOGON_TIME;
  SRow row = r.Row();
  row.cValues = 9;
  core::acTableContent rec = core::ConvertMailboxRow(row, Flavour::Console, nullptr);
  EXPECT_EQ(rec.messageSize, 0);
  EXPECT_EQ(rec.displayName, "");
  EXPECT_FALSE(rec.lastLogoffTime.has_value());
  EXPECT_TRUE(rec.lastLogonTime.has_value());
  // A short row: the missing columns stay empty, the conversion goes on.
  row.cValues = 4;
  rec = core::ConvertMailboxRow(row, Flavour::Console, nullptr);
  EXPECT_EQ(rec.emailAddress, r.email);
  EXPECT_EQ(rec.contentCount, 0);
  EXPECT_EQ(rec.storageLimitInformation, "");
  // No values at all.
  SRow empty{0, 0, nullptr};
  rec = core::ConvertMailboxRow(empty, Flavour::Gui, nullptr);
  EXPECT_EQ(rec.emailAddress, "");
  EXPECT_FALSE(rec.lastLogonTime.has_value());
}

TEST_F(RowConversion, SizesAndCountsAtTheirLimits) {
  struct Case {
    std::int64_t size;
    LONG count;
  } cases[] = {{std::numeric_limits<std::int64_t>::max(), std::numeric_limits<LONG>::max()},
               {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<LONG>::min()},
               {-1, -1},
               {0x100000000LL, 0}};
  for (const auto& c : cases) {
    TestRow r;
    r.values[3].Value.li = c.size;
    r.values[4].Value.l = c.count;
    r.values[5].Value.l = c.count;
    SRow row = r.Row();
    const core::acTableContent rec = core::ConvertMailboxRow(row, Flavour::Console, nullptr);
    EXPECT_EQ(rec.messageSize, c.size);
    // Counts are sign-extended from 32 bits.
    EXPECT_EQ(rec.contentCount, static_cast<std::int64_t>(c.count));
    EXPECT_EQ(rec.assocContentCount, static_cast<std::int64_t>(c.count));
  }
}

TEST_F(RowConversion, NtUserNameQuestionMarkRule) {
  const struct {
    std::string in, gui;
  } cases[] = {{"?", "?"},
               {"?CORP\\bob", "CORP\\bob"},
               {"??x", "?x"},
               {"CORP\\bob", "CORP\\bob"},
               {"?" + std::string(300, 'a'), std::string(260, 'a')},
               {std::string(300, 'b'), std::string(300, 'b')}};
  for (const auto& c : cases) {
    TestRow r;
    r.nt = c.in;
    r.values[2].Value.lpszA = r.nt.data();
    SRow row = r.Row();
    EXPECT_EQ(core::ConvertMailboxRow(row, Flavour::Gui, nullptr).ntUserName, c.gui);
    EXPECT_EQ(core::ConvertMailboxRow(row, Flavour::Console, nullptr).ntUserName, c.in);
  }
}

TEST_F(RowConversion, TimeWithoutCalendarDate) {
  TestRow r;
  r.values[6].Value.ft = FILETIME{0xFFFFFFFF, 0xFFFFFFFF};
  SRow row = r.Row();
  // The GUI drops the row: the exception leaves the conversion.
  EXPECT_THROW(core::ConvertMailboxRow(row, Flavour::Gui, nullptr), mapi::DateConvertError);
  // The console says so between separators and keeps the record.
  std::ostringstream out;
  const core::acTableContent rec = core::ConvertMailboxRow(row, Flavour::Console, &out);
  EXPECT_FALSE(rec.lastLogonTime.has_value());
  EXPECT_TRUE(rec.lastLogoffTime.has_value());
  const std::string sep(50, '=');
  EXPECT_EQ(
      out.str(),
      sep + "\nError! Exception found: The time stamp gives no valid calendar date\n" + sep + "\n");
}

TEST(StorageLimitText, Table) {
  const struct {
    std::uint32_t value;
    const char* gui;
    const char* console;
  } cases[] = {{1, "Below Limit", "Below Limit"},     {2, "Issue Warning", "Issue Warning"},
               {4, "Prohibit Send", "Prohibit Send"}, {8, "No Check", "No Checking"},
               {16, "Disabled", "Disabled"},          {0, "Undefined", "Undefined"},
               {3, "Undefined", "Undefined"},         {5, "Undefined", "Undefined"},
               {6, "Undefined", "Undefined"},         {17, "Undefined", "Undefined"},
               {0xFFFFFFFF, "Undefined", "Undefined"}};
  for (const auto& c : cases) {
    EXPECT_EQ(core::StorageLimitText(c.value, Flavour::Gui), c.gui) << c.value;
    EXPECT_EQ(core::StorageLimitText(c.value, Flavour::Console), c.console) << c.value;
  }
}

TEST(VariantProp, AccessorsTestTheWholeTag) {
  BYTE bytes[3] = {1, 2, 3};
  SPropValue v[4]{};
  v[0].ulPropTag = PR_ENTRYID;
  v[0].Value.bin = SBinary{3, bytes};
  v[1].ulPropTag = PR_SEND_RICH_INFO;
  v[1].Value.b = 1;
  v[2].ulPropTag = CHANGE_PROP_TYPE(PR_EMS_AB_ASSOC_NT_ACCOUNT, PT_ERROR);
  v[2].Value.err = MAPI_E_NOT_FOUND;
  v[3].ulPropTag = PR_DISPLAY_NAME;
  v[3].Value.lpszA = nullptr;
  EXPECT_EQ(mapi::PropBinary(&v[0], PR_ENTRYID)->size(), 3u);
  EXPECT_FALSE(mapi::PropBinary(&v[0], PR_RECORD_KEY));
  EXPECT_FALSE(mapi::PropLong(&v[0], PR_ENTRYID));  // right tag, wrong accessor
  EXPECT_TRUE(*mapi::PropBoolean(&v[1], PR_SEND_RICH_INFO));
  EXPECT_FALSE(mapi::PropBinary(&v[2], PR_EMS_AB_ASSOC_NT_ACCOUNT));
  EXPECT_EQ(*mapi::PropError(&v[2], PR_EMS_AB_ASSOC_NT_ACCOUNT), MAPI_E_NOT_FOUND);
  EXPECT_FALSE(mapi::PropError(&v[0], PR_ENTRYID));
  EXPECT_EQ(*mapi::PropString8(&v[3], PR_DISPLAY_NAME), "");  // a null text reads empty
  EXPECT_EQ(mapi::PropWithTag(v, 4, 1, PR_SEND_RICH_INFO), &v[1]);
  EXPECT_EQ(mapi::PropWithTag(v, 4, 2, PR_EMS_AB_ASSOC_NT_ACCOUNT), nullptr);
  EXPECT_EQ(mapi::PropWithTag(v, 2, 3, PR_DISPLAY_NAME), nullptr);
  EXPECT_EQ(mapi::PropWithTag(nullptr, 4, 0, PR_ENTRYID), nullptr);
  EXPECT_FALSE(mapi::PropString8(nullptr, PR_DISPLAY_NAME));
}

TEST(VariantProp, FindPropTakesTheFirstWholeTagWithinTheCount) {
  SPropValue v[4]{};
  v[0].ulPropTag = CHANGE_PROP_TYPE(PR_ENTRYID, PT_ERROR);  // same identifier, error type
  v[1].ulPropTag = PR_ENTRYID;
  v[2].ulPropTag = PR_ENTRYID;
  v[3].ulPropTag = PR_DISPLAY_NAME;
  EXPECT_EQ(mapi::FindProp(v, 4, PR_ENTRYID), &v[1]);
  EXPECT_EQ(mapi::FindProp(v, 3, PR_DISPLAY_NAME), nullptr);  // beyond the count
  EXPECT_EQ(mapi::FindProp(v, 4, PR_SEND_RICH_INFO), nullptr);
  EXPECT_EQ(mapi::FindProp(nullptr, 4, PR_ENTRYID), nullptr);
  const SRow row{0, 4, v};
  EXPECT_EQ(mapi::FindProp(row, PR_DISPLAY_NAME), &v[3]);
}

}  // namespace
