// RAII owners for everything MAPI hands out: interface references are
// released, buffers go back with MAPIFreeBuffer, row sets with FreeProws,
// address lists with FreePadrlist. Declare owners in acquisition order so
// that they are released in reverse order on every path.
#pragma once

#include <memory>

#include "ComPtr.h"
#include "ExtendedMAPI.h"

namespace mapi {

struct BufferDeleter {
  void operator()(void* p) const {
    if (p) MAPIFreeBuffer(p);
  }
};
template <class T>
using MapiBuffer = std::unique_ptr<T, BufferDeleter>;

struct RowSetDeleter {
  void operator()(SRowSet* p) const {
    if (p) FreeProws(p);
  }
};
using RowSetPtr = std::unique_ptr<SRowSet, RowSetDeleter>;

struct AdrListDeleter {
  void operator()(ADRLIST* p) const {
    if (p) FreePadrlist(p);
  }
};
using AdrListPtr = std::unique_ptr<ADRLIST, AdrListDeleter>;

}  // namespace mapi
