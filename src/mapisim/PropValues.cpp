#include "PropValues.h"

#include <cstring>
#include <optional>

#include "Allocator.h"
#include "TimeConversion.h"

namespace mapisim {

PropCell LongCell(ULONG tag, std::int32_t value) {
  return PropCell{tag, value, {}};
}
PropCell BoolCell(ULONG tag, bool value) {
  return PropCell{tag, value ? 1 : 0, {}};
}
PropCell I8Cell(ULONG tag, std::int64_t value) {
  return PropCell{tag, value, {}};
}
PropCell TimeCell(ULONG tag, std::uint64_t filetime) {
  return PropCell{tag, static_cast<std::int64_t>(filetime), {}};
}
PropCell TextCell(ULONG tag, std::string_view text) {
  return PropCell{tag, 0, text};
}
PropCell BinaryCell(ULONG tag, std::string_view bytes) {
  return PropCell{tag, 0, bytes};
}
PropCell ErrorCell(ULONG tag, SCODE error) {
  return PropCell{CHANGE_PROP_TYPE(tag, PT_ERROR), error, {}};
}

std::string_view AsBytes(const std::vector<std::uint8_t>& bytes) {
  return AsBytes(bytes.data(), bytes.size());
}
std::string_view AsBytes(const BYTE* bytes, std::size_t size) {
  return size ? std::string_view(reinterpret_cast<const char*>(bytes), size) : std::string_view();
}

namespace {

// An 8-bit text served as PT_UNICODE under its own identifier.
Answer Widened(const PropCell& text) {
  return Answer{PropCell{CHANGE_PROP_TYPE(text.tag, PT_UNICODE), 0, text.bytes}, true};
}

}  // namespace

std::vector<PropCell> Views(const OwnedRow& row) {
  std::vector<PropCell> cells;
  cells.reserve(row.size());
  for (const auto& p : row) cells.push_back(p.View());
  return cells;
}

Answer Lookup(std::span<const PropCell> row, ULONG wanted, bool unicodeForUnspecified) {
  const ULONG id = PROP_ID(wanted);
  const ULONG type = PROP_TYPE(wanted);
  const PropCell* sameId = nullptr;
  for (const auto& c : row) {
    if (c.tag == wanted) return Answer{c, false};
    if (PROP_ID(c.tag) == id && !sameId) sameId = &c;
  }
  if (sameId) {
    const PropCell& c = *sameId;
    if (c.IsError()) return Answer{c, false};
    if (type == PT_UNSPECIFIED) {
      if (unicodeForUnspecified && c.Type() == PT_STRING8) return Widened(c);
      return Answer{c, false};
    }
    if (type == PT_UNICODE && c.Type() == PT_STRING8) return Widened(c);  // same tag as `wanted`
    // Another type of the same identifier (PT_LONG against PT_I8 and the
    // like): the caller asked for something this object does not hold.
    for (const auto& other : row)
      if (PROP_ID(other.tag) == id && other.Type() == type) return Answer{other, false};
  }
  return Answer{PropCell{CHANGE_PROP_TYPE(wanted, PT_ERROR), MAPI_E_NOT_FOUND, {}}, false};
}

Answer LookupWithHint(std::span<const PropCell> row, ULONG wanted, std::size_t* hint) {
  if (*hint < row.size() && row[*hint].tag == wanted) return Answer{row[*hint], false};
  for (std::size_t i = 0; i < row.size(); ++i)
    if (row[i].tag == wanted) {
      *hint = i;
      return Answer{row[i], false};
    }
  return Lookup(row, wanted);
}

namespace {

// Bytes of the child block that a value needs (texts and binaries, even
// an empty binary), or nullopt for a value without one.
std::optional<std::size_t> ChildBytes(const PropCell& c) {
  switch (c.Type()) {
    case PT_STRING8:
      return c.bytes.size() + 1;
    case PT_UNICODE:
      return (c.bytes.size() + 1) * sizeof(WCHAR);
    case PT_BINARY:
      return c.bytes.size();
    default:
      return std::nullopt;
  }
}

}  // namespace

SCODE WritePropArray(std::span<const Answer> values, LPSPropValue* out) {
  *out = nullptr;
  std::size_t arena = 0;
  for (const auto& a : values)
    if (auto bytes = ChildBytes(a.cell)) arena += RoundedChildSize(*bytes);
  const std::size_t n = values.empty() ? 1 : values.size();
  void* block = nullptr;
  SCODE sc = AllocateBuffer(static_cast<ULONG>(n * sizeof(SPropValue)), &block, arena);
  if (FAILED(sc)) return sc;
  auto* props = static_cast<SPropValue*>(block);
  if (values.empty()) std::memset(props, 0, sizeof(SPropValue));
  for (std::size_t i = 0; i < values.size(); ++i) {
    const PropCell& c = values[i].cell;
    SPropValue& v = props[i];
    v.ulPropTag = c.tag;
    v.dwAlignPad = 0;
    v.Value.li = 0;
    switch (c.Type()) {
      case PT_LONG:
        v.Value.l = static_cast<LONG>(c.num);
        break;
      case PT_BOOLEAN:
        v.Value.b = c.num ? 1 : 0;
        break;
      case PT_I8:
        v.Value.li = c.num;
        break;
      case PT_SYSTIME:
        v.Value.ft = platform::detail::MakeFileTime(static_cast<std::uint64_t>(c.num));
        break;
      case PT_ERROR:
        v.Value.err = static_cast<SCODE>(c.num);
        break;
      case PT_STRING8:
      case PT_UNICODE:
      case PT_BINARY: {
        void* child = nullptr;
        sc = AllocateMore(static_cast<ULONG>(*ChildBytes(c)), props, &child);
        if (FAILED(sc)) {
          FreeBuffer(props);
          return sc;
        }
        if (c.Type() == PT_STRING8) {
          auto* s = static_cast<char*>(child);
          std::memcpy(s, c.bytes.data(), c.bytes.size());
          s[c.bytes.size()] = '\0';
          v.Value.lpszA = s;
        } else if (c.Type() == PT_UNICODE) {
          auto* w = static_cast<WCHAR*>(child);
          for (std::size_t k = 0; k < c.bytes.size(); ++k)
            w[k] = static_cast<WCHAR>(static_cast<unsigned char>(c.bytes[k]));
          w[c.bytes.size()] = 0;
          v.Value.lpszW = w;
        } else {
          if (!c.bytes.empty()) std::memcpy(child, c.bytes.data(), c.bytes.size());
          v.Value.bin.cb = static_cast<ULONG>(c.bytes.size());
          v.Value.bin.lpb = static_cast<LPBYTE>(child);
        }
        break;
      }
      default:
        v.Value.li = c.num;
        break;
    }
  }
  *out = props;
  return S_OK;
}

bool ValidTagArray(const SPropTagArray* tags) {
  return tags && tags->cValues > 0 && tags->cValues <= kMaxCallerCount;
}

HRESULT AnswerGetProps(std::span<const PropCell> props, const SPropTagArray* tags, ULONG flags,
                       ULONG* lpcValues, LPSPropValue* lppPropArray,
                       const std::function<void(Answer&)>& alter) {
  if (!lpcValues || !lppPropArray) return MAPI_E_INVALID_PARAMETER;
  *lpcValues = 0;
  *lppPropArray = nullptr;
  if (tags && !ValidTagArray(tags)) return MAPI_E_INVALID_PARAMETER;
  const bool unicode = (flags & MAPI_UNICODE) != 0;
  std::vector<Answer> answers;
  if (tags) {
    answers.reserve(tags->cValues);
    for (ULONG i = 0; i < tags->cValues; ++i)
      answers.push_back(Lookup(props, tags->aulPropTag[i], unicode));
  } else {
    for (const auto& c : props) {
      answers.push_back(unicode && c.Type() == PT_STRING8 ? Widened(c) : Answer{c, false});
    }
  }
  if (alter)
    for (auto& a : answers) alter(a);
  bool anyError = false;
  for (const auto& a : answers) anyError |= a.cell.IsError();
  SCODE sc = WritePropArray(answers, lppPropArray);
  if (FAILED(sc)) return sc;
  *lpcValues = static_cast<ULONG>(answers.size());
  return anyError ? MAPI_W_ERRORS_RETURNED : S_OK;
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool TextOfValue(const SPropValue& value, std::string* text) {
  text->clear();
  if (PROP_TYPE(value.ulPropTag) == PT_STRING8) {
    if (!value.Value.lpszA) return false;
    *text = value.Value.lpszA;
    return true;
  }
  if (PROP_TYPE(value.ulPropTag) == PT_UNICODE) {
    if (!value.Value.lpszW) return false;
    for (const WCHAR* w = value.Value.lpszW; *w; ++w)
      text->push_back(*w <= 0xFF ? static_cast<char>(*w) : '?');
    return true;
  }
  return false;
}

}  // namespace mapisim
