#include "MAPILogonTexts.h"

namespace mapi {

std::optional<std::string> KnownInitializeErrorText(Flavour flavour, HRESULT hr) {
  switch (hr) {
    case MAPI_E_INVALID_OBJECT:
      return "May fail if system resources are exhausted.";
    case MAPI_E_NOT_ENOUGH_RESOURCES:
      return "Not enough system resources were available to complete the operation.";
    case MAPI_E_VERSION:
      return "The version of OLE installed on the workstation is not compatible with this version "
             "of MAPI.";
    case MAPI_E_SESSION_LIMIT: {
      const char* join = flavour == Flavour::Console ? " - " : "\r";
      return std::string("MAPI sets up context specific to the current process.") + join +
             "Failures may occur on Win16 if the number of processes exceeds a certain number," +
             join + "or on any system if available memory is exhausted.";
    }
    case MAPI_E_TOO_COMPLEX:
      return "The keys required by MAPI could not be initialized.";
    case MAPI_E_NOT_INITIALIZED:
      return "The MAPI profile provider has encountered an error.";
    case MAPI_E_INVALID_PARAMETER:
      return "Invalid parameter or flag!";
    default:
      return std::nullopt;
  }
}

std::optional<std::string> KnownLogonErrorText(HRESULT hr) {
  switch (hr) {
    case MAPI_E_LOGON_FAILED:
      return "The logon did not succeed, either because one or more of the parameters to Profile "
             "were invalid or because there were too many sessions open already.";
    case MAPI_E_USER_CANCEL:
      return "The user canceled the operation, typically by choosing the Cancel button in a dialog "
             "box.";
    case MAPI_E_UNCONFIGURED:
      return "A service provider has not been configured, and therefore the operation did not "
             "complete.";
    case MAPI_E_TIMEOUT:
      return "MAPI serializes all logons through a mutex. This is returned if the another thread "
             "held the mutex.";
    default:
      return std::nullopt;
  }
}

}  // namespace mapi
