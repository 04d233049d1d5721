#include "PropCopy.h"

#include <cstring>

#include "PropValues.h"

namespace mapisim {
namespace {

constexpr std::size_t Align8(std::size_t n) {
  return (n + 7) & ~std::size_t{7};
}

std::size_t WideLength(const WCHAR* w) {
  std::size_t n = 0;
  while (w[n]) ++n;
  return n;
}

// Bytes that one value's pointed-to data takes, 8-byte aligned; false when
// the value cannot be copied.
bool ExtraBytes(const SPropValue& v, std::size_t* bytes) {
  *bytes = 0;
  switch (PROP_TYPE(v.ulPropTag)) {
    case PT_UNSPECIFIED:
    case PT_NULL:
    case PT_I2:
    case PT_LONG:
    case PT_R4:
    case PT_DOUBLE:
    case PT_CURRENCY:
    case PT_APPTIME:
    case PT_ERROR:
    case PT_BOOLEAN:
    case PT_OBJECT:
    case PT_I8:
    case PT_SYSTIME:
      return true;
    case PT_STRING8:
      if (!v.Value.lpszA) return false;
      *bytes = Align8(std::strlen(v.Value.lpszA) + 1);
      return true;
    case PT_UNICODE:
      if (!v.Value.lpszW) return false;
      *bytes = Align8((WideLength(v.Value.lpszW) + 1) * sizeof(WCHAR));
      return true;
    case PT_CLSID:
      if (!v.Value.lpguid) return false;
      *bytes = Align8(sizeof(GUID));
      return true;
    case PT_BINARY:
      if (v.Value.bin.cb > 0 && !v.Value.bin.lpb) return false;
      *bytes = Align8(v.Value.bin.cb);
      return true;
    case PT_MV_STRING8: {
      const SLPSTRArray& a = v.Value.MVszA;
      if (a.cValues > 0 && !a.lppszA) return false;
      std::size_t n = Align8(a.cValues * sizeof(LPSTR));
      for (ULONG i = 0; i < a.cValues; ++i) {
        if (!a.lppszA[i]) return false;
        n += Align8(std::strlen(a.lppszA[i]) + 1);
      }
      *bytes = n;
      return true;
    }
    case PT_MV_BINARY: {
      const SBinaryArray& a = v.Value.MVbin;
      if (a.cValues > 0 && !a.lpbin) return false;
      std::size_t n = Align8(a.cValues * sizeof(SBinary));
      for (ULONG i = 0; i < a.cValues; ++i) {
        if (a.lpbin[i].cb > 0 && !a.lpbin[i].lpb) return false;
        n += Align8(a.lpbin[i].cb);
      }
      *bytes = n;
      return true;
    }
    default:
      return false;
  }
}

// Hands out aligned pieces of the block after the array.
class Cursor {
 public:
  explicit Cursor(unsigned char* p) : p_(p) {}
  void* Take(std::size_t n) {
    void* r = p_;
    p_ += Align8(n);
    return r;
  }

 private:
  unsigned char* p_;
};

}  // namespace

SCODE CountPropArray(int cValues, const SPropValue* props, ULONG* bytes) {
  if (cValues <= 0 || !props || static_cast<ULONG>(cValues) > kMaxCallerCount)
    return MAPI_E_INVALID_PARAMETER;
  std::size_t total = Align8(static_cast<std::size_t>(cValues) * sizeof(SPropValue));
  for (int i = 0; i < cValues; ++i) {
    std::size_t extra = 0;
    if (!ExtraBytes(props[i], &extra)) return MAPI_E_INVALID_PARAMETER;
    total += extra;
    if (total > 0x7FFFFFFF) return MAPI_E_NOT_ENOUGH_MEMORY;
  }
  *bytes = static_cast<ULONG>(total);
  return S_OK;
}

void CopyPropArray(int cValues, const SPropValue* props, void* block) {
  auto* out = static_cast<SPropValue*>(block);
  std::memcpy(out, props, static_cast<std::size_t>(cValues) * sizeof(SPropValue));
  Cursor cursor(static_cast<unsigned char*>(block) +
                Align8(static_cast<std::size_t>(cValues) * sizeof(SPropValue)));
  for (int i = 0; i < cValues; ++i) {
    SPropValue& v = out[i];
    switch (PROP_TYPE(v.ulPropTag)) {
      case PT_STRING8: {
        const std::size_t n = std::strlen(props[i].Value.lpszA) + 1;
        v.Value.lpszA = static_cast<LPSTR>(std::memcpy(cursor.Take(n), props[i].Value.lpszA, n));
        break;
      }
      case PT_UNICODE: {
        const std::size_t n = (WideLength(props[i].Value.lpszW) + 1) * sizeof(WCHAR);
        v.Value.lpszW = static_cast<LPWSTR>(std::memcpy(cursor.Take(n), props[i].Value.lpszW, n));
        break;
      }
      case PT_CLSID:
        v.Value.lpguid = static_cast<LPGUID>(
            std::memcpy(cursor.Take(sizeof(GUID)), props[i].Value.lpguid, sizeof(GUID)));
        break;
      case PT_BINARY: {
        const ULONG n = props[i].Value.bin.cb;
        void* dst = cursor.Take(n);
        if (n) std::memcpy(dst, props[i].Value.bin.lpb, n);
        v.Value.bin.lpb = static_cast<LPBYTE>(dst);
        break;
      }
      case PT_MV_STRING8: {
        const SLPSTRArray& src = props[i].Value.MVszA;
        auto* list = static_cast<LPSTR*>(cursor.Take(src.cValues * sizeof(LPSTR)));
        for (ULONG k = 0; k < src.cValues; ++k) {
          const std::size_t n = std::strlen(src.lppszA[k]) + 1;
          list[k] = static_cast<LPSTR>(std::memcpy(cursor.Take(n), src.lppszA[k], n));
        }
        v.Value.MVszA.lppszA = list;
        break;
      }
      case PT_MV_BINARY: {
        const SBinaryArray& src = props[i].Value.MVbin;
        auto* list = static_cast<SBinary*>(cursor.Take(src.cValues * sizeof(SBinary)));
        for (ULONG k = 0; k < src.cValues; ++k) {
          list[k].cb = src.lpbin[k].cb;
          list[k].lpb = static_cast<LPBYTE>(cursor.Take(src.lpbin[k].cb));
          if (src.lpbin[k].cb) std::memcpy(list[k].lpb, src.lpbin[k].lpb, src.lpbin[k].cb);
        }
        v.Value.MVbin.lpbin = list;
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace mapisim
