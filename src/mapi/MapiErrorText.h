// The one routine that turns a MAPI failure into text: the provider's own
// description of the failing object's last error when there is one, else
// the code's symbolic name. Never fails.
#pragma once

#include <functional>
#include <string>

#include "ExtendedMAPI.h"

namespace mapi {

// Anything with GetLastError (session, store, table, address book, profile
// or service administration, mail user), or nothing.
class ErrorSource {
 public:
  ErrorSource() = default;
  ErrorSource(std::nullptr_t) {}
  template <class T>
  ErrorSource(T* object) {
    if (object)
      get_ = [object](HRESULT hr, ULONG flags, LPMAPIERROR* err) {
        return object->GetLastError(hr, flags, err);
      };
  }
  explicit operator bool() const { return static_cast<bool>(get_); }
  HRESULT GetLastError(HRESULT hr, ULONG flags, LPMAPIERROR* err) const {
    return get_(hr, flags, err);
  }

 private:
  std::function<HRESULT(HRESULT, ULONG, LPMAPIERROR*)> get_;
};

// Word-wrapped at 60 columns with CR LF, never inside a quoted passage.
std::string MapiErrorText(Flavour flavour, const ErrorSource& object, HRESULT hr);

}  // namespace mapi
