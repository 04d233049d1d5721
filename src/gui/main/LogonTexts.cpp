#include "LogonTexts.h"

#include <cstdio>

#include "MAPILogonTexts.h"
#include "MapiErrorText.h"
#include "WordWrap.h"

namespace gui {

std::optional<std::string> KnownInitializeErrorText(HRESULT hr) {
  return mapi::KnownInitializeErrorText(mapi::Flavour::Gui, hr);
}

std::string InitializeErrorText(HRESULT hr) {
  if (auto known = KnownInitializeErrorText(hr)) return *known;
  return mapi::MapiErrorText(mapi::Flavour::Gui, nullptr, hr) + "\r\n" + "\r\n" +
         "Please check that Extended MAPI/Outlook is installed!";
}

std::optional<std::string> KnownLogonErrorText(HRESULT hr) {
  return mapi::KnownLogonErrorText(hr);
}

std::string LogonErrorText(HRESULT hr) {
  return mapi::WrapLogonText(KnownLogonErrorText(hr).value_or("The logon did not succeed"));
}

}  // namespace gui
