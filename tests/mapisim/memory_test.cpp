// MAPI memory: allocation, chaining, freeing, deep copies, row sets and
// address lists, the component path, and the accounting line at unload.
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "SimLibrary.h"

using namespace simtest;

namespace {

class MemoryTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    PrepareEmpty();
  }
  std::uint32_t Outstanding() { return Mapi().Accounting().outstandingBuffers; }
};

TEST_F(MemoryTest, BuffersAreAlignedAndCountedPerRootBlock) {
  // Sizes around the 16-byte boundary, and zero.
  for (ULONG size : {0u, 1u, 15u, 16u, 17u, 33u, 1000u}) {
    void* root = nullptr;
    ASSERT_EQ(Mapi().AllocateBuffer(size, &root), S_OK);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(root) % 16, 0u) << size;
    void* child = nullptr;
    ASSERT_EQ(Mapi().AllocateMore(size, root, &child), S_OK);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(child) % 16, 0u) << size;
    std::memset(child, 0xAB, size);
    EXPECT_EQ(Outstanding(), 1u) << "a child is not a buffer of its own";
    EXPECT_EQ(Mapi().FreeBuffer(root), 0u);
    EXPECT_EQ(Outstanding(), 0u);
  }
}

TEST_F(MemoryTest, ChildrenOfChildrenGoWithTheRoot) {
  void* root = nullptr;
  ASSERT_EQ(Mapi().AllocateBuffer(8, &root), S_OK);
  void* child = nullptr;
  ASSERT_EQ(Mapi().AllocateMore(64, root, &child), S_OK);
  // Many children, more than any reserve, chained to the same root.
  for (int i = 0; i < 200; ++i) {
    void* grandchild = nullptr;
    ASSERT_EQ(Mapi().AllocateMore(100, i % 2 ? child : root, &grandchild), S_OK);
    std::memset(grandchild, i, 100);
  }
  EXPECT_EQ(Outstanding(), 1u);
  // Freeing a child alone is refused and frees nothing; the root frees all
  // (AddressSanitizer would report a leak or double free otherwise).
  EXPECT_EQ(Mapi().FreeBuffer(child), static_cast<ULONG>(MAPI_E_INVALID_PARAMETER));
  EXPECT_EQ(Outstanding(), 1u);
  EXPECT_EQ(Mapi().FreeBuffer(root), 0u);
  EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(MemoryTest, NullArgumentsAreHarmless) {
  EXPECT_EQ(Mapi().FreeBuffer(nullptr), 0u);
  EXPECT_EQ(Mapi().AllocateBuffer(4, nullptr), MAPI_E_INVALID_PARAMETER);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Mapi().AllocateMore(4, nullptr, &out), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(out, nullptr);
  Mapi().FreeProws(nullptr);
  Mapi().FreePadrlist(nullptr);
  EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(MemoryTest, FreeProwsAndFreePadrlistReleaseEveryRow) {
  auto makeValues = [](ULONG n) {
    void* p = nullptr;
    EXPECT_EQ(Mapi().AllocateBuffer(n * sizeof(SPropValue), &p), S_OK);
    auto* v = static_cast<SPropValue*>(p);
    for (ULONG i = 0; i < n; ++i) {
      void* text = nullptr;
      EXPECT_EQ(Mapi().AllocateMore(6, v, &text), S_OK);
      std::memcpy(text, "hello", 6);
      v[i].ulPropTag = PR_DISPLAY_NAME;
      v[i].Value.lpszA = static_cast<char*>(text);
    }
    return v;
  };
  void* p = nullptr;
  ASSERT_EQ(Mapi().AllocateBuffer(CbNewSRowSet(3), &p), S_OK);
  auto* rows = static_cast<SRowSet*>(p);
  rows->cRows = 3;
  for (ULONG r = 0; r < 3; ++r) {
    rows->aRow[r].cValues = r + 1;
    rows->aRow[r].lpProps = makeValues(r + 1);
  }
  ASSERT_EQ(Mapi().AllocateBuffer(CbNewADRLIST(2), &p), S_OK);
  auto* list = static_cast<ADRLIST*>(p);
  list->cEntries = 2;
  for (ULONG e = 0; e < 2; ++e) {
    list->aEntries[e].cValues = 2;
    list->aEntries[e].rgPropVals = makeValues(2);
  }
  EXPECT_EQ(Outstanding(), 1u + 3u + 1u + 2u);
  Mapi().FreeProws(rows);
  Mapi().FreePadrlist(list);
  EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(MemoryTest, ScDupPropsetMakesOneBlockWithDeepCopies) {
  char name[] = "EX:/o=Org/ou=Site/cn=Recipients/cn=jsmith";
  BYTE bin[] = {1, 2, 3};
  WCHAR wide[] = {u'a', u'\u00e9', 0};
  GUID guid = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  char one[] = "one";
  char two[] = "two";
  LPSTR multi[] = {one, two};
  SPropValue in[7] = {};
  in[0].ulPropTag = PR_DISPLAY_NAME;
  in[0].Value.lpszA = name;
  in[1].ulPropTag = PR_RECIPIENT_TYPE;
  in[1].Value.l = MAPI_TO;
  in[2].ulPropTag = PR_ENTRYID;
  in[2].Value.bin = {3, bin};
  in[3].ulPropTag = CHANGE_PROP_TYPE(PR_SUBJECT, PT_UNICODE);
  in[3].Value.lpszW = wide;
  in[4].ulPropTag = PROP_TAG(PT_CLSID, 0x6000);
  in[4].Value.lpguid = &guid;
  in[5].ulPropTag = PROP_TAG(PT_MV_STRING8, 0x6001);
  in[5].Value.MVszA = {2, multi};
  in[6].ulPropTag = PR_HASATTACH;
  in[6].Value.b = 1;

  LPSPropValue copy = nullptr;
  ASSERT_EQ(Mapi().DupPropset(7, in, Mapi().AllocateBuffer, &copy), S_OK);
  EXPECT_EQ(Outstanding(), 1u);
  // Change the originals: the copy owns its data.
  name[0] = 'x';
  bin[0] = 9;
  wide[0] = u'z';
  one[0] = 'X';
  guid.Data1 = 99;
  EXPECT_STREQ(copy[0].Value.lpszA, "EX:/o=Org/ou=Site/cn=Recipients/cn=jsmith");
  EXPECT_EQ(copy[1].Value.l, 1);
  EXPECT_EQ(copy[2].Value.bin.cb, 3u);
  EXPECT_EQ(copy[2].Value.bin.lpb[0], 1);
  EXPECT_EQ(copy[3].Value.lpszW[0], u'a');
  EXPECT_EQ(copy[3].Value.lpszW[1], u'\u00e9');
  EXPECT_EQ(copy[4].Value.lpguid->Data1, 1u);
  EXPECT_STREQ(copy[5].Value.MVszA.lppszA[0], "one");
  EXPECT_STREQ(copy[5].Value.MVszA.lppszA[1], "two");
  EXPECT_EQ(copy[6].Value.b, 1);
  Mapi().FreeBuffer(copy);
  EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(MemoryTest, ScDupPropsetRefusesWhatItCannotCopy) {
  SPropValue v = {};
  LPSPropValue copy = nullptr;
  v.ulPropTag = PR_DISPLAY_NAME;
  v.Value.lpszA = nullptr;  // a text without data
  EXPECT_EQ(Mapi().DupPropset(1, &v, Mapi().AllocateBuffer, &copy), MAPI_E_INVALID_PARAMETER);
  v.ulPropTag = PROP_TAG(0x0FFF, 0x6002);  // no such type
  EXPECT_EQ(Mapi().DupPropset(1, &v, Mapi().AllocateBuffer, &copy), MAPI_E_INVALID_PARAMETER);
  v.ulPropTag = PR_RECIPIENT_TYPE;
  EXPECT_EQ(Mapi().DupPropset(0, &v, Mapi().AllocateBuffer, &copy), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(Mapi().DupPropset(1, &v, nullptr, &copy), MAPI_E_INVALID_PARAMETER);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(Outstanding(), 0u);
}

TEST_F(MemoryTest, ComponentPathIsTheLibraryItself) {
  char path[4096] = {};
  char component[] = "{ff1d0740-d227-11d1-a4b0-006008af820e}";
  char qualifier[] = "1033";
  ASSERT_EQ(Mapi().GetComponentPath(component, qualifier, path, sizeof path, TRUE), TRUE);
  char expected[4096];
  ASSERT_NE(realpath((machine().root() + "/system32/libmapi32.so").c_str(), expected), nullptr);
  EXPECT_STREQ(path, expected);
  // The path loads as the same module.
  HMODULE again = LoadLibraryA(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(again, "MAPIInitialize@4")),
            reinterpret_cast<void*>(Mapi().Initialize));
  FreeLibrary(again);

  char small[8];
  EXPECT_EQ(Mapi().GetComponentPath(component, nullptr, small, sizeof small, FALSE), FALSE);
  char other[] = "{00000000-D227-11D1-A4B0-006008AF820E}";
  EXPECT_EQ(Mapi().GetComponentPath(other, nullptr, path, sizeof path, FALSE), FALSE);
}

TEST_F(MemoryTest, UnloadAppendsTheAccountingLine) {
  const std::size_t before = machine().AccountingLines().size();
  // Left unbalanced on purpose, so that the line shows a count.
  ASSERT_EQ(Mapi().Initialize(nullptr), S_OK);
  UnloadLibrary();
  const auto lines = machine().AccountingLines();
  ASSERT_EQ(lines.size(), before + 1);
  const std::string& line = lines.back();
  EXPECT_NE(line.find("\"pid\":" + std::to_string(getpid()) + ","), std::string::npos) << line;
  EXPECT_NE(line.find("\"program\":\"" + std::string(program_invocation_short_name) + "\""),
            std::string::npos)
      << line;
  EXPECT_NE(line.find("\"liveObjects\":0,\"outstandingBuffers\":0,\"openSessions\":0,"
                      "\"initializeCount\":1,\"profiles\":0}"),
            std::string::npos)
      << line;
}

}  // namespace
