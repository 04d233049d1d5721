// Extended MAPI result codes, flags and structures, shaped after the
// published MAPI headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "WinTypes.h"

using BOOKMARK = ULONG;

// ---------------------------------------------------------------------------
// Result codes.
constexpr HRESULT SUCCESS_SUCCESS = 0;
constexpr HRESULT MAPI_E_CALL_FAILED = E_FAIL;
constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = E_OUTOFMEMORY;
constexpr HRESULT MAPI_E_INVALID_PARAMETER = E_INVALIDARG;
constexpr HRESULT MAPI_E_INTERFACE_NOT_SUPPORTED = E_NOINTERFACE;
constexpr HRESULT MAPI_E_NO_ACCESS = E_ACCESSDENIED;
constexpr HRESULT MAPI_E_NO_SUPPORT = MakeHr(0x80040102);
constexpr HRESULT MAPI_E_BAD_CHARWIDTH = MakeHr(0x80040103);
constexpr HRESULT MAPI_E_STRING_TOO_LONG = MakeHr(0x80040105);
constexpr HRESULT MAPI_E_UNKNOWN_FLAGS = MakeHr(0x80040106);
constexpr HRESULT MAPI_E_INVALID_ENTRYID = MakeHr(0x80040107);
constexpr HRESULT MAPI_E_INVALID_OBJECT = MakeHr(0x80040108);
constexpr HRESULT MAPI_E_OBJECT_CHANGED = MakeHr(0x80040109);
constexpr HRESULT MAPI_E_OBJECT_DELETED = MakeHr(0x8004010A);
constexpr HRESULT MAPI_E_BUSY = MakeHr(0x8004010B);
constexpr HRESULT MAPI_E_NOT_ENOUGH_DISK = MakeHr(0x8004010D);
constexpr HRESULT MAPI_E_NOT_ENOUGH_RESOURCES = MakeHr(0x8004010E);
constexpr HRESULT MAPI_E_NOT_FOUND = MakeHr(0x8004010F);
constexpr HRESULT MAPI_E_VERSION = MakeHr(0x80040110);
constexpr HRESULT MAPI_E_LOGON_FAILED = MakeHr(0x80040111);
constexpr HRESULT MAPI_E_SESSION_LIMIT = MakeHr(0x80040112);
constexpr HRESULT MAPI_E_USER_CANCEL = MakeHr(0x80040113);
constexpr HRESULT MAPI_E_UNABLE_TO_ABORT = MakeHr(0x80040114);
constexpr HRESULT MAPI_E_NETWORK_ERROR = MakeHr(0x80040115);
constexpr HRESULT MAPI_E_DISK_ERROR = MakeHr(0x80040116);
constexpr HRESULT MAPI_E_TOO_COMPLEX = MakeHr(0x80040117);
constexpr HRESULT MAPI_E_BAD_COLUMN = MakeHr(0x80040118);
constexpr HRESULT MAPI_E_EXTENDED_ERROR = MakeHr(0x80040119);
constexpr HRESULT MAPI_E_COMPUTED = MakeHr(0x8004011A);
constexpr HRESULT MAPI_E_UNCONFIGURED = MakeHr(0x8004011C);
constexpr HRESULT MAPI_E_END_OF_SESSION = MakeHr(0x80040200);
constexpr HRESULT MAPI_E_UNKNOWN_ENTRYID = MakeHr(0x80040201);
constexpr HRESULT MAPI_E_MISSING_REQUIRED_COLUMN = MakeHr(0x80040202);
constexpr HRESULT MAPI_W_NO_SERVICE = MakeHr(0x00040203);
constexpr HRESULT MAPI_E_BAD_VALUE = MakeHr(0x80040301);
constexpr HRESULT MAPI_E_INVALID_TYPE = MakeHr(0x80040302);
constexpr HRESULT MAPI_E_TYPE_NO_SUPPORT = MakeHr(0x80040303);
constexpr HRESULT MAPI_E_UNEXPECTED_TYPE = MakeHr(0x80040304);
constexpr HRESULT MAPI_E_TOO_BIG = MakeHr(0x80040305);
constexpr HRESULT MAPI_W_ERRORS_RETURNED = MakeHr(0x00040380);
constexpr HRESULT MAPI_E_UNABLE_TO_COMPLETE = MakeHr(0x80040400);
constexpr HRESULT MAPI_E_TIMEOUT = MakeHr(0x80040401);
constexpr HRESULT MAPI_E_TABLE_EMPTY = MakeHr(0x80040402);
constexpr HRESULT MAPI_E_TABLE_TOO_BIG = MakeHr(0x80040403);
constexpr HRESULT MAPI_E_INVALID_BOOKMARK = MakeHr(0x80040405);
constexpr HRESULT MAPI_W_POSITION_CHANGED = MakeHr(0x00040481);
constexpr HRESULT MAPI_W_APPROX_COUNT = MakeHr(0x00040482);
constexpr HRESULT MAPI_E_NOT_INITIALIZED = MakeHr(0x80040605);
constexpr HRESULT MAPI_E_AMBIGUOUS_RECIP = MakeHr(0x80040700);
constexpr HRESULT EDK_E_NOT_FOUND = MakeHr(0x800B0001);

