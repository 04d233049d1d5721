#include "Allocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace mapisim {
namespace {

constexpr std::uint64_t kRootMagic = 0x544258524F4F5431ull;  // "TBXROOT1"
constexpr std::uint64_t kMoreMagic = 0x5442584348494C44ull;  // "TBXCHILD"
constexpr std::uint64_t kFreedMagic = 0x5442584445414421ull;

// Precedes every block. Children that did not fit into their root's arena
// are heap blocks of their own, chained from the root so that freeing the
// root frees them.
struct alignas(16) BlockHeader {
  std::uint64_t magic;
  BlockHeader* root;        // a root points to itself
  BlockHeader* next;        // root: first heap child; heap child: the next one
  unsigned char* arenaCur;  // root only: free part of the reserved tail
  unsigned char* arenaEnd;
};
static_assert(sizeof(BlockHeader) % 16 == 0);

std::atomic<std::uint32_t> g_outstanding{0};

constexpr std::size_t Round16(std::size_t n) {
  return (n + 15) & ~std::size_t{15};
}

// malloc already aligns to 16 bytes here, and is cheaper than aligned_alloc
// on the path every table row takes.
static_assert(alignof(std::max_align_t) >= 16);
void* Allocate16(std::size_t bytes) {
  return std::malloc(bytes);
}

BlockHeader* HeaderOf(void* p) {
  return static_cast<BlockHeader*>(p) - 1;
}

}  // namespace

std::size_t RoundedChildSize(std::size_t cb) {
  return sizeof(BlockHeader) + Round16(cb);
}

SCODE AllocateBuffer(ULONG cbSize, LPVOID* lppBuffer, std::size_t arenaBytes) {
  if (!lppBuffer) return MAPI_E_INVALID_PARAMETER;
  *lppBuffer = nullptr;
  const std::size_t body = Round16(cbSize);
  const std::size_t arena = Round16(arenaBytes);
  void* raw = Allocate16(sizeof(BlockHeader) + body + arena);
  if (!raw) return MAPI_E_NOT_ENOUGH_MEMORY;
  auto* h = static_cast<BlockHeader*>(raw);
  h->magic = kRootMagic;
  h->root = h;
  h->next = nullptr;
  h->arenaCur = reinterpret_cast<unsigned char*>(h + 1) + body;
  h->arenaEnd = h->arenaCur + arena;
  g_outstanding.fetch_add(1, std::memory_order_relaxed);
  *lppBuffer = h + 1;
  return S_OK;
}

SCODE AllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  if (!lppBuffer) return MAPI_E_INVALID_PARAMETER;
  *lppBuffer = nullptr;
  if (!lpObject) return MAPI_E_INVALID_PARAMETER;
  BlockHeader* root = HeaderOf(lpObject);
  if (root->magic == kMoreMagic) root = root->root;
  if (root->magic != kRootMagic) return MAPI_E_INVALID_PARAMETER;

  const std::size_t need = RoundedChildSize(cbSize);
  BlockHeader* child;
  if (static_cast<std::size_t>(root->arenaEnd - root->arenaCur) >= need) {
    child = reinterpret_cast<BlockHeader*>(root->arenaCur);
    root->arenaCur += need;
    child->next = nullptr;
  } else {
    child = static_cast<BlockHeader*>(Allocate16(need));
    if (!child) return MAPI_E_NOT_ENOUGH_MEMORY;
    child->next = root->next;
    root->next = child;
  }
  child->magic = kMoreMagic;
  child->root = root;
  child->arenaCur = child->arenaEnd = nullptr;
  *lppBuffer = child + 1;
  return S_OK;
}

ULONG FreeBuffer(LPVOID lpBuffer) {
  if (!lpBuffer) return S_OK;
  BlockHeader* h = HeaderOf(lpBuffer);
  if (h->magic != kRootMagic) return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
  for (BlockHeader* c = h->next; c;) {
    BlockHeader* next = c->next;
    c->magic = kFreedMagic;
    std::free(c);
    c = next;
  }
  h->magic = kFreedMagic;
  std::free(h);
  g_outstanding.fetch_sub(1, std::memory_order_relaxed);
  return S_OK;
}

void FreeRowSet(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i) FreeBuffer(rows->aRow[i].lpProps);
  FreeBuffer(rows);
}

std::uint32_t OutstandingBuffers() {
  return g_outstanding.load(std::memory_order_relaxed);
}

}  // namespace mapisim
