// Hand-written MAPI objects for the unit tests of the store routines. Each
// counts its references (it lives on the test's stack; the count shows that
// the code under test released what it took) and records how it was called.
// Memory handed out comes from the bound MAPI library (the fake library), so
// a test can check that every block went back.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ExtendedMAPI.h"

namespace mapitest {

template <class Interface>
class Counted : public Interface {
 public:
  int refs = 1;
  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG Release() override { return static_cast<ULONG>(--refs); }
};

// A block from MAPIAllocateBuffer holding `bytes`.
inline void* MapiCopy(const void* bytes, std::size_t size) {
  LPVOID block = nullptr;
  if (FAILED(mapi::MAPIAllocateBuffer(static_cast<ULONG>(size ? size : 1), &block))) return nullptr;
  if (size) std::memcpy(block, bytes, size);
  return block;
}

// GetProps answers one value, made by `answer`, with the result `result`.
struct PropAnswer {
  HRESULT result = S_OK;
  ULONG tag = 0;      // the tag of the value handed back
  std::string bytes;  // string (without terminator) or binary content
  std::u16string wide;
  SCODE error = 0;  // for PT_ERROR values
  bool noValues = false;
};

inline PropAnswer ErrorValue(ULONG tag, SCODE error) {
  PropAnswer a;
  a.result = MAPI_W_ERRORS_RETURNED;
  a.tag = CHANGE_PROP_TYPE(tag, PT_ERROR);
  a.error = error;
  return a;
}
inline PropAnswer FailedCall(HRESULT hr) {
  PropAnswer a;
  a.result = hr;
  return a;
}
inline PropAnswer Value(ULONG tag, std::string bytes) {
  PropAnswer a;
  a.tag = tag;
  a.bytes = std::move(bytes);
  return a;
}
inline PropAnswer NoValues() {
  PropAnswer a;
  a.noValues = true;
  return a;
}

// Fills a single property value block for GetProps.
inline HRESULT AnswerProps(const PropAnswer& a, ULONG* count, LPSPropValue* props) {
  *count = 0;
  *props = nullptr;
  if (FAILED(a.result) || a.noValues) return a.result;
  LPVOID block = nullptr;
  mapi::MAPIAllocateBuffer(sizeof(SPropValue), &block);
  auto* v = static_cast<LPSPropValue>(block);
  std::memset(v, 0, sizeof *v);
  v->ulPropTag = a.tag;
  LPVOID data = nullptr;
  switch (PROP_TYPE(a.tag)) {
    case PT_STRING8:
      mapi::MAPIAllocateMore(static_cast<ULONG>(a.bytes.size() + 1), block, &data);
      std::memcpy(data, a.bytes.c_str(), a.bytes.size() + 1);
      v->Value.lpszA = static_cast<LPSTR>(data);
      break;
    case PT_UNICODE:
      mapi::MAPIAllocateMore(static_cast<ULONG>((a.wide.size() + 1) * 2), block, &data);
      std::memcpy(data, a.wide.c_str(), (a.wide.size() + 1) * 2);
      v->Value.lpszW = static_cast<LPWSTR>(data);
      break;
    case PT_BINARY:
      mapi::MAPIAllocateMore(static_cast<ULONG>(a.bytes.size() + 1), block, &data);
      std::memcpy(data, a.bytes.data(), a.bytes.size());
      v->Value.bin.cb = static_cast<ULONG>(a.bytes.size());
      v->Value.bin.lpb = static_cast<LPBYTE>(data);
      break;
    case PT_ERROR:
      v->Value.err = a.error;
      break;
    default:
      break;
  }
  *count = 1;
  *props = v;
  return a.result;
}

class FakeProp : public Counted<IMAPIProp> {
 public:
  PropAnswer answer;
  std::vector<ULONG> askedTags;
  HRESULT GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
    *e = nullptr;
    return S_OK;
  }
  HRESULT GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* props) override {
    for (ULONG i = 0; tags && i < tags->cValues; ++i) askedTags.push_back(tags->aulPropTag[i]);
    return AnswerProps(answer, count, props);
  }
};

