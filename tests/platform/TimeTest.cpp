// System time and the FILETIME <-> SYSTEMTIME conversions.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "ScopedTz.h"
#include "TimeConversion.h"
#include "Win32.h"

using platform::detail::FileTimeValue;
using platform::detail::MakeFileTime;
using platform::testing::ScopedTz;

namespace {

SYSTEMTIME Make(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  SYSTEMTIME st{};
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

}  // namespace

TEST(SystemTimeToFileTime, KnownInstants) {
  struct Case {
    SYSTEMTIME st;
    std::uint64_t ticks;
    WORD dayOfWeek;
  };
  const std::vector<Case> cases = {
      {Make(1601, 1, 1), 0, 1},                      // the FILETIME epoch, a Monday
      {Make(1970, 1, 1), 116444736000000000ULL, 4},  // the Unix epoch, a Thursday
      {Make(2000, 2, 29, 12, 30, 15, 250), 125963010152500000ULL, 2},
      {Make(2026, 12, 9, 4, 41, 10), 134412648700000000ULL, 3},
      {Make(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0ULL, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.st.wYear);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
    EXPECT_EQ(FileTimeValue(ft), c.ticks);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, c.st.wYear);
    EXPECT_EQ(back.wMonth, c.st.wMonth);
    EXPECT_EQ(back.wDay, c.st.wDay);
    EXPECT_EQ(back.wHour, c.st.wHour);
    EXPECT_EQ(back.wMinute, c.st.wMinute);
    EXPECT_EQ(back.wSecond, c.st.wSecond);
    EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
    EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek);
  }
}

TEST(SystemTimeToFileTime, InvalidFieldsFail) {
  const std::vector<SYSTEMTIME> bad = {
      Make(1600, 12, 31),
      Make(30828, 1, 1),
      Make(2001, 2, 29),
      Make(2000, 13, 1),
      Make(2000, 0, 1),
      Make(2000, 1, 0),
      Make(2000, 4, 31),
      Make(2000, 1, 1, 24),
      Make(2000, 1, 1, 0, 60),
      Make(2000, 1, 1, 0, 0, 60),
      Make(2000, 1, 1, 0, 0, 0, 1000),
  };
  for (const SYSTEMTIME& st : bad) {
    SCOPED_TRACE(::testing::Message()
                 << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour << ":"
                 << st.wMinute << ":" << st.wSecond << "." << st.wMilliseconds);
    FILETIME ft{1, 1};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  // The day of the week is not checked.
  SYSTEMTIME st = Make(2024, 1, 1);
  st.wDayOfWeek = 6;
  FILETIME ft{};
  EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
}

TEST(FileTimeToSystemTime, FailsFromTheTopBitOn) {
  SYSTEMTIME st{};
  FILETIME last = MakeFileTime(0x7FFFFFFFFFFFFFFFULL);
  ASSERT_TRUE(FileTimeToSystemTime(&last, &st));
  EXPECT_EQ(st.wYear, 30828);
  EXPECT_EQ(st.wMonth, 9);
  EXPECT_EQ(st.wDay, 14);
  for (std::uint64_t v : {0x8000000000000000ULL, 0xFFFFFFFFFFFFFFFFULL}) {
    FILETIME ft = MakeFileTime(v);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(FileTimeToSystemTime, RoundTripsOverTheWholeRange) {
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 20000; ++i) {
    // Whole milliseconds, as SYSTEMTIME holds them, below year 30828.
    const std::uint64_t ticks = random() % 0x7FFF35F4F06C58F0ULL / 10000 * 10000;
    FILETIME ft = MakeFileTime(ticks);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    FILETIME back{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
    ASSERT_EQ(FileTimeValue(back), ticks);
  }
}

TEST(GetSystemTime, IsNowInUtc) {
  SYSTEMTIME st{};
  GetSystemTime(&st);
  FILETIME ft{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  const auto unix =
      static_cast<std::int64_t>((FileTimeValue(ft) - 116444736000000000ULL) / 10000000ULL);
  EXPECT_LE(std::llabs(unix - static_cast<std::int64_t>(std::time(nullptr))), 2);
}

TEST(FileTimeToLocalFileTime, ShiftsByTheOffsetInForceNow) {
  for (const char* zone :
       {"UTC", "Asia/Tokyo", "America/New_York", "Australia/Sydney", "Europe/Dublin"}) {
    SCOPED_TRACE(zone);
    ScopedTz tz(zone);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    // Both a winter and a summer date move by today's offset.
    for (std::uint64_t utc : {133500000000000000ULL, 133650000000000000ULL}) {
      FILETIME in = MakeFileTime(utc), out{};
      ASSERT_TRUE(FileTimeToLocalFileTime(&in, &out));
      EXPECT_EQ(static_cast<std::int64_t>(FileTimeValue(out) - utc), local.tm_gmtoff * 10000000LL);
    }
  }
}

TEST(GetProcessCreationTime, RunningProcessesOnly) {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  FILETIME nowTime{};
  ASSERT_TRUE(SystemTimeToFileTime(&now, &nowTime));
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  // This process began before now (to the second) and not long before.
  FILETIME started{};
  ASSERT_TRUE(GetProcessCreationTime(GetCurrentProcessId(), &started));
  EXPECT_LE(ticks(started), ticks(nowTime) + 10'000'000ULL);
  EXPECT_GE(ticks(started) + 3600 * 10'000'000ULL, ticks(nowTime));
  // A child that has ended and been reaped has no process any more.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  EXPECT_FALSE(GetProcessCreationTime(static_cast<DWORD>(child), &started));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetProcessCreationTime(GetCurrentProcessId(), nullptr));
}
