// Owners that need no MAPI library functions: interface references, which
// are released, and the out-parameter adapter for any owner. Usable by code
// that loads the library at run time as well as by the programs.
#pragma once

#include <memory>

namespace mapi {

struct ReleaseDeleter {
  template <class T>
  void operator()(T* p) const {
    if (p) p->Release();
  }
};
template <class T>
using ComPtr = std::unique_ptr<T, ReleaseDeleter>;

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
