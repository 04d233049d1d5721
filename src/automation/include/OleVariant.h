// Automation values and the dispatch interface: what travels between a
// client and an automation server when members are reached by name.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "ComBase.h"

namespace automation {

// An owned interface reference: AddRef on copy, Release when it goes.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  // Takes over a reference the caller already holds (a fresh object, an
  // out-parameter).
  static ComRef Adopt(T* p) {
    ComRef r;
    r.p_ = p;
    return r;
  }
  // Adds a reference of its own.
  static ComRef Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  ComRef(const ComRef& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComRef& operator=(ComRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComRef() { reset(); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For an out-parameter: releases what is held and hands out the slot.
  T** Put() {
    reset();
    return &p_;
  }
  bool operator==(const ComRef& o) const { return p_ == o.p_; }

 private:
  T* p_ = nullptr;
};

struct IDispatch;
using DispatchRef = ComRef<IDispatch>;

// The variant types that automation passes, as VT_EMPTY, VT_NULL, VT_BOOL,
// VT_I4, VT_I8, VT_R8, VT_BSTR, VT_DATE and VT_DISPATCH.
enum class VarType { Empty, Null, Boolean, Int32, Int64, Double, String, Date, Dispatch };

struct NullValue {
  bool operator==(const NullValue&) const = default;
};
// Days since 30 December 1899, the time of day as the fraction.
struct DateValue {
  double days = 0;
  bool operator==(const DateValue&) const = default;
};

// One automation value. Strings are Unicode (UTF-8), as BSTRs are.
class Variant {
 public:
  // The alternatives in the order of VarType.
  using Value = std::variant<std::monostate, NullValue, bool, std::int32_t, std::int64_t, double,
                             std::string, DateValue, DispatchRef>;

  Variant() = default;
  Variant(bool v) : value_(v) {}
  Variant(std::int32_t v) : value_(v) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(DispatchRef v) : value_(std::move(v)) {}
  static Variant Null() { return Variant(Value(NullValue{})); }
  static Variant Date(double days) { return Variant(Value(DateValue{days})); }

  VarType Type() const { return static_cast<VarType>(value_.index()); }
  const Value& value() const { return value_; }
  template <class T>
  const T* If() const {
    return std::get_if<T>(&value_);
  }

 private:
  explicit Variant(Value v) : value_(std::move(v)) {}
  Value value_;
};

// "VT_I4" and so on.
const char* VarTypeName(VarType type);

// How a member is reached: DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
// DISPATCH_METHOD.
enum class InvokeKind { Get, Put, Call };

// Why a call failed, when Invoke answers DISP_E_EXCEPTION.
struct ExcepInfo {
  std::string source;
  std::string description;
};

inline constexpr IID IID_IDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHr(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHr(0x80020005);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHr(0x80020009);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHr(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHr(0x8002000E);

// Late-bound access to an automation object.
struct IDispatch : IUnknown {
  // Gets, puts or calls the member `name` (in any case) with `args` in
  // their written order; a put passes the new value as the last argument.
  // `result` receives a get's or call's value (Empty when there is none).
  // Answers S_OK; DISP_E_EXCEPTION with `excep` filled when the object
  // raised an error; DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
  // DISP_E_TYPEMISMATCH for a call it cannot take.
  virtual HRESULT Invoke(const char* name, InvokeKind kind, const Variant* args, ULONG argCount,
                         Variant* result, ExcepInfo* excep) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace automation
