// Late-bound calls that turn a failure into an exception with its text.
#include <cstdio>
#include <vector>

#include "OleAuto.h"

namespace automation {

const char* VarTypeName(VarType type) {
  static constexpr const char* kNames[] = {"VT_EMPTY", "VT_NULL", "VT_BOOL", "VT_I4",      "VT_I8",
                                           "VT_R8",    "VT_BSTR", "VT_DATE", "VT_DISPATCH"};
  return kNames[static_cast<int>(type)];
}

namespace {

std::string CodeText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
  return text;
}

// What a failure says when the server gave no message of its own.
std::string FailureText(std::string_view member, HRESULT hr) {
  const std::string name(member);
  switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
      return "Member not found: " + name;
    case DISP_E_BADPARAMCOUNT:
      return "Invalid number of parameters: " + name;
    case DISP_E_TYPEMISMATCH:
      return "Type mismatch: " + name;
    case DISP_E_BADINDEX:
      return "Invalid index: " + name;
    default:
      return "Automation call " + name + " failed with code " + CodeText(hr);
  }
}

}  // namespace

DispatchRef QueryDispatch(IUnknown* object) {
  DispatchRef dispatch;
  if (object) object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()));
  return dispatch;
}

Variant OleObject::Invoke(std::string_view member, InvokeKind kind, const Variant* args,
                          std::size_t count) const {
  if (!dispatch_) throw EOleError("Automation object is not assigned", E_POINTER);
  const std::string name(member);
  Variant result;
  ExcepInfo excep;
  const HRESULT hr =
      dispatch_->Invoke(name.c_str(), kind, args, static_cast<ULONG>(count), &result, &excep);
  if (hr == DISP_E_EXCEPTION)
    throw EOleError(excep.description.empty() ? FailureText(member, hr) : excep.description, hr);
  if (FAILED(hr)) throw EOleError(FailureText(member, hr), hr);
  return result;
}

Variant OleObject::Get(std::string_view member, std::initializer_list<Variant> args) const {
  return Invoke(member, InvokeKind::Get, args.begin(), args.size());
}

OleObject OleObject::Object(std::string_view member, std::initializer_list<Variant> args) const {
  return AsObject(member, Invoke(member, InvokeKind::Get, args.begin(), args.size()));
}

OleObject OleObject::CallObject(std::string_view member,
                                std::initializer_list<Variant> args) const {
  return AsObject(member, Invoke(member, InvokeKind::Call, args.begin(), args.size()));
}

OleObject OleObject::AsObject(std::string_view member, const Variant& value) {
  const DispatchRef* dispatch = value.If<DispatchRef>();
  if (!dispatch || !*dispatch)
    throw EOleError("Automation member " + std::string(member) + " is not an object",
                    DISP_E_TYPEMISMATCH);
  return OleObject(*dispatch);
}

void OleObject::Put(std::string_view member, const Variant& value) const {
  Invoke(member, InvokeKind::Put, &value, 1);
}

Variant OleObject::Call(std::string_view member, std::initializer_list<Variant> args) const {
  return Invoke(member, InvokeKind::Call, args.begin(), args.size());
}

}  // namespace automation
