#include "AddressBook.h"

#include <cstring>
#include <vector>

#include "Accounts.h"
#include "ConsoleOutput.h"
#include "EDKDEBUG.h"
#include "MAPIUtils.h"
#include "MAPIVariantProp.h"
#include "MapiErrorText.h"
#include "Win32.h"

namespace console {

namespace {

using mapi::Flavour;

constexpr DWORD kAccountBuffer = 64;

std::string ErrorText(const mapi::ErrorSource& object, HRESULT hr) {
  return mapi::MapiErrorText(Flavour::Console, object, hr);
}

// Resolves "EX:<address>" in the global address list: the entry identifier
// of the one matching entry and whether it takes rich information.
HRESULT ResolveAddress(IMAPIContainer* gal, const std::string& address,
                       mapi::MapiBuffer<ENTRYID>* entryId, ULONG* size, bool* richInfo) {
  *size = 0;
  *richInfo = false;
  // Without a global address list every address stays unresolved.
  if (gal == nullptr) return E_INVALIDARG;

  // The list is freed with FreePadrlist, which frees each entry's values too.
  mapi::AdrListPtr list;
  HRESULT hr = mapi::MAPIAllocateBuffer(mapi::CbAdrList(1), mapi::Out(list));
  if (FAILED(hr) || !list) return mapi::EdkLogError(FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY);
  std::memset(list.get(), 0, mapi::CbAdrList(1));
  list->cEntries = 1;

  {
    mapi::MapiBuffer<SPropValue> values;
    hr = mapi::MAPIAllocateBuffer(mapi::CbPropValues(2), mapi::Out(values));
    if (FAILED(hr) || !values) return mapi::EdkLogError(FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY);
    std::string name = address;
    values.get()[0].ulPropTag = PR_DISPLAY_NAME;
    values.get()[0].Value.lpszA = name.data();
    values.get()[1].ulPropTag = PR_RECIPIENT_TYPE;
    values.get()[1].Value.l = static_cast<LONG>(MAPI_TO);
    LPSPropValue copy = nullptr;
    hr = mapi::ScDupPropset(2, values.get(), mapi::MAPIAllocateBuffer, &copy);
    if (FAILED(hr)) return mapi::EdkLogError(hr);
    list->aEntries[0].cValues = 2;
    list->aEntries[0].rgPropVals = copy;
  }

  SizedSPropTagArray<2> columns{2, {PR_ENTRYID, PR_SEND_RICH_INFO}};
  struct {
    ULONG cFlags;
    ULONG ulFlag[1];
  } flags{1, {MAPI_UNRESOLVED}};
  hr = static_cast<IABContainer*>(gal)->ResolveNames(
      columns.get(), EMS_AB_ADDRESS_LOOKUP, list.get(), reinterpret_cast<LPFlagList>(&flags));
  if (FAILED(hr)) return mapi::EdkLogError(hr);
  if (flags.ulFlag[0] == MAPI_AMBIGUOUS) return mapi::EdkLogError(MAPI_E_AMBIGUOUS_RECIP);
  if (flags.ulFlag[0] != MAPI_RESOLVED) return mapi::EdkLogError(EDK_E_NOT_FOUND);

  const ADRENTRY& entry = list->aEntries[0];
  const SPropValue* id = mapi::FindProp(entry.rgPropVals, entry.cValues, PR_ENTRYID);
  const SPropValue* rich = mapi::FindProp(entry.rgPropVals, entry.cValues, PR_SEND_RICH_INFO);
  const auto bytes = mapi::PropBinary(id, PR_ENTRYID);
  if (!bytes || bytes->empty()) return mapi::EdkLogError(EDK_E_NOT_FOUND);
  hr = mapi::CopyToMapiBuffer(bytes->data(), static_cast<ULONG>(bytes->size()), entryId);
  if (FAILED(hr) || !*entryId) return mapi::EdkLogError(FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY);
  *size = static_cast<ULONG>(bytes->size());
  *richInfo = mapi::PropBoolean(rich, PR_SEND_RICH_INFO).value_or(false);
  return S_OK;
}

}  // namespace

HRESULT FindGalEntryId(IAddrBook* addressBook, mapi::MapiBuffer<ENTRYID>* entryId, ULONG* size) {
  *size = 0;
  entryId->reset();
  ULONG type = 0;
  mapi::ComPtr<IMAPIContainer> root;
  HRESULT hr =
      addressBook->OpenEntry(0, nullptr, nullptr, MAPI_DEFERRED_ERRORS, &type, mapi::Out(root));
  if (FAILED(hr)) return mapi::EdkLogError(hr);
  if (type != MAPI_ABCONT || !root) return mapi::EdkLogError(E_FAIL);

  mapi::ComPtr<IMAPITable> hierarchy;
  hr = root->GetHierarchyTable(CONVENIENT_DEPTH | MAPI_DEFERRED_ERRORS, mapi::Out(hierarchy));
  if (FAILED(hr)) return mapi::EdkLogError(hr);

  SizedSPropTagArray<1> columns{1, {PR_ENTRYID}};
  SPropValue provider{};
  provider.ulPropTag = PR_AB_PROVIDER_ID;
  provider.Value.bin.cb = sizeof MUIDEMSAB;
  provider.Value.bin.lpb = const_cast<BYTE*>(MUIDEMSAB);
  SPropValue container{};
  container.ulPropTag = PR_EMS_AB_CONTAINERID;
  container.Value.l = 0;
  SRestriction parts[2]{};
  parts[0].rt = RES_PROPERTY;
  parts[0].res.resProperty = {RELOP_EQ, PR_AB_PROVIDER_ID, &provider};
  parts[1].rt = RES_PROPERTY;
  parts[1].res.resProperty = {RELOP_EQ, PR_EMS_AB_CONTAINERID, &container};
  SRestriction both{};
  both.rt = RES_AND;
  both.res.resAnd = {2, parts};

  mapi::RowSetPtr rows;
  hr = mapi::HrQueryAllRows(hierarchy.get(), columns.get(), &both, nullptr, 0, mapi::Out(rows));
  if (FAILED(hr)) return mapi::EdkLogError(hr);
  if (!rows || rows->cRows != 1) return mapi::EdkLogError(EDK_E_NOT_FOUND);
  const auto bytes = mapi::PropBinary(mapi::RowProp(rows->aRow[0], 0, PR_ENTRYID), PR_ENTRYID);
  if (!bytes || bytes->empty()) return mapi::EdkLogError(E_FAIL);
  hr = mapi::CopyToMapiBuffer(bytes->data(), static_cast<ULONG>(bytes->size()), entryId);
  if (FAILED(hr) || !*entryId) return mapi::EdkLogError(FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY);
  *size = static_cast<ULONG>(bytes->size());
  return S_OK;
}

bool OpenGlobalAddressList(IMAPISession* session, mapi::ComPtr<IAddrBook>* addressBook,
                           mapi::ComPtr<IMAPIContainer>* gal, std::ostream& out) {
  HRESULT hr = session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, mapi::Out(*addressBook));
  if (FAILED(hr) || !*addressBook) {
    mapi::WriteSeparated(
        out, {"Error! Can not open Address Book!", ErrorText(session, FAILED(hr) ? hr : E_FAIL)});
    return false;
  }
  mapi::MapiBuffer<ENTRYID> entryId;
  ULONG size = 0;
  hr = FindGalEntryId(addressBook->get(), &entryId, &size);
  if (FAILED(hr)) {
    mapi::WriteLine(out, "Can't find Microsoft Exchange Server Global Address List!");
    return false;
  }
  ULONG type = 0;
  hr = (*addressBook)
           ->OpenEntry(size, entryId.get(), &IID_IMAPIContainer,
                       MAPI_BEST_ACCESS | MAPI_DEFERRED_ERRORS, &type, mapi::Out(*gal));
  if (FAILED(hr)) {
    mapi::WriteSeparated(out, {"Can't open Microsoft Exchange Server Global Address List!",
                               ErrorText(addressBook->get(), hr)});
    return false;
  }
  if (type != MAPI_ABCONT || !*gal) {
    gal->reset();
    mapi::WriteSeparated(out, {"Can't open Microsoft Exchange Server Global Address List!"});
    return false;
  }
  return true;
}

