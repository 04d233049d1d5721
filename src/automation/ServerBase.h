// What every in-process automation server of this folder shares: objects
// reached by member name with reference counting, the checks on a call's
// arguments, and the class factory its DllGetClassObject hands out. A
// server raises ServerError with its message; Invoke turns it into
// DISP_E_EXCEPTION, so that no exception crosses the library boundary.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "OleAuto.h"

namespace automation::server {

class ServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments of one call, with checks that raise the server's messages.
class Args {
 public:
  Args(std::string_view member, const Variant* args, ULONG count)
      : member_(member), args_(args), count_(count) {}
  ULONG size() const { return count_; }
  const Variant& operator[](ULONG i) const { return args_[i]; }
  // Raises unless exactly `count` arguments came.
  void Expect(ULONG count) const;
  // Argument i as a whole number (32- or 64-bit integer, Boolean or a double
  // without fraction), as a text, as a truth value.
  std::int64_t Integer(ULONG i) const;
  std::string Text(ULONG i) const;
  bool Truth(ULONG i) const;

 private:
  [[noreturn]] void Mismatch(ULONG i, const char* wanted) const;
  std::string_view member_;
  const Variant* args_;
  ULONG count_;
};

class DispatchObject : public IDispatch {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT Invoke(const char* name, InvokeKind kind, const Variant* args, ULONG argCount,
                 Variant* result, ExcepInfo* excep) final;

 protected:
  DispatchObject() = default;
  virtual ~DispatchObject() = default;
  // Answers the member `name` (as sent; compare without regard to case).
  // Raises ServerError for a failure, MemberMissing() for an unknown member.
  virtual Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) = 0;
  // Further interfaces of the object; the base answers IUnknown and
  // IDispatch.
  virtual void* Interface(REFIID /*riid*/) { return nullptr; }
  // The source named in a raised error ("Microsoft Excel" style names are
  // the server's own).
  virtual const char* Source() const = 0;

  [[noreturn]] static void MemberMissing();

 private:
  ULONG refs_ = 1;
};

// Wraps a fresh object (reference count 1) into an owner.
template <class T, class... A>
DispatchRef MakeObject(A&&... a) {
  return DispatchRef::Adopt(new T(std::forward<A>(a)...));
}

// A class factory that makes the server's application object.
using CreateApplicationFn = DispatchRef (*)();

// The body of a server's DllGetClassObject: the factory for `create` when
// `clsid` is the server's own (any class when `own` is null).
HRESULT ServeClassObject(const CLSID& clsid, const CLSID* own, CreateApplicationFn create,
                         REFIID riid, void** object);

bool MemberIs(std::string_view name, std::string_view member);

}  // namespace automation::server