// ---------------------------------------------------------------------------
// Flags.
constexpr ULONG MAPI_UNICODE = 0x80000000;
constexpr ULONG MAPI_MODIFY = 0x00000001;
constexpr ULONG MAPI_DEFERRED_ERRORS = 0x00000008;
constexpr ULONG MAPI_BEST_ACCESS = 0x00000010;
constexpr ULONG MAPI_NO_CACHE = 0x00000200;

// MAPILogonEx
constexpr ULONG MAPI_LOGON_UI = 0x00000001;
constexpr ULONG MAPI_NEW_SESSION = 0x00000002;
constexpr ULONG MAPI_ALLOW_OTHERS = 0x00000008;
constexpr ULONG MAPI_EXPLICIT_PROFILE = 0x00000010;
constexpr ULONG MAPI_EXTENDED = 0x00000020;
constexpr ULONG MAPI_USE_DEFAULT = 0x00000040;
constexpr ULONG MAPI_NO_MAIL = 0x00008000;

// OpenMsgStore
constexpr ULONG MDB_NO_DIALOG = 0x00000001;
constexpr ULONG MDB_WRITE = 0x00000004;
constexpr ULONG MDB_TEMPORARY = 0x00000020;
constexpr ULONG MDB_NO_MAIL = 0x00000080;
constexpr ULONG MDB_ONLINE = 0x00000100;

// IMsgStore::StoreLogoff
constexpr ULONG LOGOFF_NO_WAIT = 0x00000001;

// IExchangeManageStore::CreateStoreEntryID
constexpr ULONG OPENSTORE_USE_ADMIN_PRIVILEGE = 0x00000001;
constexpr ULONG OPENSTORE_PUBLIC = 0x00000002;
constexpr ULONG OPENSTORE_HOME_LOGON = 0x00000004;
constexpr ULONG OPENSTORE_TAKE_OWNERSHIP = 0x00000008;

// Tables
constexpr ULONG TBL_ASYNC = 0x00000001;
constexpr ULONG TBL_BATCH = 0x00000002;
constexpr ULONG CONVENIENT_DEPTH = 0x00000001;
constexpr BOOKMARK BOOKMARK_BEGINNING = 0;
constexpr BOOKMARK BOOKMARK_CURRENT = 1;
constexpr BOOKMARK BOOKMARK_END = 2;
constexpr ULONG TABLE_SORT_ASCEND = 0x00000000;
constexpr ULONG TABLE_SORT_DESCEND = 0x00000001;
constexpr ULONG TBL_NOADVANCE = 0x00000001;    // QueryRows: leave the cursor where it is
constexpr ULONG MAPI_ASSOCIATED = 0x00000040;  // GetContentsTable: the associated (hidden) items

// Address book
constexpr ULONG AB_NO_DIALOG = 0x00000001;
constexpr ULONG EMS_AB_ADDRESS_LOOKUP = 0x00000001;
constexpr ULONG MAPI_UNRESOLVED = 0x00000000;
constexpr ULONG MAPI_AMBIGUOUS = 0x00000001;
constexpr ULONG MAPI_RESOLVED = 0x00000002;
constexpr ULONG MAPI_TO = 1;

// Object types
constexpr ULONG MAPI_STORE = 0x00000001;
constexpr ULONG MAPI_ADDRBOOK = 0x00000002;
constexpr ULONG MAPI_FOLDER = 0x00000003;
constexpr ULONG MAPI_ABCONT = 0x00000004;
constexpr ULONG MAPI_MESSAGE = 0x00000005;
constexpr ULONG MAPI_MAILUSER = 0x00000006;
constexpr ULONG MAPI_ATTACH = 0x00000007;
constexpr ULONG MAPI_DISTLIST = 0x00000008;
constexpr ULONG MAPI_PROFSECT = 0x00000009;
constexpr ULONG MAPI_STATUS = 0x0000000A;
constexpr ULONG MAPI_SESSION = 0x0000000B;

// Restrictions
constexpr ULONG RES_AND = 0;
constexpr ULONG RES_OR = 1;
constexpr ULONG RES_NOT = 2;
constexpr ULONG RES_CONTENT = 3;
constexpr ULONG RES_PROPERTY = 4;
constexpr ULONG RES_COMPAREPROPS = 5;
constexpr ULONG RES_BITMASK = 6;
constexpr ULONG RES_SIZE = 7;
constexpr ULONG RES_EXIST = 8;
constexpr ULONG RES_SUBRESTRICTION = 9;
constexpr ULONG RELOP_LT = 0;
constexpr ULONG RELOP_LE = 1;
constexpr ULONG RELOP_GT = 2;
constexpr ULONG RELOP_GE = 3;
constexpr ULONG RELOP_EQ = 4;
constexpr ULONG RELOP_NE = 5;
constexpr ULONG RELOP_RE = 6;

