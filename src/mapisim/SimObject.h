// What every interface object of the library shares: a reference count,
// the accounting of live objects, the error record of its last failing call
// for GetLastError, fault checks under the object's own names, and a guard
// that turns exceptions into MAPI codes (none may cross the interface).
#pragma once

#include <atomic>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Accounting.h"
#include "ErrorRecord.h"
#include "Faults.h"
#include "MAPIDefs.h"
#include "OrgReader.h"

namespace mapisim {

template <class Iface>
class SimObject : public Iface {
 public:
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
  }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return MAPI_E_INVALID_PARAMETER;
    *ppv = nullptr;
    auto match = [this] { return FaultMatch(); };
    if (auto hr = Fault(QueryInterfaceCall(), match, 0)) return *hr;
    if (riid == IID_IUnknown || Implements(riid)) {
      AddRef();
      *ppv = static_cast<Iface*>(this);
      return S_OK;
    }
    return MAPI_E_INTERFACE_NOT_SUPPORTED;
  }

 protected:
  SimObject() { CountObjectCreated(); }
  virtual ~SimObject() { CountObjectDestroyed(); }

  // The interfaces (besides IUnknown) that QueryInterface hands out as this
  // very object.
  virtual bool Implements(REFIID riid) const = 0;
  // "IMsgStore::QueryInterface" and the like, and its match argument.
  virtual const char* QueryInterfaceCall() const = 0;
  virtual std::string FaultMatch() const = 0;

  // A fault for this call: its error record is left on the object and its
  // code returned; nullopt when the call may go on.
  std::optional<HRESULT> Fault(std::string_view call, std::string_view match, ULONG flags) {
    return Hit(CheckFault(call, match, flags));
  }
  // The same with a match text that costs something to make.
  std::optional<HRESULT> Fault(std::string_view call, MatchText match, ULONG flags) {
    return Hit(CheckFault(call, match, flags));
  }
  std::optional<HRESULT> FaultNoMatch(std::string_view call, ULONG flags) {
    return Hit(CheckFaultNoMatch(call, flags));
  }

  // Records a failure of this object and returns its code.
  HRESULT Fail(HRESULT hr, std::string message, const char* component) {
    lastError_ = ErrorRecord{std::move(message), std::string(component)};
    return hr;
  }

  // GetLastError: the fault check under `call`, then the record.
  HRESULT HandOutLastError(std::string_view call, std::string_view match, ULONG flags,
                           LPMAPIERROR* lppMAPIError) {
    if (lppMAPIError) *lppMAPIError = nullptr;
    if (auto hr = Fault(call, match, flags)) return *hr;
    return HandOutRecord(flags, lppMAPIError);
  }
  HRESULT HandOutRecord(ULONG flags, LPMAPIERROR* lppMAPIError) {
    return HandOutErrorRecord(lastError_, flags, lppMAPIError);
  }

  // Runs a method body; an exception becomes a failure code with a record.
  template <class F>
  HRESULT Guarded(const char* component, F&& body) {
    try {
      return body();
    } catch (const std::bad_alloc&) {
      return Fail(MAPI_E_NOT_ENOUGH_MEMORY, "Not enough memory to complete the operation.",
                  component);
    } catch (const orgdb::OrgDbError& e) {
      // The organisation's data failed while in use: to the caller the
      // server has gone away.
      return Fail(MAPI_E_NETWORK_ERROR, e.what(), component);
    } catch (const std::exception& e) {
      return Fail(MAPI_E_CALL_FAILED, e.what(), component);
    }
  }

 private:
  std::optional<HRESULT> Hit(std::optional<FaultHit> hit) {
    if (!hit) return std::nullopt;
    if (hit->message || hit->component)
      lastError_ = ErrorRecord{hit->message, hit->component};
    else
      lastError_.reset();
    return hit->hr;
  }

  std::atomic<ULONG> refs_{1};
  std::optional<ErrorRecord> lastError_;
};

// Interface pointers handed out through an untyped out-parameter.
template <class T>
LPUNKNOWN AsUnknown(T* object) {
  return static_cast<LPUNKNOWN>(object);
}

}  // namespace mapisim
