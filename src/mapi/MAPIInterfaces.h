// Extended MAPI interface identifiers, provider identifiers, interfaces and
// the exported functions of the MAPI library as pointer types.
#pragma once

#include "ComBase.h"
#include "MAPITypes.h"
#include "WinTypes.h"

// ---------------------------------------------------------------------------
// Interface identifiers.
inline constexpr IID IID_IMAPISession = {0x00020300, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMAPITable = {0x00020301, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMAPIProp = {0x00020303, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMsgStore = {0x00020306, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IAddrBook = {0x00020309, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMailUser = {0x0002030A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMAPIContainer = {0x0002030B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMAPIFolder = {0x0002030C, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IABContainer = {0x0002030D, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IProfAdmin = {0x0002031C, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMsgServiceAdmin = {0x0002031D, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IExchangeManageStore = {
    0x559D10B0, 0xA772, 0x11CD, {0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A}};

// Exchange private-store provider {C0A19454-7F29-1B10-A587-08002B2A2517}, as
// the 16 bytes stored in PR_MDB_PROVIDER.
inline constexpr BYTE pbExchangeProviderPrimaryUserGuid[16] = {
    0x54, 0x94, 0xA1, 0xC0, 0x29, 0x7F, 0x10, 0x1B, 0xA5, 0x87, 0x08, 0x00, 0x2B, 0x2A, 0x25, 0x17};
// Exchange public-store provider {78B2FA70-AFF7-11CD-9BC8-00AA002FC45A}, as
// the 16 bytes stored in PR_MDB_PROVIDER.
inline constexpr BYTE pbExchangeProviderPublicGuid[16] = {
    0x70, 0xFA, 0xB2, 0x78, 0xF7, 0xAF, 0xCD, 0x11, 0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A};
// Exchange address-book provider (MUIDEMSAB) {C840A7DC-42C0-1A10-B4B9-08002B2FE182}.
inline constexpr BYTE MUIDEMSAB[16] = {0xDC, 0xA7, 0x40, 0xC8, 0xC0, 0x42, 0x10, 0x1A,
                                       0xB4, 0xB9, 0x08, 0x00, 0x2B, 0x2F, 0xE1, 0x82};

// ---------------------------------------------------------------------------
// Interfaces. Only the methods that the system calls, and the few the
// stand-in needs for its own tests, are declared.
struct IMAPITable : IUnknown {
  virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) = 0;
  virtual HRESULT GetRowCount(ULONG ulFlags, ULONG* lpulCount) = 0;
  virtual HRESULT SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) = 0;
  virtual HRESULT Restrict(LPSRestriction lpRestriction, ULONG ulFlags) = 0;
  virtual HRESULT SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
  virtual HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) = 0;

 protected:
  ~IMAPITable() = default;
};
using LPMAPITABLE = IMAPITable*;

struct IMAPIProp : IUnknown {
  virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray) = 0;

 protected:
  ~IMAPIProp() = default;
};
using LPMAPIPROP = IMAPIProp*;

struct IMAPIContainer : IMAPIProp {
  virtual HRESULT GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;

 protected:
  ~IMAPIContainer() = default;
};
using LPMAPICONTAINER = IMAPIContainer*;

struct IABContainer : IMAPIContainer {
  virtual HRESULT ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPADRLIST lpAdrList,
                               LPFlagList lpFlagList) = 0;

 protected:
  ~IABContainer() = default;
};
using LPABCONT = IABContainer*;

struct IMAPIFolder : IMAPIContainer {
 protected:
  ~IMAPIFolder() = default;
};
using LPMAPIFOLDER = IMAPIFolder*;

struct IMailUser : IMAPIProp {
 protected:
  ~IMailUser() = default;
};
using LPMAILUSER = IMailUser*;

struct IMsgStore : IMAPIProp {
  virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT StoreLogoff(ULONG* lpulFlags) = 0;

 protected:
  ~IMsgStore() = default;
};
using LPMDB = IMsgStore*;

struct IExchangeManageStore : IUnknown {
  virtual HRESULT CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                                     ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
  virtual HRESULT GetMailboxTable(LPSTR lpszServerName, LPMAPITABLE* lppTable, ULONG ulFlags) = 0;

 protected:
  ~IExchangeManageStore() = default;
};
using LPEXCHANGEMANAGESTORE = IExchangeManageStore*;

struct IAddrBook : IMAPIProp {
  virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;

 protected:
  ~IAddrBook() = default;
};
using LPADRBOOK = IAddrBook*;

struct IMAPISession : IUnknown {
  virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                               LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) = 0;
  virtual HRESULT OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags,
                                  LPADRBOOK* lppAdrBook) = 0;
  virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
  virtual HRESULT Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) = 0;

 protected:
  ~IMAPISession() = default;
};
using LPMAPISESSION = IMAPISession*;

struct IMsgServiceAdmin : IUnknown {
  virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                                   ULONG ulFlags) = 0;
  virtual HRESULT ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags,
                                      ULONG cValues, LPSPropValue lpProps) = 0;

 protected:
  ~IMsgServiceAdmin() = default;
};
using LPSERVICEADMIN = IMsgServiceAdmin*;

struct IProfAdmin : IUnknown {
  virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  // Rows of PR_DISPLAY_NAME (the profile name) and PR_DEFAULT_PROFILE.
  virtual HRESULT GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                ULONG ulFlags) = 0;
  virtual HRESULT DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) = 0;
  virtual HRESULT AdminServices(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) = 0;
  virtual HRESULT SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) = 0;

 protected:
  ~IProfAdmin() = default;
};
using LPPROFADMIN = IProfAdmin*;

// ---------------------------------------------------------------------------
// The exported functions of the MAPI library, as pointer types for binding.
extern "C" {
using LPALLOCATEBUFFER = SCODE (*)(ULONG cbSize, LPVOID* lppBuffer);
using LPALLOCATEMORE = SCODE (*)(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
using LPFREEBUFFER = ULONG (*)(LPVOID lpBuffer);

using LPMAPIINITIALIZE = HRESULT (*)(LPVOID lpMapiInit);
using LPMAPIUNINITIALIZE = void (*)();
using LPMAPILOGONEX = HRESULT (*)(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword,
                                  ULONG ulFlags, LPMAPISESSION* lppSession);
using LPMAPIADMINPROFILES = HRESULT (*)(ULONG ulFlags, LPPROFADMIN* lppProfAdmin);
using LPHRQUERYALLROWS = HRESULT (*)(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                     LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet,
                                     LONG crowsMax, LPSRowSet* lppRows);
using LPFREEPROWS = void (*)(LPSRowSet lpRows);
using LPHRGETONEPROP = HRESULT (*)(LPMAPIPROP lpMapiProp, ULONG ulPropTag, LPSPropValue* lppProp);
using LPFREEPADRLIST = void (*)(LPADRLIST lpAdrList);
using LPSCDUPPROPSET = SCODE (*)(int cValues, LPSPropValue lpPropArray,
                                 LPALLOCATEBUFFER lpAllocateBuffer, LPSPropValue* lppPropArray);
using LPFGETCOMPONENTPATH = BOOL (*)(LPSTR szComponent, LPSTR szQualifier, LPSTR szDllPath,
                                     DWORD cchBufferSize, BOOL fInstall);
}
