#include "Restriction.h"

#include <string>

#include "TimeConversion.h"

namespace mapisim {
namespace {

HRESULT CopyValue(const SPropValue& v, OwnedProp* out) {
  out->bytes.clear();
  out->num = 0;
  switch (PROP_TYPE(v.ulPropTag)) {
    case PT_I2:
      out->tag = CHANGE_PROP_TYPE(v.ulPropTag, PT_LONG);
      out->num = v.Value.i;
      return S_OK;
    case PT_LONG:
      out->tag = v.ulPropTag;
      out->num = v.Value.l;
      return S_OK;
    case PT_BOOLEAN:
      out->tag = v.ulPropTag;
      out->num = v.Value.b ? 1 : 0;
      return S_OK;
    case PT_I8:
      out->tag = v.ulPropTag;
      out->num = v.Value.li;
      return S_OK;
    case PT_SYSTIME:
      out->tag = v.ulPropTag;
      out->num = static_cast<std::int64_t>(platform::detail::FileTimeValue(v.Value.ft));
      return S_OK;
    case PT_STRING8:
    case PT_UNICODE: {
      std::string text;
      if (!TextOfValue(v, &text)) return MAPI_E_INVALID_PARAMETER;
      out->tag = CHANGE_PROP_TYPE(v.ulPropTag, PT_STRING8);
      out->bytes = std::move(text);
      return S_OK;
    }
    case PT_BINARY:
      if (v.Value.bin.cb > 0 && !v.Value.bin.lpb) return MAPI_E_INVALID_PARAMETER;
      out->tag = v.ulPropTag;
      out->bytes.assign(reinterpret_cast<const char*>(v.Value.bin.lpb), v.Value.bin.cb);
      return S_OK;
    default:
      return MAPI_E_TOO_COMPLEX;
  }
}

HRESULT Compile(const SRestriction* res, CompiledRestriction* out, int depth) {
  if (!res) return MAPI_E_INVALID_PARAMETER;
  if (depth > kMaxRestrictionDepth) return MAPI_E_TOO_COMPLEX;
  out->rt = res->rt;
  out->children.clear();
  switch (res->rt) {
    case RES_AND:
    case RES_OR: {
      const ULONG n = res->rt == RES_AND ? res->res.resAnd.cRes : res->res.resOr.cRes;
      const SRestriction* terms = res->rt == RES_AND ? res->res.resAnd.lpRes : res->res.resOr.lpRes;
      if (n > kMaxCallerCount || (n > 0 && !terms)) return MAPI_E_INVALID_PARAMETER;
      out->children.resize(n);
      for (ULONG i = 0; i < n; ++i) {
        HRESULT hr = Compile(&terms[i], &out->children[i], depth + 1);
        if (FAILED(hr)) return hr;
      }
      return S_OK;
    }
    case RES_NOT:
      out->children.resize(1);
      return Compile(res->res.resNot.lpRes, &out->children[0], depth + 1);
    case RES_PROPERTY: {
      const SPropertyRestriction& p = res->res.resProperty;
      if (!p.lpProp) return MAPI_E_INVALID_PARAMETER;
      if (p.relop > RELOP_NE) return MAPI_E_TOO_COMPLEX;
      if (PROP_TYPE(p.ulPropTag) & MV_FLAG) return MAPI_E_TOO_COMPLEX;
      out->relop = p.relop;
      out->tag = p.ulPropTag;
      return CopyValue(*p.lpProp, &out->value);
    }
    case RES_EXIST:
      out->tag = res->res.resExist.ulPropTag;
      return S_OK;
    default:
      return MAPI_E_TOO_COMPLEX;
  }
}

// The row's value that a sort key on this identifier and type compares: the
// first that is not an error, of any type for PT_UNSPECIFIED.
const PropCell* KeyCell(std::span<const PropCell> row, ULONG id, ULONG type) {
  for (const auto& c : row)
    if (PROP_ID(c.tag) == id && !c.IsError() && (type == PT_UNSPECIFIED || c.Type() == type))
      return &c;
  return nullptr;
}

// The row's value that a restriction on this identifier and type compares.
const PropCell* ValueFor(std::span<const PropCell> row, ULONG id, ULONG type) {
  for (const auto& c : row)
    if (PROP_ID(c.tag) == id && c.Type() == type) return &c;
  return nullptr;
}

}  // namespace

HRESULT CompileRestriction(const SRestriction* res, CompiledRestriction* out) {
  return Compile(res, out, 0);
}

int CompareValues(const PropCell& a, const PropCell& b) {
  switch (a.Type()) {
    case PT_STRING8:
      return CompareTextNoCase(a.bytes, b.bytes);
    case PT_BINARY: {
      const std::size_t n = a.bytes.size() < b.bytes.size() ? a.bytes.size() : b.bytes.size();
      for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a.bytes[i]);
        const auto y = static_cast<unsigned char>(b.bytes[i]);
        if (x != y) return x < y ? -1 : 1;
      }
      if (a.bytes.size() == b.bytes.size()) return 0;
      return a.bytes.size() < b.bytes.size() ? -1 : 1;
    }
    case PT_SYSTIME: {
      const auto x = static_cast<std::uint64_t>(a.num);
      const auto y = static_cast<std::uint64_t>(b.num);
      return x == y ? 0 : (x < y ? -1 : 1);
    }
    default:
      return a.num == b.num ? 0 : (a.num < b.num ? -1 : 1);
  }
}

bool Evaluate(const CompiledRestriction& res, std::span<const PropCell> row) {
  switch (res.rt) {
    case RES_AND:
      for (const auto& c : res.children)
        if (!Evaluate(c, row)) return false;
      return true;
    case RES_OR:
      for (const auto& c : res.children)
        if (Evaluate(c, row)) return true;
      return false;
    case RES_NOT:
      return !Evaluate(res.children[0], row);
    case RES_EXIST:
      for (const auto& c : row)
        if (PROP_ID(c.tag) == PROP_ID(res.tag) && !c.IsError()) return true;
      return false;
    case RES_PROPERTY: {
      const PropCell want = res.value.View();
      const PropCell* have = ValueFor(row, PROP_ID(res.tag), want.Type());
      if (!have) return false;
      const int r = CompareValues(*have, want);
      switch (res.relop) {
        case RELOP_LT:
          return r < 0;
        case RELOP_LE:
          return r <= 0;
        case RELOP_GT:
          return r > 0;
        case RELOP_GE:
          return r >= 0;
        case RELOP_EQ:
          return r == 0;
        case RELOP_NE:
          return r != 0;
        default:
          return false;
      }
    }
    default:
      return false;
  }
}

int CompareRows(std::span<const PropCell> a, std::span<const PropCell> b,
                std::span<const SortKey> keys) {
  for (const auto& k : keys) {
    const ULONG id = PROP_ID(k.tag);
    // Texts are held 8-bit; a key on the wide form sorts the same texts.
    const ULONG type = PROP_TYPE(k.tag) == PT_UNICODE ? PT_STRING8 : PROP_TYPE(k.tag);
    const PropCell* x = KeyCell(a, id, type);
    const PropCell* y = KeyCell(b, id, type);
    int r;
    if (!x || !y)
      r = (x ? 1 : 0) - (y ? 1 : 0);
    else if (x->Type() != y->Type())
      r = x->Type() < y->Type() ? -1 : 1;
    else
      r = CompareValues(*x, *y);
    if (r != 0) return k.descending ? -r : r;
  }
  return 0;
}

}  // namespace mapisim