// ---------------------------------------------------------------------------
// Structures.
struct MAPIUID {
  BYTE ab[16];
};
using LPMAPIUID = MAPIUID*;

struct ENTRYID {
  BYTE abFlags[4];
  BYTE ab[1];
};
using LPENTRYID = ENTRYID*;

struct SBinary {
  ULONG cb;
  LPBYTE lpb;
};

struct SBinaryArray {
  ULONG cValues;
  SBinary* lpbin;
};

struct SLPSTRArray {
  ULONG cValues;
  LPSTR* lppszA;
};

union _PV {
  short i;
  LONG l;
  ULONG ul;
  float flt;
  double dbl;
  unsigned short b;
  std::int64_t cur;
  double at;
  FILETIME ft;
  LPSTR lpszA;
  SBinary bin;
  LPWSTR lpszW;
  LPGUID lpguid;
  std::int64_t li;
  SLPSTRArray MVszA;
  SBinaryArray MVbin;
  SCODE err;
  LONG x;
};

struct SPropValue {
  ULONG ulPropTag;
  ULONG dwAlignPad;
  _PV Value;
};
using LPSPropValue = SPropValue*;

struct SPropTagArray {
  ULONG cValues;
  ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;

// Bytes needed for a tag array of n tags (4 bytes of count, 4 per tag).
constexpr ULONG CbNewSPropTagArray(ULONG n) {
  return static_cast<ULONG>(offsetof(SPropTagArray, aulPropTag) + n * sizeof(ULONG));
}

// A tag array of fixed size that can be passed where an LPSPropTagArray is
// expected, like the SizedSPropTagArray macro of the published headers.
template <ULONG N>
struct SizedSPropTagArray {
  ULONG cValues;
  ULONG aulPropTag[N];
  LPSPropTagArray get() { return reinterpret_cast<LPSPropTagArray>(this); }
};

struct SRow {
  ULONG ulAdrEntryPad;
  ULONG cValues;
  LPSPropValue lpProps;
};
using LPSRow = SRow*;

struct SRowSet {
  ULONG cRows;
  SRow aRow[1];
};
using LPSRowSet = SRowSet*;

constexpr ULONG CbNewSRowSet(ULONG n) {
  return static_cast<ULONG>(offsetof(SRowSet, aRow) + n * sizeof(SRow));
}

// An address entry has the layout of a row, so that row sets and address
// lists are freed alike.
struct ADRENTRY {
  ULONG ulReserved1;
  ULONG cValues;
  LPSPropValue rgPropVals;
};
using LPADRENTRY = ADRENTRY*;

struct ADRLIST {
  ULONG cEntries;
  ADRENTRY aEntries[1];
};
using LPADRLIST = ADRLIST*;

constexpr ULONG CbNewADRLIST(ULONG n) {
  return static_cast<ULONG>(offsetof(ADRLIST, aEntries) + n * sizeof(ADRENTRY));
}

struct FlagList {
  ULONG cFlags;
  ULONG ulFlag[1];
};
using LPFlagList = FlagList*;

struct SSortOrder {
  ULONG ulPropTag;
  ULONG ulOrder;
};

struct SSortOrderSet {
  ULONG cSorts;
  ULONG cCategories;
  ULONG cExpanded;
  SSortOrder aSort[1];
};
using LPSSortOrderSet = SSortOrderSet*;

struct SRestriction;
using LPSRestriction = SRestriction*;

struct SAndRestriction {
  ULONG cRes;
  LPSRestriction lpRes;
};
struct SOrRestriction {
  ULONG cRes;
  LPSRestriction lpRes;
};
struct SNotRestriction {
  ULONG ulReserved;
  LPSRestriction lpRes;
};
struct SPropertyRestriction {
  ULONG relop;
  ULONG ulPropTag;
  LPSPropValue lpProp;
};
struct SExistRestriction {
  ULONG ulReserved1;
  ULONG ulPropTag;
  ULONG ulReserved2;
};

struct SRestriction {
  ULONG rt;
  union {
    SAndRestriction resAnd;
    SOrRestriction resOr;
    SNotRestriction resNot;
    SPropertyRestriction resProperty;
    SExistRestriction resExist;
  } res;
};

struct MAPIERROR {
  ULONG ulVersion;
  LPSTR lpszError;
  LPSTR lpszComponent;
  ULONG ulLowLevelError;
  ULONG ulContext;
};
using LPMAPIERROR = MAPIERROR*;

struct MAPIINIT_0 {
  ULONG ulVersion;
  ULONG ulFlags;
};
