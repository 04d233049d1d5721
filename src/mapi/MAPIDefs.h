// Extended MAPI types, constants and interfaces, shaped after the published
// MAPI headers. This one header is shared by the system's MAPI layer and by
// the stand-in library libmapi32.so, so both sides agree on every layout and
// every virtual table. It holds declarations only; no code depends on it
// being linked to anything.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Scalar types. Windows' ULONG and LONG are 32 bits on every platform.
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using USHORT = std::uint16_t;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = int;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using ULONG_PTR = std::uintptr_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBYTE = BYTE*;
using LPVOID = void*;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using BOOKMARK = ULONG;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using LPGUID = GUID*;
using LPCIID = const IID*;
using REFIID = const IID&;

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Result codes.
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr HRESULT MakeHr(std::uint32_t v) { return static_cast<HRESULT>(v); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT SUCCESS_SUCCESS = 0;
constexpr HRESULT E_NOTIMPL = MakeHr(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHr(0x80004002);
constexpr HRESULT E_POINTER = MakeHr(0x80004003);
constexpr HRESULT E_ABORT = MakeHr(0x80004004);
constexpr HRESULT E_FAIL = MakeHr(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHr(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHr(0x80070005);
constexpr HRESULT E_HANDLE = MakeHr(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = MakeHr(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHr(0x80070057);

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
// Property tags.
constexpr ULONG PROP_TYPE_MASK = 0x0000FFFF;
constexpr ULONG PROP_TYPE(ULONG tag) { return tag & PROP_TYPE_MASK; }
constexpr ULONG PROP_ID(ULONG tag) { return tag >> 16; }
constexpr ULONG PROP_TAG(ULONG type, ULONG id) { return (id << 16) | type; }
constexpr ULONG CHANGE_PROP_TYPE(ULONG tag, ULONG type) { return (tag & 0xFFFF0000u) | type; }

constexpr ULONG PT_UNSPECIFIED = 0x0000;
constexpr ULONG PT_NULL = 0x0001;
constexpr ULONG PT_I2 = 0x0002;
constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_R4 = 0x0004;
constexpr ULONG PT_DOUBLE = 0x0005;
constexpr ULONG PT_CURRENCY = 0x0006;
constexpr ULONG PT_APPTIME = 0x0007;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_BOOLEAN = 0x000B;
constexpr ULONG PT_OBJECT = 0x000D;
constexpr ULONG PT_I8 = 0x0014;
constexpr ULONG PT_STRING8 = 0x001E;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_SYSTIME = 0x0040;
constexpr ULONG PT_CLSID = 0x0048;
constexpr ULONG PT_BINARY = 0x0102;
constexpr ULONG MV_FLAG = 0x1000;
constexpr ULONG PT_MV_STRING8 = MV_FLAG | PT_STRING8;
constexpr ULONG PT_MV_BINARY = MV_FLAG | PT_BINARY;

constexpr ULONG PR_SUBJECT = 0x0037001E;
constexpr ULONG PR_CLIENT_SUBMIT_TIME = 0x00390040;
constexpr ULONG PR_RECIPIENT_TYPE = 0x0C150003;
constexpr ULONG PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr ULONG PR_MESSAGE_SIZE = 0x0E080003;
constexpr ULONG PR_MESSAGE_SIZE_EXTENDED = 0x0E080014;
constexpr ULONG PR_HASATTACH = 0x0E1B000B;
constexpr ULONG PR_INSTANCE_KEY = 0x0FF60102;
constexpr ULONG PR_RECORD_KEY = 0x0FF90102;
constexpr ULONG PR_STORE_ENTRYID = 0x0FFB0102;
constexpr ULONG PR_OBJECT_TYPE = 0x0FFE0003;
constexpr ULONG PR_ENTRYID = 0x0FFF0102;
constexpr ULONG PR_DISPLAY_NAME = 0x3001001E;
constexpr ULONG PR_ADDRTYPE = 0x3002001E;
constexpr ULONG PR_EMAIL_ADDRESS = 0x3003001E;
constexpr ULONG PR_DEPTH = 0x30050003;
constexpr ULONG PR_PROVIDER_DISPLAY = 0x3006001E;
constexpr ULONG PR_RESOURCE_FLAGS = 0x30090003;
constexpr ULONG PR_DEFAULT_STORE = 0x3400000B;
constexpr ULONG PR_MDB_PROVIDER = 0x34140102;
constexpr ULONG PR_IPM_SUBTREE_ENTRYID = 0x35E00102;
constexpr ULONG PR_FOLDER_TYPE = 0x36010003;
constexpr ULONG PR_CONTENT_COUNT = 0x36020003;
constexpr ULONG PR_SUBFOLDERS = 0x360A000B;
constexpr ULONG PR_AB_PROVIDER_ID = 0x36150102;
constexpr ULONG PR_ASSOC_CONTENT_COUNT = 0x36170003;
constexpr ULONG PR_DISPLAY_TYPE = 0x39000003;
constexpr ULONG PR_SEND_RICH_INFO = 0x3A40000B;
constexpr ULONG PR_DEFAULT_PROFILE = 0x3D04000B;
constexpr ULONG PR_SERVICE_NAME = 0x3D09001E;
constexpr ULONG PR_SERVICE_UID = 0x3D0C0102;
constexpr ULONG PR_PROFILE_NAME = 0x3D12001E;
constexpr ULONG PR_PROFILE_UNRESOLVED_NAME = 0x6607001E;
constexpr ULONG PR_PROFILE_UNRESOLVED_SERVER = 0x6608001E;
constexpr ULONG PR_REPLICA_VERSION = 0x664B0014;
constexpr ULONG PR_NT_USER_NAME = 0x66A0001E;
constexpr ULONG PR_LAST_LOGON_TIME = 0x66A20040;
constexpr ULONG PR_LAST_LOGOFF_TIME = 0x66A30040;
constexpr ULONG PR_STORAGE_LIMIT_INFORMATION = 0x66A40003;
constexpr ULONG PR_URL_NAME = 0x6707001E;
constexpr ULONG PR_EMS_AB_HOME_MDB = 0x8006001E;
constexpr ULONG PR_EMS_AB_HOME_MTA = 0x8007001E;
constexpr ULONG PR_EMS_AB_ASSOC_NT_ACCOUNT = 0x80270102;
constexpr ULONG PR_EMS_AB_CONTAINERID = 0xFFFD0003;

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
constexpr ULONG TBL_NOADVANCE = 0x00000001;  // QueryRows: leave the cursor where it is
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

// ---------------------------------------------------------------------------
// Interface identifiers.
inline constexpr IID IID_IUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
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
inline constexpr BYTE MUIDEMSAB[16] = {
    0xDC, 0xA7, 0x40, 0xC8, 0xC0, 0x42, 0x10, 0x1A, 0xB4, 0xB9, 0x08, 0x00, 0x2B, 0x2F, 0xE1, 0x82};

// ---------------------------------------------------------------------------
// Interfaces. Objects are reference counted; Release frees the object when
// the last reference goes. Only the methods that the system calls, and the
// few the stand-in needs for its own tests, are declared.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

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
