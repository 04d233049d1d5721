// Automation for the export jobs: class identifiers from ProgIDs, the
// running-object table, in-process servers created through the registry
// and the platform loader, and late-bound objects whose failures are
// exceptions carrying a message text.
#pragma once

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "OleVariant.h"

namespace automation {

inline constexpr HRESULT CO_E_CLASSSTRING = MakeHr(0x800401F3);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHr(0x80040154);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHr(0x800401F9);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHr(0x800401F8);
inline constexpr HRESULT MK_E_UNAVAILABLE = MakeHr(0x800401E3);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHr(0x80040111);

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

inline constexpr IID IID_IClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// What an in-process server's DllGetClassObject hands out.
struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The export an in-process server library provides.
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, REFIID riid, void** object);

// "{00024500-0000-0000-C000-000000000046}" and back.
std::string GuidText(const GUID& guid);
std::optional<GUID> ParseGuid(std::string_view text);

// HKEY_CLASSES_ROOT\<progId>\CLSID. CO_E_CLASSSTRING when the ProgID is not
// registered (the application is not installed).
HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid);

// The running-object table of this process. RegisterActiveObject keeps a
// reference until RevokeActiveObject; GetActiveObject answers
// MK_E_UNAVAILABLE when nothing runs for the class.
HRESULT RegisterActiveObject(IUnknown* object, const CLSID& clsid, DWORD flags,
                             DWORD* registration);
HRESULT RevokeActiveObject(DWORD registration, void* reserved);
HRESULT GetActiveObject(const CLSID& clsid, void* reserved, IUnknown** object);
// Ends automation in this process: every running object is revoked.
void CoUninitialize();

// Creates an instance of the in-process server registered under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, loaded by module name
// through the platform loader. The new application is entered in the
// running-object table, as an application started by automation registers
// itself. REGDB_E_CLASSNOTREG without a registration, CO_E_DLLNOTFOUND when
// the library cannot be loaded, CO_E_ERRORINDLL when it lacks the export.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);

// Enters an in-process server in HKEY_CLASSES_ROOT, as its own
// registration would: <progId>\CLSID and CLSID\{clsid}\InprocServer32 with
// the library's Windows module name ("recorder.dll", found in the system
// directory). ERROR_SUCCESS or the registry's code.
LONG RegisterInprocServer(const char* progId, const CLSID& clsid, const char* module);

// A failed automation call: the server's own message when it raised one,
// else a sentence naming the member and the code.
class EOleError : public std::runtime_error {
 public:
  EOleError(const std::string& message, HRESULT code) : std::runtime_error(message), code_(code) {}
  HRESULT code() const { return code_; }

 private:
  HRESULT code_;
};

// A late-bound automation object. Every call goes to the server at once;
// a failure throws EOleError.
class OleObject {
 public:
  OleObject() = default;
  explicit OleObject(DispatchRef dispatch) : dispatch_(std::move(dispatch)) {}

  Variant Get(std::string_view member, std::initializer_list<Variant> args = {}) const;
  // A property (Get) or a method's result (CallObject) that must be an
  // object.
  OleObject Object(std::string_view member, std::initializer_list<Variant> args = {}) const;
  OleObject CallObject(std::string_view member, std::initializer_list<Variant> args = {}) const;
  void Put(std::string_view member, const Variant& value) const;
  Variant Call(std::string_view member, std::initializer_list<Variant> args = {}) const;

  explicit operator bool() const { return static_cast<bool>(dispatch_); }
  const DispatchRef& dispatch() const { return dispatch_; }

 private:
  Variant Invoke(std::string_view member, InvokeKind kind, const Variant* args,
                 std::size_t count) const;
  static OleObject AsObject(std::string_view member, const Variant& value);
  DispatchRef dispatch_;
};

// The object's dispatch interface, asked for through QueryInterface.
DispatchRef QueryDispatch(IUnknown* object);

}  // namespace automation
