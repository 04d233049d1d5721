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

std::string Hex8(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(hr));
  return buf;
}

std::string TrimBlanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

}  // namespace gui
