#include "LogonTexts.h"

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

std::string LogonErrorText(HRESULT hr) {
  return mapi::WrapLogonText(mapi::KnownLogonErrorText(hr).value_or("The logon did not succeed"));
}

}  // namespace gui
