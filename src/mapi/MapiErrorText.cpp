#include "MapiErrorText.h"

#include <cstdio>

#include "MAPISTRDEF.h"
#include "MapiPtr.h"
#include "WordWrap.h"

namespace mapi {
namespace {

// "$%x": upper-case hexadecimal without leading zeros.
std::string CodeHex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(hr));
  return text;
}

std::string FallbackText(Flavour flavour, const std::string& name, HRESULT hr) {
  const char* head = flavour == Flavour::Console ? "MAPI ERROR:\r\n" : "";
  return head + name + "\r\nError Code: $" + CodeHex(hr);
}

std::string RecordText(Flavour flavour, const char* message, const char* component, HRESULT hr) {
  std::string text = flavour == Flavour::Console ? "MAPI:\r\n" : "";
  text += message;
  if (component && *component) text += std::string("\r\n\r\nComponent: ") + component;
  text += "\r\n\r\nError Code: $" + CodeHex(hr);
  return text;
}

}  // namespace

std::string MapiErrorText(Flavour flavour, const ErrorSource& object, HRESULT hr) {
  std::string text;
  try {
    MapiBuffer<MAPIERROR> record;
    HRESULT got = MAPI_E_NO_SUPPORT;
    if (object) {
      LPMAPIERROR raw = nullptr;
      try {
        got = object.GetLastError(hr, 0, &raw);
      } catch (...) {
        got = MAPI_E_NO_SUPPORT;
      }
      record.reset(raw);
    }
    if (object && SUCCEEDED(got) && record && record->lpszError && *record->lpszError)
      text = RecordText(flavour, record->lpszError, record->lpszComponent, hr);
    else
      text =
          FallbackText(flavour, MapiSymbolName("MAPIErrors", static_cast<std::uint32_t>(hr)), hr);
  } catch (...) {
    text = FallbackText(flavour, "Error", hr);
  }
  return WrapErrorText(text);
}

}  // namespace mapi
