// The sentences both programs show for a failed MAPIInitialize or MAPILogonEx
// whose code MAPI documents. Codes without a sentence give nothing: each
// caller has its own text for those.
#pragma once

#include <optional>
#include <string>

#include "ExtendedMAPI.h"

namespace mapi {

// The programs differ only in how the session-limit sentence is split: the
// console joins its parts with " - ", the GUI with lone carriage returns.
std::optional<std::string> KnownInitializeErrorText(Flavour flavour, HRESULT hr);

// MAPI_E_USER_CANCEL has a sentence here although the name check shows none.
std::optional<std::string> KnownLogonErrorText(HRESULT hr);

}  // namespace mapi
