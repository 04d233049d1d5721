// System time and FILETIME conversions.
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "TimeConversion.h"
#include "TimeZoneRule.h"
#include "Win32.h"

using namespace platform::detail;

namespace {

// Windows' SYSTEMTIME range.
constexpr int kMinYear = 1601;
constexpr int kMaxYear = 30827;
constexpr std::uint64_t kFirstInvalidFileTime = 0x8000000000000000ULL;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

void FillSystemTime(std::uint64_t ticks, SYSTEMTIME* st) {
  const auto totalSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
  *st = SystemTimeFromUnix(totalSeconds - kDaysFrom1601To1970 * 86400);
  st->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
}

}  // namespace

void GetSystemTime(SYSTEMTIME* lpSystemTime) {
  if (lpSystemTime == nullptr) return;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  FillSystemTime(FileTimeValue(FileTimeFromUnix(now.tv_sec, now.tv_nsec)), lpSystemTime);
}

// The day of the week is ignored, as Windows does; every other field must
// be in range, or the call fails with ERROR_INVALID_PARAMETER.
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
  if (lpSystemTime == nullptr || lpFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& st = *lpSystemTime;
  if (st.wYear < kMinYear || st.wYear > kMaxYear || st.wMonth < 1 || st.wMonth > 12 ||
      st.wDay < 1 || st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 ||
      st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601To1970;
  const std::int64_t seconds = days * 86400 + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
  const std::uint64_t ticks = static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
                              static_cast<std::uint64_t>(st.wMilliseconds) * 10000;
  *lpFileTime = MakeFileTime(ticks);
  return TRUE;
}

// Values from 0x8000000000000000 on fail, as on Windows.
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
  if (lpFileTime == nullptr || lpSystemTime == nullptr ||
      FileTimeValue(*lpFileTime) >= kFirstInvalidFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FillSystemTime(FileTimeValue(*lpFileTime), lpSystemTime);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
  if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto offset = static_cast<std::int64_t>(
      UtcOffsetAt(MachineZoneRule(), static_cast<std::int64_t>(std::time(nullptr))));
  const auto utc = static_cast<std::int64_t>(FileTimeValue(*lpFileTime) & 0x7FFFFFFFFFFFFFFFULL);
  if (FileTimeValue(*lpFileTime) >= kFirstInvalidFileTime ||
      (offset < 0 && utc < -offset * kTicksPerSecond) ||
      (offset > 0 && utc > INT64_MAX - offset * kTicksPerSecond)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpLocalFileTime = MakeFileTime(static_cast<std::uint64_t>(utc + offset * kTicksPerSecond));
  return TRUE;
}

BOOL GetProcessCreationTime(DWORD processId, FILETIME* creationTime) {
  if (creationTime == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The start, in clock ticks after boot, is the 22nd field of
  // /proc/<pid>/stat; the fields after the name (which may hold blanks and
  // parentheses) begin after its last ')'.
  std::ifstream statFile("/proc/" + std::to_string(processId) + "/stat");
  std::string line;
  std::uint64_t startTicks = 0;
  bool found = false;
  if (processId != 0 && std::getline(statFile, line)) {
    const std::size_t close = line.rfind(')');
    if (close != std::string::npos) {
      std::istringstream fields(line.substr(close + 1));
      std::string field;
      for (int i = 3; i <= 22 && (fields >> field); ++i)
        if (i == 22) found = static_cast<bool>(std::istringstream(field) >> startTicks);
    }
  }
  std::ifstream systemFile("/proc/stat");
  std::int64_t bootSeconds = -1;
  for (std::string key; found && systemFile >> key;) {
    if (key == "btime") {
      systemFile >> bootSeconds;
      break;
    }
    std::getline(systemFile, key);
  }
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  if (!found || bootSeconds < 0 || ticksPerSecond <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *creationTime = FileTimeFromUnix(
      bootSeconds +
          static_cast<std::int64_t>(startTicks / static_cast<std::uint64_t>(ticksPerSecond)),
      0);
  return TRUE;
}