std::string LookupAccountText(const std::string& lookupServer, const void* sid) {
  const char* system = lookupServer.empty() ? nullptr : lookupServer.c_str();
  DWORD nameSize = kAccountBuffer, domainSize = kAccountBuffer;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<char> name(nameSize), domain(domainSize);
    SID_NAME_USE use{};
    DWORD n = nameSize, d = domainSize;
    if (LookupAccountSidA(system, const_cast<void*>(sid), name.data(), &n, domain.data(), &d, &use))
      return std::string(domain.data()) + "\\" + name.data();
    // A name longer than the buffers: the lookup says how much it needs.
    if (GetLastError() != static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) break;
    if (n <= nameSize && d <= domainSize) break;
    nameSize = std::max(n, nameSize);
    domainSize = std::max(d, domainSize);
    if (nameSize > 65536 || domainSize > 65536) break;
  }
  return {};
}

std::string ResolveOwnerAccount(IAddrBook* addressBook, IMAPIContainer* gal,
                                const std::string& emailAddress, const std::string& lookupServer,
                                std::ostream& out) {
  const std::string address = "EX:" + emailAddress;
  std::string result;
  mapi::MapiBuffer<ENTRYID> entryId;
  ULONG size = 0;
  bool richInfo = false;
  const HRESULT resolved = ResolveAddress(gal, address, &entryId, &size, &richInfo);
  if (FAILED(resolved) || !richInfo) {
    mapi::WriteSeparated(out, {"Warning! Can not resolve address: " + address});
  } else {
    mapi::ComPtr<IMAPIProp> mailUser;
    ULONG type = 0;
    HRESULT hr = addressBook
                     ? addressBook->OpenEntry(size, entryId.get(), &IID_IMAPIProp,
                                              MAPI_DEFERRED_ERRORS, &type, mapi::Out(mailUser))
                     : E_INVALIDARG;
    if (FAILED(hr) || !mailUser) {
      mapi::WriteSeparated(out, {"Warning! Can not open address: " + address,
                                 ErrorText(addressBook, FAILED(hr) ? hr : E_FAIL)});
    } else {
      SizedSPropTagArray<1> columns{1, {PR_EMS_AB_ASSOC_NT_ACCOUNT}};
      ULONG count = 0;
      mapi::MapiBuffer<SPropValue> values;
      hr = mailUser->GetProps(columns.get(), 0, &count, mapi::Out(values));
      if (hr != S_OK || count != 1 || !values) {
        mapi::WriteSeparated(out, {"Warning! Can not get properties for address: " + address,
                                   ErrorText(mailUser.get(), hr)});
      } else if (const auto sid = mapi::PropBinary(values.get(), PR_EMS_AB_ASSOC_NT_ACCOUNT);
                 sid && !sid->empty()) {
        const std::vector<BYTE> sidCopy(sid->begin(), sid->end());
        result = LookupAccountText(lookupServer, sidCopy.data());
      }
      try {
        mailUser.reset();
      } catch (const std::exception& e) {
        mapi::WriteSeparated(out, {std::string("Error! Exception found: ") + e.what()});
      }
    }
  }
  if (result.empty())
    mapi::WriteSeparated(out, {"Warning! Can not get real NT Account for address: " + address});
  return result;
}

}  // namespace console
