// A minimal MAPI library for the binding tests: memory functions with
// counters (blocks allocated with exactly the size asked for, so that the
// address sanitizer sees any overrun), initialise/uninitialise counters,
// failing logon and profile administration that do not touch their output,
// and FGetComponentPath answering from environment variables. It exports
// neither HrGetOneProp nor the row-set functions, so that tests can show a
// missing entry point failing alone.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MAPIDefs.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Every block carries its chained children, freed with it.
struct Block {
  std::vector<void*> children;
};

struct Counters {
  int initialized = 0;
  int uninitialized = 0;
  int rootBlocks = 0;  // allocated with MAPIAllocateBuffer and not yet freed
  int freed = 0;       // MAPIFreeBuffer calls with a block
};
Counters counters;

constexpr std::size_t kHeader = 16;  // keeps the caller's part 16-byte aligned

Block*& HeaderOf(void* p) {
  return *reinterpret_cast<Block**>(static_cast<char*>(p) - kHeader);
}

void* NewBlock(ULONG size) {
  char* raw = static_cast<char*>(std::malloc(kHeader + size));
  if (!raw) return nullptr;
  *reinterpret_cast<Block**>(raw) = new Block;
  return raw + kHeader;
}

void DeleteBlock(void* p) {
  Block* block = HeaderOf(p);
  for (void* child : block->children) std::free(static_cast<char*>(child) - kHeader);
  delete block;
  std::free(static_cast<char*>(p) - kHeader);
}

void AppendLog(const std::string& line) {
  const char* path = std::getenv("FAKEMAPI_LOG");
  if (!path) return;
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

}  // namespace

struct FakeMapiCounters {
  int initialized;
  int uninitialized;
  int rootBlocks;
  int freed;
};

FAKE_EXPORT void FakeMapiQueryCounters(FakeMapiCounters* out) {
  *out = {counters.initialized, counters.uninitialized, counters.rootBlocks, counters.freed};
}

FAKE_EXPORT HRESULT MAPIInitialize(LPVOID) {
  ++counters.initialized;
  return S_OK;
}

FAKE_EXPORT void MAPIUninitialize() {
  ++counters.uninitialized;
}

FAKE_EXPORT SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  if (!lppBuffer) return E_INVALIDARG;
  *lppBuffer = NewBlock(cbSize);
  if (!*lppBuffer) return E_OUTOFMEMORY;
  ++counters.rootBlocks;
  return S_OK;
}

FAKE_EXPORT SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  if (!lppBuffer || !lpObject) return E_INVALIDARG;
  *lppBuffer = NewBlock(cbSize);
  if (!*lppBuffer) return E_OUTOFMEMORY;
  delete HeaderOf(*lppBuffer);  // a child has no children of its own
  HeaderOf(lpObject)->children.push_back(*lppBuffer);
  return S_OK;
}

FAKE_EXPORT ULONG MAPIFreeBuffer(LPVOID lpBuffer) {
  if (!lpBuffer) return S_OK;
  ++counters.freed;
  --counters.rootBlocks;
  DeleteBlock(lpBuffer);
  return S_OK;
}

// Fails without writing the output, so a caller can see that the wrapper
// cleared it.
FAKE_EXPORT HRESULT MAPILogonEx(ULONG_PTR, LPSTR, LPSTR, ULONG, LPMAPISESSION*) {
  return MAPI_E_LOGON_FAILED;
}

FAKE_EXPORT HRESULT MAPIAdminProfiles(ULONG, LPPROFADMIN*) {
  return MAPI_E_NO_ACCESS;
}

// Logs each question as "component|qualifier" (qualifier "-" for none) to
// FAKEMAPI_LOG; answers FAKEMAPI_COMPONENT_PATH unless the qualifier equals
// FAKEMAPI_REFUSE_QUALIFIER.
FAKE_EXPORT BOOL FGetComponentPath(LPSTR szComponent, LPSTR szQualifier, LPSTR szDllPath,
                                   DWORD cchBufferSize, BOOL) {
  AppendLog(std::string(szComponent ? szComponent : "") + "|" + (szQualifier ? szQualifier : "-"));
  const char* refuse = std::getenv("FAKEMAPI_REFUSE_QUALIFIER");
  if (refuse && szQualifier && std::strcmp(refuse, szQualifier) == 0) return FALSE;
  const char* path = std::getenv("FAKEMAPI_COMPONENT_PATH");
  if (!path || !szDllPath || cchBufferSize == 0) return FALSE;
  std::snprintf(szDllPath, cchBufferSize, "%s", path);
  return TRUE;
}
