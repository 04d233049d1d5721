#include "ErrorRecord.h"

#include <cstring>

#include "Allocator.h"

namespace mapisim {
namespace {

SCODE CopyText(const std::optional<std::string>& text, void* root, LPSTR* out) {
  *out = nullptr;
  if (!text) return S_OK;
  void* p = nullptr;
  SCODE sc = AllocateMore(static_cast<ULONG>(text->size() + 1), root, &p);
  if (FAILED(sc)) return sc;
  std::memcpy(p, text->c_str(), text->size() + 1);
  *out = static_cast<LPSTR>(p);
  return S_OK;
}

}  // namespace

HRESULT HandOutErrorRecord(const std::optional<ErrorRecord>& record, ULONG flags,
                           LPMAPIERROR* lppMAPIError) {
  if (!lppMAPIError) return MAPI_E_INVALID_PARAMETER;
  *lppMAPIError = nullptr;
  if (flags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!record) return S_OK;
  void* block = nullptr;
  SCODE sc = AllocateBuffer(sizeof(MAPIERROR), &block);
  if (FAILED(sc)) return sc;
  auto* err = static_cast<MAPIERROR*>(block);
  std::memset(err, 0, sizeof *err);
  err->ulVersion = 0;  // MAPI_ERROR_VERSION
  if (FAILED(sc = CopyText(record->message, err, &err->lpszError)) ||
      FAILED(sc = CopyText(record->component, err, &err->lpszComponent))) {
    FreeBuffer(err);
    return sc;
  }
  *lppMAPIError = err;
  return S_OK;
}

}  // namespace mapisim
