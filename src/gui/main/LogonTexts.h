// The texts the GUI shows for a failed MAPIInitialize or MAPILogonEx, shared
// by the main window's logon and the temporary-profile dialog's name check.
#pragma once

#include <optional>
#include <string>

#include "MAPIDefs.h"
#include "TextForms.h"

namespace gui {

// The sentence for a MAPIInitialize failure that MAPI documents, or nothing
// for any other code (each caller has its own text for those).
std::optional<std::string> KnownInitializeErrorText(HRESULT hr);

// The main window's text: the documented sentence, else the MAPI error text
// of the code and a hint that Extended MAPI may be missing.
std::string InitializeErrorText(HRESULT hr);

// The logon sentences documented for MAPILogonEx; nothing for other codes.
// MAPI_E_USER_CANCEL has its own sentence here, which the name check does
// not show.
std::optional<std::string> KnownLogonErrorText(HRESULT hr);

// The main window's logon text for `hr`, word-wrapped at 42 columns.
std::string LogonErrorText(HRESULT hr);

// Shared with the console.
using mapi::Hex8;
using mapi::TrimBlanks;

}  // namespace gui