class FakeManageStore : public Counted<IExchangeManageStore> {
 public:
  HRESULT createResult = S_OK;
  std::string storeDn;
  std::optional<std::string> mailboxDn;
  ULONG flags = 0;
  HRESULT CreateStoreEntryID(LPSTR store, LPSTR mailbox, ULONG f, ULONG* cb,
                             LPENTRYID* id) override {
    storeDn = store ? store : "<null>";
    mailboxDn = mailbox ? std::optional<std::string>(mailbox) : std::nullopt;
    flags = f;
    *cb = 0;
    *id = nullptr;
    if (FAILED(createResult)) return createResult;
    static const char kId[] = "ADMIN-ENTRYID";
    *id = static_cast<LPENTRYID>(MapiCopy(kId, sizeof kId));
    *cb = sizeof kId;
    return S_OK;
  }
  HRESULT GetMailboxTable(LPSTR, LPMAPITABLE* table, ULONG) override {
    *table = nullptr;
    return MAPI_E_NO_SUPPORT;
  }
};

class FakeStore : public Counted<IMsgStore> {
 public:
  PropAnswer answer;
  FakeManageStore* manage = nullptr;  // offered through QueryInterface
  HRESULT logoffResult = S_OK;
  std::optional<ULONG> logoffFlags;
  HRESULT QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (manage && iid == IID_IExchangeManageStore) {
      manage->AddRef();
      *out = manage;
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  HRESULT GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
    *e = nullptr;
    return S_OK;
  }
  HRESULT GetProps(LPSPropTagArray, ULONG, ULONG* count, LPSPropValue* props) override {
    return AnswerProps(answer, count, props);
  }
  HRESULT OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN* unk) override {
    *unk = nullptr;
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT StoreLogoff(ULONG* flags) override {
    logoffFlags = flags ? *flags : 0xFFFFFFFF;
    return logoffResult;
  }
};

class FakeSession : public Counted<IMAPISession> {
 public:
  HRESULT identityResult = S_OK;
  std::vector<HRESULT> openEntryResults;  // one per call; S_OK when exhausted
  std::vector<ULONG> openEntryFlags;
  std::vector<std::string> openEntryIds;
  std::vector<bool> openEntryAskedForProp;
  FakeProp* identity = nullptr;

  HRESULT openStoreResult = S_OK;
  std::optional<ULONG> openStoreFlags;
  std::string openStoreId;
  bool openStoreAskedForStore = false;
  FakeStore* store = nullptr;

  HRESULT GetLastError(HRESULT, ULONG, LPMAPIERROR* e) override {
    *e = nullptr;
    return S_OK;
  }
  HRESULT GetMsgStoresTable(ULONG, LPMAPITABLE* t) override {
    *t = nullptr;
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT OpenMsgStore(ULONG_PTR, ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags,
                       LPMDB* mdb) override {
    *mdb = nullptr;
    openStoreFlags = flags;
    openStoreId.assign(reinterpret_cast<const char*>(id), cb ? cb - 1 : 0);
    openStoreAskedForStore = iid && *iid == IID_IMsgStore;
    if (FAILED(openStoreResult)) return openStoreResult;
    store->AddRef();
    *mdb = store;
    return S_OK;
  }
  HRESULT OpenAddressBook(ULONG_PTR, LPCIID, ULONG, LPADRBOOK* ab) override {
    *ab = nullptr;
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT OpenEntry(ULONG cb, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                    LPUNKNOWN* unk) override {
    *unk = nullptr;
    openEntryFlags.push_back(flags);
    openEntryIds.emplace_back(reinterpret_cast<const char*>(id), cb ? cb - 1 : 0);
    openEntryAskedForProp.push_back(iid && *iid == IID_IMAPIProp);
    std::size_t call = openEntryFlags.size() - 1;
    HRESULT hr = call < openEntryResults.size() ? openEntryResults[call] : S_OK;
    if (FAILED(hr)) return hr;
    identity->AddRef();
    *unk = identity;
    if (type) *type = MAPI_MAILUSER;
    return hr;
  }
  HRESULT QueryIdentity(ULONG* cb, LPENTRYID* id) override {
    *cb = 0;
    *id = nullptr;
    if (FAILED(identityResult)) return identityResult;
    static const char kId[] = "IDENTITY-ENTRYID";
    *id = static_cast<LPENTRYID>(MapiCopy(kId, sizeof kId));
    *cb = sizeof kId;
    return S_OK;
  }
  HRESULT Logoff(ULONG_PTR, ULONG, ULONG) override { return S_OK; }
};

}  // namespace mapitest
