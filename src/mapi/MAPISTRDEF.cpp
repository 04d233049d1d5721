// Symbol name tables. "MAPIErrors" holds its rows in the order that decides
// which name a duplicated value gets (MAPI_E_NOT_ENOUGH_MEMORY before
// E_OUTOFMEMORY); the other tables carry the names of the published MAPI,
// CMC and Exchange headers.
#include "MAPISTRDEF.h"

#include <array>

#include "MAPISTRDEF_PropTags.h"
#include "TextForms.h"
#include "TextUtil.h"

namespace mapi {
namespace {

constexpr SymbolRow kMapiErrors[] = {
    {0x00000000, "SUCCESS_SUCCESS"},
    {0x80004005, "MAPI_E_CALL_FAILED"},
    {0x8007000E, "MAPI_E_NOT_ENOUGH_MEMORY"},
    {0x80070057, "MAPI_E_INVALID_PARAMETER"},
    {0x80004002, "MAPI_E_INTERFACE_NOT_SUPPORTED"},
    {0x80070005, "MAPI_E_NO_ACCESS"},
    {0x80040102, "MAPI_E_NO_SUPPORT"},
    {0x80040103, "MAPI_E_BAD_CHARWIDTH"},
    {0x80040105, "MAPI_E_STRING_TOO_LONG"},
    {0x80040106, "MAPI_E_UNKNOWN_FLAGS"},
    {0x80040107, "MAPI_E_INVALID_ENTRYID"},
    {0x80040108, "MAPI_E_INVALID_OBJECT"},
    {0x80040109, "MAPI_E_OBJECT_CHANGED"},
    {0x8004010A, "MAPI_E_OBJECT_DELETED"},
    {0x8004010B, "MAPI_E_BUSY"},
    {0x8004010D, "MAPI_E_NOT_ENOUGH_DISK"},
    {0x8004010E, "MAPI_E_NOT_ENOUGH_RESOURCES"},
    {0x8004010F, "MAPI_E_NOT_FOUND"},
    {0x80040110, "MAPI_E_VERSION"},
    {0x80040111, "MAPI_E_LOGON_FAILED"},
    {0x80040112, "MAPI_E_SESSION_LIMIT"},
    {0x80040113, "MAPI_E_USER_CANCEL"},
    {0x80040114, "MAPI_E_UNABLE_TO_ABORT"},
    {0x80040115, "MAPI_E_NETWORK_ERROR"},
    {0x80040116, "MAPI_E_DISK_ERROR"},
    {0x80040117, "MAPI_E_TOO_COMPLEX"},
    {0x80040118, "MAPI_E_BAD_COLUMN"},
    {0x80040119, "MAPI_E_EXTENDED_ERROR"},
    {0x8004011A, "MAPI_E_COMPUTED"},
    {0x80040200, "MAPI_E_END_OF_SESSION"},
    {0x80040201, "MAPI_E_UNKNOWN_ENTRYID"},
    {0x80040202, "MAPI_E_MISSING_REQUIRED_COLUMN"},
    {0x00040203, "MAPI_W_NO_SERVICE"},
    {0x80040301, "MAPI_E_BAD_VALUE"},
    {0x80040302, "MAPI_E_INVALID_TYPE"},
    {0x80040303, "MAPI_E_TYPE_NO_SUPPORT"},
    {0x80040304, "MAPI_E_UNEXPECTED_TYPE"},
    {0x80040305, "MAPI_E_TOO_BIG"},
    {0x00040380, "MAPI_W_ERRORS_RETURNED"},
    {0x80040400, "MAPI_E_UNABLE_TO_COMPLETE"},
    {0x80040402, "MAPI_E_TABLE_EMPTY"},
    {0x80040403, "MAPI_E_TABLE_TOO_BIG"},
    {0x80040405, "MAPI_E_INVALID_BOOKMARK"},
    {0x00040481, "MAPI_W_POSITION_CHANGED"},
    {0x00040482, "MAPI_W_APPROX_COUNT"},
    {0x80040500, "MAPI_E_WAIT"},
    {0x80040501, "MAPI_E_CANCEL"},
    {0x80040502, "MAPI_E_NOT_ME"},
    {0x00040580, "MAPI_W_CANCEL_MESSAGE"},
    {0x80040600, "MAPI_E_CORRUPT_STORE"},
    {0x80040601, "MAPI_E_NOT_IN_QUEUE"},
    {0x80040602, "MAPI_E_NO_SUPPRESS"},
    {0x80040604, "MAPI_E_COLLISION"},
    {0x80040605, "MAPI_E_NOT_INITIALIZED"},
    {0x80040606, "MAPI_E_NON_STANDARD"},
    {0x80040607, "MAPI_E_NO_RECIPIENTS"},
    {0x80040608, "MAPI_E_SUBMITTED"},
    {0x80040609, "MAPI_E_HAS_FOLDERS"},
    {0x8004060A, "MAPI_E_HAS_MESSAGES"},
    {0x8004060B, "MAPI_E_FOLDER_CYCLE"},
    {0x00040680, "MAPI_W_PARTIAL_COMPLETION"},
    {0x80040700, "MAPI_E_AMBIGUOUS_RECIP"},
    {0x00000001, "MAPI_USER_ABORT"},
    {0x00000001, "MAPI_E_USER_ABORT"},
    {0x00000002, "MAPI_E_FAILURE"},
    {0x00000003, "MAPI_E_LOGON_FAILURE"},
    {0x00000003, "MAPI_E_LOGIN_FAILURE"},
    {0x00000004, "MAPI_E_DISK_FULL"},
    {0x00000005, "MAPI_E_INSUFFICIENT_MEMORY"},
    {0x00000006, "MAPI_E_ACCESS_DENIED"},
    {0x00000008, "MAPI_E_TOO_MANY_SESSIONS"},
    {0x00000009, "MAPI_E_TOO_MANY_FILES"},
    {0x0000000A, "MAPI_E_TOO_MANY_RECIPIENTS"},
    {0x0000000B, "MAPI_E_ATTACHMENT_NOT_FOUND"},
    {0x0000000C, "MAPI_E_ATTACHMENT_OPEN_FAILURE"},
    {0x0000000D, "MAPI_E_ATTACHMENT_WRITE_FAILURE"},
    {0x0000000E, "MAPI_E_UNKNOWN_RECIPIENT"},
    {0x0000000F, "MAPI_E_BAD_RECIPTYPE"},
    {0x00000010, "MAPI_E_NO_MESSAGES"},
    {0x00000011, "MAPI_E_INVALID_MESSAGE"},
    {0x00000012, "MAPI_E_TEXT_TOO_LARGE"},
    {0x00000013, "MAPI_E_INVALID_SESSION"},
    {0x00000014, "MAPI_E_TYPE_NOT_SUPPORTED"},
    {0x00000015, "MAPI_E_AMBIGUOUS_RECIPIENT"},
    {0x00000015, "MAPI_E_AMBIG_RECIP"},
    {0x00000016, "MAPI_E_MESSAGE_IN_USE"},
    {0x00000017, "MAPI_E_NETWORK_FAILURE"},
    {0x00000018, "MAPI_E_INVALID_EDITFIELDS"},
    {0x00000019, "MAPI_E_INVALID_RECIPS"},
    {0x0000001A, "MAPI_E_NOT_SUPPORTED"},
    {0x8004011C, "MAPI_E_UNCONFIGURED"},
    {0x80004001, "E_NOTIMPL"},
    {0x8000FFFF, "E_UNEXPECTED"},
    {0x8007000E, "E_OUTOFMEMORY"},
    {0x80070057, "E_INVALIDARG"},
    {0x80004002, "E_NOINTERFACE"},
    {0x80004003, "E_POINTER"},
    {0x80070006, "E_HANDLE"},
    {0x80004004, "E_ABORT"},
    {0x800B0001, "EDK_E_NOT_FOUND"},
    {0x800B0002, "EDK_E_SHUTDOWN_SERVICE"},
    {0x800B0003, "EDK_E_ALREADY_EXISTS"},
    {0x800B0004, "EDK_E_END_OF_FILE"},
    {0x800B0005, "EDK_E_AMBIGUOUS"},
    {0x800B0006, "EDK_E_PARSE"},
    {0x0000000B, "EC_EDK_E_FAIL"},
    {0x0000000C, "EC_EDK_E_OUTOFMEMORY"},
    {0x0000000D, "EC_EDK_E_INVALIDARG"},
    {0x0000000E, "EC_EDK_E_NOTIMPL"},
    {0x0000000F, "EC_EDK_E_NOINTERFACE"},
    {0x00000010, "EC_EDK_E_ACCESSDENIED"},
    {0x00000014, "EC_EDK_E_UNKNOWN"},
};

constexpr SymbolRow kCmcErrors[] = {
    {0, "CMC_SUCCESS"},
    {1, "CMC_E_AMBIGUOUS_RECIPIENT"},
    {2, "CMC_E_ATTACHMENT_NOT_FOUND"},
    {3, "CMC_E_ATTACHMENT_OPEN_FAILURE"},
    {4, "CMC_E_ATTACHMENT_READ_FAILURE"},
    {5, "CMC_E_ATTACHMENT_WRITE_FAILURE"},
    {6, "CMC_E_COUNTED_STRING_UNSUPPORTED"},
    {7, "CMC_E_DISK_FULL"},
    {8, "CMC_E_FAILURE"},
    {9, "CMC_E_INSUFFICIENT_MEMORY"},
    {10, "CMC_E_INVALID_CONFIGURATION"},
    {11, "CMC_E_INVALID_ENUM"},
    {12, "CMC_E_INVALID_FLAG"},
    {13, "CMC_E_INVALID_MEMORY"},
    {14, "CMC_E_INVALID_MESSAGE_PARAMETER"},
    {15, "CMC_E_INVALID_MESSAGE_REFERENCE"},
    {16, "CMC_E_INVALID_PARAMETER"},
    {17, "CMC_E_INVALID_SESSION_ID"},
    {18, "CMC_E_INVALID_UI_ID"},
    {19, "CMC_E_LOGON_FAILURE"},
    {20, "CMC_E_MESSAGE_IN_USE"},
    {21, "CMC_E_NOT_SUPPORTED"},
    {22, "CMC_E_PASSWORD_REQUIRED"},
    {23, "CMC_E_RECIPIENT_NOT_FOUND"},
    {24, "CMC_E_SERVICE_UNAVAILABLE"},
    {25, "CMC_E_TEXT_TOO_LARGE"},
    {26, "CMC_E_TOO_MANY_FILES"},
    {27, "CMC_E_TOO_MANY_RECIPIENTS"},
    {28, "CMC_E_UNABLE_TO_NOT_MARK_AS_READ"},
    {29, "CMC_E_UNRECOGNIZED_MESSAGE_TYPE"},
    {30, "CMC_E_UNSUPPORTED_ACTION"},
    {31, "CMC_E_UNSUPPORTED_CHARACTER_SET"},
    {32, "CMC_E_UNSUPPORTED_DATA_EXT"},
    {33, "CMC_E_UNSUPPORTED_FLAG"},
    {34, "CMC_E_UNSUPPORTED_FUNCTION_EXT"},
    {35, "CMC_E_UNSUPPORTED_VERSION"},
    {36, "CMC_E_USER_CANCEL"},
    {37, "CMC_E_USER_NOT_LOGGED_ON"},
};

constexpr SymbolRow kPropTypes[] = {
    {0x0000, "PT_UNSPECIFIED"}, {0x0001, "PT_NULL"},       {0x0002, "PT_I2"},
    {0x0003, "PT_LONG"},        {0x0004, "PT_R4"},         {0x0005, "PT_DOUBLE"},
    {0x0006, "PT_CURRENCY"},    {0x0007, "PT_APPTIME"},    {0x000A, "PT_ERROR"},
    {0x000B, "PT_BOOLEAN"},     {0x000D, "PT_OBJECT"},     {0x0014, "PT_I8"},
    {0x001E, "PT_STRING8"},     {0x001F, "PT_UNICODE"},    {0x0040, "PT_SYSTIME"},
    {0x0048, "PT_CLSID"},       {0x0102, "PT_BINARY"},     {0x00FD, "PT_SRESTRICTION"},
    {0x00FE, "PT_ACTIONS"},     {0x1002, "PT_MV_I2"},      {0x1003, "PT_MV_LONG"},
    {0x1004, "PT_MV_R4"},       {0x1005, "PT_MV_DOUBLE"},  {0x1006, "PT_MV_CURRENCY"},
    {0x1007, "PT_MV_APPTIME"},  {0x1014, "PT_MV_I8"},      {0x101E, "PT_MV_STRING8"},
    {0x101F, "PT_MV_UNICODE"},  {0x1040, "PT_MV_SYSTIME"}, {0x1048, "PT_MV_CLSID"},
    {0x1102, "PT_MV_BINARY"},
};

constexpr SymbolRow kFolderTypes[] = {
    {0, "FOLDER_ROOT"}, {1, "FOLDER_GENERIC"}, {2, "FOLDER_SEARCH"}};

constexpr SymbolRow kTableStatus[] = {
    {0, "TBLSTAT_COMPLETE"},     {7, "TBLSTAT_QCHANGED"},        {9, "TBLSTAT_SORTING"},
    {10, "TBLSTAT_SORT_ERROR"},  {11, "TBLSTAT_SETTING_COLS"},   {13, "TBLSTAT_SETCOL_ERROR"},
    {14, "TBLSTAT_RESTRICTING"}, {15, "TBLSTAT_RESTRICT_ERROR"},
};

constexpr SymbolRow kTableTypes[] = {
    {0, "TBLTYPE_SNAPSHOT"}, {1, "TBLTYPE_KEYSET"}, {2, "TBLTYPE_DYNAMIC"}};

constexpr SymbolRow kSortOrders[] = {
    {0, "TABLE_SORT_ASCEND"}, {1, "TABLE_SORT_DESCEND"}, {2, "TABLE_SORT_COMBINE"}};

constexpr SymbolRow kRestrictionTypes[] = {
    {0, "RES_AND"},      {1, "RES_OR"},
    {2, "RES_NOT"},      {3, "RES_CONTENT"},
    {4, "RES_PROPERTY"}, {5, "RES_COMPAREPROPS"},
    {6, "RES_BITMASK"},  {7, "RES_SIZE"},
    {8, "RES_EXIST"},    {9, "RES_SUBRESTRICTION"},
    {10, "RES_COMMENT"},
};

constexpr SymbolRow kRelOps[] = {{0, "<"}, {1, "<="}, {2, ">"},   {3, ">="},
                                 {4, "="}, {5, "!="}, {6, "LIKE"}};

constexpr SymbolRow kBitmaskRelations[] = {{0, "BMR_EQZ"}, {1, "BMR_NEZ"}};

constexpr SymbolRow kFuzzyLevels[] = {
    {0x00000, "FL_FULLSTRING"}, {0x00001, "FL_SUBSTRING"},      {0x00002, "FL_PREFIX"},
    {0x10000, "FL_IGNORECASE"}, {0x20000, "FL_IGNORENONSPACE"}, {0x40000, "FL_LOOSE"},
};

constexpr SymbolRow kObjectTypes[] = {
    {0x1, "MAPI_STORE"},    {0x2, "MAPI_ADDRBOOK"}, {0x3, "MAPI_FOLDER"},  {0x4, "MAPI_ABCONT"},
    {0x5, "MAPI_MESSAGE"},  {0x6, "MAPI_MAILUSER"}, {0x7, "MAPI_ATTACH"},  {0x8, "MAPI_DISTLIST"},
    {0x9, "MAPI_PROFSECT"}, {0xA, "MAPI_STATUS"},   {0xB, "MAPI_SESSION"}, {0xC, "MAPI_FORMINFO"},
};

constexpr SymbolRow kNotifEvents[] = {
    {0x00000001, "fnevCriticalError"},   {0x00000002, "fnevNewMail"},
    {0x00000004, "fnevObjectCreated"},   {0x00000008, "fnevObjectDeleted"},
    {0x00000010, "fnevObjectModified"},  {0x00000020, "fnevObjectMoved"},
    {0x00000040, "fnevObjectCopied"},    {0x00000080, "fnevSearchComplete"},
    {0x00000100, "fnevTableModified"},   {0x00000200, "fnevStatusObjectModified"},
    {0x40000000, "fnevReservedForMapi"}, {0x80000000, "fnevExtended"},
};

constexpr SymbolRow kTableEvents[] = {
    {1, "TABLE_CHANGED"},       {2, "TABLE_ERROR"},        {3, "TABLE_ROW_ADDED"},
    {4, "TABLE_ROW_DELETED"},   {5, "TABLE_ROW_MODIFIED"}, {6, "TABLE_SORT_DONE"},
    {7, "TABLE_RESTRICT_DONE"}, {8, "TABLE_SETCOL_DONE"},
};

constexpr SymbolRow kMessageFlags[] = {
    {0x01, "MSGFLAG_READ"},       {0x02, "MSGFLAG_UNMODIFIED"}, {0x04, "MSGFLAG_SUBMIT"},
    {0x08, "MSGFLAG_UNSENT"},     {0x10, "MSGFLAG_HASATTACH"},  {0x20, "MSGFLAG_FROMME"},
    {0x40, "MSGFLAG_ASSOCIATED"}, {0x80, "MSGFLAG_RESEND"},
};

constexpr SymbolRow kRecipientTypes[] = {
    {0, "MAPI_ORIG"}, {1, "MAPI_TO"}, {2, "MAPI_CC"}, {3, "MAPI_BCC"}};

constexpr SymbolRow kEntryIdFlags[] = {
    {0x80, "MAPI_SHORTTERM"}, {0x40, "MAPI_NOTRECIP"},    {0x20, "MAPI_THISSESSION"},
    {0x10, "MAPI_NOW"},       {0x08, "MAPI_NOTRESERVED"},
};

constexpr SymbolRow kResourceTypes[] = {
    {33, "MAPI_STORE_PROVIDER"}, {34, "MAPI_AB"},
    {35, "MAPI_AB_PROVIDER"},    {36, "MAPI_TRANSPORT_PROVIDER"},
    {37, "MAPI_SPOOLER"},        {38, "MAPI_PROFILE_PROVIDER"},
    {39, "MAPI_SUBSYSTEM"},      {40, "MAPI_HOOK_PROVIDER"},
};

constexpr SymbolRow kPriorities[] = {
    {1, "PRIO_URGENT"}, {0, "PRIO_NORMAL"}, {0xFFFFFFFF, "PRIO_NONURGENT"}};

constexpr SymbolRow kAttachMethods[] = {
    {0, "NO_ATTACHMENT"},       {1, "ATTACH_BY_VALUE"},
    {2, "ATTACH_BY_REFERENCE"}, {3, "ATTACH_BY_REF_RESOLVE"},
    {4, "ATTACH_BY_REF_ONLY"},  {5, "ATTACH_EMBEDDED_MSG"},
    {6, "ATTACH_OLE"},
};

// Property identifiers: the identifier half of every named tag.
template <std::size_t N>
constexpr std::array<SymbolRow, N> IdentifiersOf(const SymbolRow (&tags)[N]) {
  std::array<SymbolRow, N> ids{};
  for (std::size_t i = 0; i < N; ++i) ids[i] = {tags[i].value >> 16, tags[i].name};
  return ids;
}
constexpr auto kPropIds = IdentifiersOf(detail::kPropTags);

constexpr SymbolTable kTables[] = {
    {"MAPIErrors", kMapiErrors},
    {"CMCErrors", kCmcErrors},
    {"PropTags", detail::kPropTags},
    {"PropIDs", kPropIds},
    {"PropType", kPropTypes},
    {"FolderType", kFolderTypes},
    {"TableStatus", kTableStatus},
    {"TableType", kTableTypes},
    {"SortOrder", kSortOrders},
    {"RestrictionType", kRestrictionTypes},
    {"RelOp", kRelOps},
    {"Bmr", kBitmaskRelations},
    {"FuzzyLevel", kFuzzyLevels},
    {"MAPIObjTypes", kObjectTypes},
    {"NotifEvents", kNotifEvents},
    {"TableEvents", kTableEvents},
    {"MsgFlags", kMessageFlags},
    {"RecipType", kRecipientTypes},
    {"EIDFlags", kEntryIdFlags},
    {"ResourceType", kResourceTypes},
    {"Priority", kPriorities},
    {"AttachMethod", kAttachMethods},
};

}  // namespace

std::span<const SymbolTable> SymbolTables() {
  return kTables;
}

std::string MapiSymbolName(std::string_view table, std::uint32_t value) {
  for (const SymbolTable& t : kTables) {
    if (!platform::EqualsNoCase(t.name, table)) continue;
    for (const SymbolRow& row : t.rows)
      if (row.value == value) return row.name;
    // Appended, not prefixed: g++ 12 warns falsely on "$" + std::string.
    std::string unknown = "$";
    unknown += Hex8(static_cast<HRESULT>(value));
    return unknown;
  }
  return {};
}

}  // namespace mapi
