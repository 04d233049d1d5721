// RAII owners for everything MAPI hands out: interface references are
// released, buffers go back with MAPIFreeBuffer, row sets with FreeProws,
// address lists with FreePadrlist. Declare owners in acquisition order so
// that they are released in reverse order on every path.
#pragma once

#include <memory>

#include "ExtendedMAPI.h"

namespace mapi {

struct ReleaseDeleter {
  template <class T>
  void operator()(T* p) const {
    if (p) p->Release();
  }
};
template <class T>
using ComPtr = std::unique_ptr<T, ReleaseDeleter>;

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

// Lets an owner receive a MAPI out-parameter: Call(..., Out(owner)). The
// owner is reset first, and takes whatever the call wrote when the full
// expression ends. So test the owner in a statement of its own:
// `if (FAILED(f(Out(p))) || !p)` still sees p empty.
template <class Owner>
class OutParam {
 public:
  using Raw = typename Owner::pointer;
  explicit OutParam(Owner& owner) : owner_(owner) { owner_.reset(); }
  ~OutParam() { owner_.reset(raw_); }
  OutParam(const OutParam&) = delete;
  OutParam& operator=(const OutParam&) = delete;
  operator Raw*() { return &raw_; }
  // For calls that return an untyped object (OpenEntry's LPUNKNOWN*,
  // QueryInterface's void**).
  template <class U>
  operator U**() {
    return reinterpret_cast<U**>(&raw_);
  }

 private:
  Owner& owner_;
  Raw raw_ = nullptr;
};

template <class Owner>
OutParam<Owner> Out(Owner& owner) {
  return OutParam<Owner>(owner);
}

}  // namespace mapi
