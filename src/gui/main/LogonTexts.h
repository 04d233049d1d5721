// The texts the GUI shows for a failed MAPIInitialize or MAPILogonEx, shared
// by the main window's logon and the temporary-profile dialog's name check.
// The documented logon sentences are mapi::KnownLogonErrorText.
#pragma once

#include <optional>
#include <string>

#include "MAPIDefs.h"

namespace gui {

// The sentence for a MAPIInitialize failure that MAPI documents, in the
// GUI's form, or nothing for any other code (each caller has its own text
// for those).
std::optional<std::string> KnownInitializeErrorText(HRESULT hr);

// The main window's text: the documented sentence, else the MAPI error text
// of the code and a hint that Extended MAPI may be missing.
std::string InitializeErrorText(HRESULT hr);

// The main window's logon text for `hr`, word-wrapped at 42 columns.
std::string LogonErrorText(HRESULT hr);

}  // namespace gui
