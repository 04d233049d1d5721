// The COM base interface: reference counting and interface queries, shared
// by the MAPI interfaces, the directory objects and automation.
#pragma once

#include "WinTypes.h"

inline constexpr IID IID_IUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Objects are reference counted; Release frees the object when the last
// reference goes.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;
