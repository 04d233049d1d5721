// Reference counting, argument checks and the boundary of every server call.
#include "ServerBase.h"

#include <cmath>
#include <new>

#include "TextUtil.h"

namespace automation::server {

namespace {
struct MissingMember {};
}  // namespace

bool MemberIs(std::string_view name, std::string_view member) {
  return platform::EqualsNoCase(name, member);
}

void Args::Expect(ULONG count) const {
  if (count_ != count)
    throw ServerError(std::string(member_) + " takes " + std::to_string(count) +
                      " argument(s), not " + std::to_string(count_));
}

void Args::Mismatch(ULONG i, const char* wanted) const {
  throw ServerError(std::string(member_) + ": argument " + std::to_string(i + 1) + " is " +
                    VarTypeName(args_[i].Type()) + ", not " + wanted);
}

std::int64_t Args::Integer(ULONG i) const {
  const Variant& v = args_[i];
  if (const auto* x = v.If<std::int32_t>()) return *x;
  if (const auto* x = v.If<std::int64_t>()) return *x;
  if (const auto* x = v.If<bool>()) return *x ? -1 : 0;
  if (const auto* x = v.If<double>()) {
    if (std::isfinite(*x) && std::trunc(*x) == *x && std::fabs(*x) < 9.0e15)
      return static_cast<std::int64_t>(*x);
  }
  Mismatch(i, "a whole number");
}

std::string Args::Text(ULONG i) const {
  if (const auto* x = args_[i].If<std::string>()) return *x;
  Mismatch(i, "a text");
}

bool Args::Truth(ULONG i) const {
  if (const auto* x = args_[i].If<bool>()) return *x;
  return Integer(i) != 0;
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch)
    *object = static_cast<IDispatch*>(this);
  else
    *object = Interface(riid);
  if (!*object) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG DispatchObject::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void DispatchObject::MemberMissing() {
  throw MissingMember{};
}

HRESULT DispatchObject::Invoke(const char* name, InvokeKind kind, const Variant* args,
                               ULONG argCount, Variant* result, ExcepInfo* excep) {
  if (!name) return E_INVALIDARG;
  if (argCount > 0 && !args) return E_INVALIDARG;
  if (kind == InvokeKind::Put && argCount == 0) return DISP_E_BADPARAMCOUNT;
  try {
    Variant value = Dispatch(name, kind, Args(name, args, argCount));
    if (result) *result = std::move(value);
    return S_OK;
  } catch (const MissingMember&) {
    return DISP_E_MEMBERNOTFOUND;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    if (excep) *excep = ExcepInfo{Source(), e.what()};
    return DISP_E_EXCEPTION;
  }
}

namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateApplicationFn create) : create_(create) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(riid == IID_IUnknown || riid == IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      const DispatchRef application = create_();
      return application->QueryInterface(riid, object);
    } catch (const std::exception&) {
      return E_OUTOFMEMORY;
    }
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  ~ClassFactory() = default;
  CreateApplicationFn create_;
  ULONG refs_ = 1;
};

}  // namespace

HRESULT ServeClassObject(const CLSID& clsid, const CLSID* own, CreateApplicationFn create,
                         REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (own && !(clsid == *own)) return CLASS_E_CLASSNOTAVAILABLE;
  ComRef<IClassFactory> factory = ComRef<IClassFactory>::Adopt(new ClassFactory(create));
  return factory->QueryInterface(riid, object);
}

}  // namespace automation::server
