// The library's pure parts, linked directly: restriction evaluation, row
// order, entry IDs, and how a requested tag is answered.
#include <gtest/gtest.h>

#include "Allocator.h"
#include "EntryIds.h"
#include "PropValues.h"
#include "Restriction.h"

using namespace mapisim;

namespace {

constexpr ULONG kTagA = PROP_TAG(PT_LONG, 0x6001);
constexpr ULONG kTagT = PROP_TAG(PT_STRING8, 0x6002);
constexpr ULONG kTagB = PROP_TAG(PT_BINARY, 0x6003);
constexpr ULONG kTagF = PROP_TAG(PT_BOOLEAN, 0x6004);
constexpr ULONG kTagTime = PROP_TAG(PT_SYSTIME, 0x6005);
constexpr ULONG kTagI8 = PROP_TAG(PT_I8, 0x6006);

// The row every restriction case is evaluated against.
const std::vector<PropCell> kRow = {
    LongCell(kTagA, -5),
    TextCell(kTagT, "Smith, John"),
    BinaryCell(kTagB, std::string_view("\x01\x02\x03", 3)),
    BoolCell(kTagF, true),
    TimeCell(kTagTime, 0x8000000000000001ull),  // beyond INT64_MAX: compared unsigned
    I8Cell(kTagI8, 5000000000ll),
    ErrorCell(PROP_TAG(PT_LONG, 0x6007), MAPI_E_NOT_FOUND),
};

SPropValue Value(ULONG tag) {
  SPropValue v{};
  v.ulPropTag = tag;
  return v;
}

struct Case {
  const char* what;
  SPropValue value;
  ULONG relop;
  bool expected;
};

std::vector<Case> Cases() {
  static char smith[] = "SMITH, JOHN";
  static char smithz[] = "Smith, Johnz";
  static BYTE prefix[] = {1, 2};
  static BYTE bigger[] = {1, 3};
  std::vector<Case> cases;
  auto add = [&](const char* what, SPropValue v, ULONG relop, bool expected) {
    cases.push_back({what, v, relop, expected});
  };
  SPropValue v = Value(kTagA);
  v.Value.l = -5;
  add("long equal", v, RELOP_EQ, true);
  add("long not equal", v, RELOP_NE, false);
  v.Value.l = -4;
  add("long below (signed)", v, RELOP_LT, true);
  add("long at most", v, RELOP_LE, true);
  add("long above", v, RELOP_GT, false);
  v.Value.l = -5;
  add("long at least", v, RELOP_GE, true);
  v = Value(kTagT);
  v.Value.lpszA = smith;
  add("text equal without regard to case", v, RELOP_EQ, true);
  v.Value.lpszA = smithz;
  add("shorter text first", v, RELOP_LT, true);
  v = Value(kTagB);
  v.Value.bin = {2, prefix};
  add("binary prefix is smaller", v, RELOP_GT, true);
  add("binary prefix is not equal", v, RELOP_EQ, false);
  v.Value.bin = {2, bigger};
  add("binary compares bytes first", v, RELOP_LT, true);
  v = Value(kTagF);
  v.Value.b = 1;
  add("boolean", v, RELOP_EQ, true);
  v = Value(kTagTime);
  v.Value.ft = {0, 0x7FFFFFFF};
  add("time compares unsigned", v, RELOP_GT, true);
  add("time compares unsigned, other side", v, RELOP_LT, false);
  v.Value.ft = {1, 0x80000000};
  add("time equal", v, RELOP_EQ, true);
  v = Value(kTagI8);
  v.Value.li = 4999999999ll;
  add("64-bit above", v, RELOP_GT, true);
  v = Value(PROP_TAG(PT_LONG, 0x6007));
  v.Value.l = 0;
  add("error value never matches", v, RELOP_NE, false);
  v = Value(PROP_TAG(PT_LONG, 0x6099));
  add("missing value never matches, not even !=", v, RELOP_NE, false);
  v = Value(PROP_TAG(PT_STRING8, 0x6001));
  v.Value.lpszA = smith;
  add("same identifier, other type: no match", v, RELOP_NE, false);
  return cases;
}

TEST(Restriction, PropertyComparisons) {
  for (const auto& c : Cases()) {
    SPropValue value = c.value;
    SRestriction res{};
    res.rt = RES_PROPERTY;
    res.res.resProperty = {c.relop, value.ulPropTag, &value};
    CompiledRestriction compiled;
    ASSERT_EQ(CompileRestriction(&res, &compiled), S_OK) << c.what;
    EXPECT_EQ(Evaluate(compiled, kRow), c.expected) << c.what;
  }
}

TEST(Restriction, CombinationsAndExistence) {
  SRestriction exists[3] = {};
  for (auto& e : exists) e.rt = RES_EXIST;
  exists[0].res.resExist.ulPropTag = kTagT;
  exists[1].res.resExist.ulPropTag = PROP_TAG(PT_UNSPECIFIED, 0x6007);  // an error value
  exists[2].res.resExist.ulPropTag = PROP_TAG(PT_UNSPECIFIED, 0x6002);  // any type of it
  auto eval = [](const SRestriction& r) {
    CompiledRestriction c;
    EXPECT_EQ(CompileRestriction(&r, &c), S_OK);
    return Evaluate(c, kRow);
  };
  EXPECT_TRUE(eval(exists[0]));
  EXPECT_FALSE(eval(exists[1]));
  EXPECT_TRUE(eval(exists[2]));
  SRestriction both{}, either{}, neither{};
  both.rt = RES_AND;
  both.res.resAnd = {2, exists};
  either.rt = RES_OR;
  either.res.resOr = {2, exists};
  neither.rt = RES_NOT;
  neither.res.resNot = {0, &either};
  EXPECT_FALSE(eval(both));
  EXPECT_TRUE(eval(either));
  EXPECT_FALSE(eval(neither));
}

TEST(Restriction, MalformedAndUnsupported) {
  CompiledRestriction c;
  EXPECT_EQ(CompileRestriction(nullptr, &c), MAPI_E_INVALID_PARAMETER);
  SRestriction andWithoutTerms{};
  andWithoutTerms.rt = RES_AND;
  andWithoutTerms.res.resAnd = {3, nullptr};
  EXPECT_EQ(CompileRestriction(&andWithoutTerms, &c), MAPI_E_INVALID_PARAMETER);
  SRestriction notWithout{};
  notWithout.rt = RES_NOT;
  EXPECT_EQ(CompileRestriction(&notWithout, &c), MAPI_E_INVALID_PARAMETER);
  SPropValue dbl = Value(PROP_TAG(PT_DOUBLE, 0x6010));
  SRestriction onDouble{};
  onDouble.rt = RES_PROPERTY;
  onDouble.res.resProperty = {RELOP_EQ, dbl.ulPropTag, &dbl};
  EXPECT_EQ(CompileRestriction(&onDouble, &c), MAPI_E_TOO_COMPLEX);
  for (ULONG rt : {RES_CONTENT, RES_COMPAREPROPS, RES_BITMASK, RES_SIZE, RES_SUBRESTRICTION, 99u}) {
    SRestriction other{};
    other.rt = rt;
    EXPECT_EQ(CompileRestriction(&other, &c), MAPI_E_TOO_COMPLEX) << rt;
  }
}

TEST(SortOrder, KeysInTurnWithAbsentValuesLowest) {
  const std::vector<PropCell> a = {LongCell(kTagA, 1), TextCell(kTagT, "b")};
  const std::vector<PropCell> b = {LongCell(kTagA, 1), TextCell(kTagT, "A")};
  const std::vector<PropCell> none = {TextCell(kTagT, "z")};
  const SortKey byA[] = {{kTagA, false}};
  const SortKey byAThenT[] = {{kTagA, false}, {kTagT, false}};
  const SortKey byTDown[] = {{kTagT, true}};
  const SortKey wideT[] = {{PROP_TAG(PT_UNICODE, 0x6002), false}};
  EXPECT_EQ(CompareRows(a, b, byA), 0);
  EXPECT_GT(CompareRows(a, b, byAThenT), 0) << "b before A? no: texts ignore case";
  EXPECT_LT(CompareRows(none, a, byA), 0) << "absent first when ascending";
  EXPECT_LT(CompareRows(none, a, byTDown), 0) << "z before b when descending";
  EXPECT_GT(CompareRows(a, b, wideT), 0) << "a wide key sorts the 8-bit texts";
}

TEST(EntryIds, RoundTripAndStrictDecoding) {
  const EntryId ids[] = {
      {EntryKind::PrivateStore, 42, 0, 0, {}, {}},
      {EntryKind::Folder, 7, 123456789012ll, 0, {}, {}},
      {EntryKind::AdminStore, 0, 0, 9, "/o=Org/cn=SRV01/cn=Microsoft Private MDB", "/o=Org/cn=x"},
      {EntryKind::MailUser, -3, 0, 0, {}, {}},
  };
  for (const auto& id : ids) {
    const std::string bytes = EncodeEntryId(id);
    auto back = DecodeEntryId(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, id.kind);
    EXPECT_EQ(back->a, id.a);
    EXPECT_EQ(back->b, id.b);
    EXPECT_EQ(back->flags, id.flags);
    EXPECT_EQ(back->storeDn, id.storeDn);
    EXPECT_EQ(back->mailboxDn, id.mailboxDn);
    // Any truncation or extension is not an entry ID of ours.
    EXPECT_FALSE(DecodeEntryId(bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(DecodeEntryId(bytes + "x"));
    std::string flipped = bytes;
    flipped[5] ^= 1;
    EXPECT_FALSE(DecodeEntryId(flipped));
  }
  std::string oversized = EncodeEntryId({EntryKind::AdminStore, 0, 0, 1, "abc", "d"});
  oversized[29] = '\x7F';  // the first text's length, far beyond the bytes
  EXPECT_FALSE(DecodeEntryId(oversized));
  EXPECT_FALSE(DecodeEntryId(0, nullptr));
}

TEST(Lookup, HowATagIsAnswered) {
  const std::vector<PropCell> row = {
      TextCell(PR_DISPLAY_NAME, "Caf\xE9"), I8Cell(PR_MESSAGE_SIZE_EXTENDED, 1ll << 33),
      LongCell(PR_MESSAGE_SIZE, 7), ErrorCell(PR_SUBJECT, MAPI_E_NOT_ENOUGH_MEMORY)};
  EXPECT_EQ(Lookup(row, PR_DISPLAY_NAME).cell.tag, PR_DISPLAY_NAME);
  const Answer wide = Lookup(row, CHANGE_PROP_TYPE(PR_DISPLAY_NAME, PT_UNICODE));
  EXPECT_TRUE(wide.widen);
  EXPECT_EQ(wide.cell.tag, CHANGE_PROP_TYPE(PR_DISPLAY_NAME, PT_UNICODE));
  EXPECT_EQ(Lookup(row, PR_MESSAGE_SIZE).cell.num, 7) << "the exact tag wins over its sibling";
  EXPECT_EQ(Lookup(row, CHANGE_PROP_TYPE(PR_MESSAGE_SIZE, PT_UNSPECIFIED)).cell.tag,
            PR_MESSAGE_SIZE_EXTENDED);
  const Answer err = Lookup(row, PR_SUBJECT);
  EXPECT_EQ(err.cell.tag, CHANGE_PROP_TYPE(PR_SUBJECT, PT_ERROR));
  EXPECT_EQ(err.cell.num, MAPI_E_NOT_ENOUGH_MEMORY);
  const Answer missing = Lookup(row, PR_URL_NAME);
  EXPECT_EQ(missing.cell.tag, CHANGE_PROP_TYPE(PR_URL_NAME, PT_ERROR));
  EXPECT_EQ(missing.cell.num, MAPI_E_NOT_FOUND);
  EXPECT_EQ(Lookup(row, CHANGE_PROP_TYPE(PR_DISPLAY_NAME, PT_LONG)).cell.Type(), PT_ERROR);

  // Written out: the wide text is widened byte by byte, the 8-bit one kept.
  const Answer answers[] = {Lookup(row, PR_DISPLAY_NAME), wide,
                            Lookup(row, PR_MESSAGE_SIZE_EXTENDED)};
  LPSPropValue out = nullptr;
  ASSERT_EQ(WritePropArray(answers, &out), S_OK);
  EXPECT_STREQ(out[0].Value.lpszA, "Caf\xE9");
  EXPECT_EQ(out[1].Value.lpszW[3], u'\u00e9');
  EXPECT_EQ(out[1].Value.lpszW[4], 0);
  EXPECT_EQ(out[2].Value.li, 1ll << 33);
  EXPECT_EQ(OutstandingBuffers(), 1u);
  FreeBuffer(out);
  EXPECT_EQ(OutstandingBuffers(), 0u);
}

}  // namespace
