// Win32-shaped platform calls, implemented on POSIX against the machine root.
// The system's own code calls these exactly as it would call Windows; the
// shapes (names, parameters, return codes) are those of the Windows API.
// The base types (DWORD, BOOL, FILETIME, HRESULT ...) come from WinTypes.h,
// which MAPI builds on too, so that both agree.
#pragma once

#include <cstdint>
#include <string>

#include "WinTypes.h"

// ---------------------------------------------------------------------------
// Handles and common types.
using HANDLE = void*;
using HMODULE = void*;
using FARPROC = void (*)();
using LPDWORD = DWORD*;
using PSID = void*;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr LONG ERROR_NONE_MAPPED = 1332;
constexpr LONG ERROR_BAD_NETPATH = 53;
constexpr LONG RPC_S_SERVER_UNAVAILABLE = 1722;  // the RPC server is unavailable

// An HRESULT made from a Win32 error code.
constexpr HRESULT HRESULT_FROM_WIN32(LONG err) {
  return err <= 0 ? static_cast<HRESULT>(err)
                  : static_cast<HRESULT>((static_cast<std::uint32_t>(err) & 0xFFFFu) | 0x80070000u);
}

DWORD GetLastError();
void SetLastError(DWORD err);

// ---------------------------------------------------------------------------
// Machine root: the folder that holds everything Windows keeps on a machine.
// TABRIX_MACHINE names it; without it, the folder "machine" beside the
// running executable.
namespace platform {
std::string MachineRoot();
// The running executable's full path and its folder (no trailing slash).
std::string ExecutablePath();
std::string ExecutableDir();
}  // namespace platform

// ---------------------------------------------------------------------------
// Registry: one REGEDIT4 text hive per root key under <root>/registry/.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, void* lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Deletes a key and everything below it.
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
LONG RegCloseKey(HKEY hKey);
LONG RegFlushKey(HKEY hKey);

// ---------------------------------------------------------------------------
// Event log: <root>/eventlog/Application.jsonl, one JSON object per event,
// also handed to syslog.
constexpr WORD EVENTLOG_ERROR_TYPE = 0x0001;
constexpr WORD EVENTLOG_WARNING_TYPE = 0x0002;
constexpr WORD EVENTLOG_INFORMATION_TYPE = 0x0004;

HANDLE RegisterEventSourceA(LPCSTR lpUNCServerName, LPCSTR lpSourceName);
BOOL ReportEventA(HANDLE hEventLog, WORD wType, WORD wCategory, DWORD dwEventID, PSID lpUserSid,
                  WORD wNumStrings, DWORD dwDataSize, LPCSTR* lpStrings, LPVOID lpRawData);
BOOL DeregisterEventSource(HANDLE hEventLog);

// ---------------------------------------------------------------------------
// Private-profile (INI) reading, and the Windows profile <root>/win.ini.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
using UINT = unsigned int;
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, int nDefault, LPCSTR lpFileName);
UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, int nDefault);

// ---------------------------------------------------------------------------
// Dynamic loading. A Windows module name ("mapi32.dll", with or without a
// folder) maps to lib<name>.so in that folder, or in the system directory
// <root>/system32 when no folder is given, without regard to case.
// GetProcAddress accepts decorated names ("MAPIInitialize@4").
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);
// A module already loaded by this process, by Windows module name; a null
// name gives the running program.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);

// ---------------------------------------------------------------------------
// Versions. The platform identifier and version come from <root>/machine.ini
// ([Version] PlatformId, MajorVersion, MinorVersion, BuildNumber; Windows XP
// on NT when absent).
constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation);

// File version resources. A library's resource is the text file
// "<library file>.version" beside it, with the lines
//   Translation=040904E4
//   FileVersion=11.0.5604.0
// (any further "Name=Value" lines are string-file-info values too).
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// Sub-blocks "\VarFileInfo\Translation" (pairs of WORD language, WORD code
// page) and "\StringFileInfo\040904E4\FileVersion" (a zero-terminated text).
BOOL VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);

DWORD GetCurrentProcessId();

// The creation time (UTC, to the second) of a running process: the part of
// OpenProcess and GetProcessTimes the programs need. FALSE with
// ERROR_INVALID_PARAMETER when no process has that identifier.
BOOL GetProcessCreationTime(DWORD processId, FILETIME* creationTime);

// ---------------------------------------------------------------------------
// Time.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct TIME_ZONE_INFORMATION {
  LONG Bias;  // minutes, UTC = local time + Bias
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

void GetSystemTime(SYSTEMTIME* lpSystemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
// Shifts by the offset from UTC in force now, whatever the date's own.
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
// From the machine's zone (TZ, or /etc/localtime), through the POSIX rule at
// the end of the zone file.
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* lpTimeZoneInformation);

// ---------------------------------------------------------------------------
// Message boxes outside any window (the console's non-NT event path). Here
// they write the caption and text to standard error.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
int MessageBoxA(void* hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// ---------------------------------------------------------------------------
// Shell "open" of a URL or file through the desktop (xdg-open); nothing
// happens when there is no desktop. Returns a value above 32 on success.
std::intptr_t ShellExecuteA(void* hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                            LPCSTR lpDirectory, int nShowCmd);
constexpr int SW_SHOWNORMAL = 1;
// ShellExecuteA's failures (results up to 32).
constexpr std::intptr_t SE_ERR_FNF = 2;
constexpr std::intptr_t SE_ERR_OOM = 8;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;
