// The locale seam: derivation from the C library locale and the test pins.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LocaleDefaults.h"
#include "LocaleSettings.h"

using platform::LocaleSettings;
using platform::detail::LocaleFromName;
using platform::detail::WidenYear;

TEST(Locale, TheCLocale) {
  for (const char* name : {"C", "POSIX", "no_SUCH.locale"}) {
    SCOPED_TRACE(name);
    const LocaleSettings s = LocaleFromName(name);
    EXPECT_EQ(s.thousandsSeparator, "");
    EXPECT_EQ(s.decimalSeparator, ".");
    EXPECT_EQ(s.shortDateFormat, "%m/%d/%Y");  // "%m/%d/%y" widened
    EXPECT_EQ(s.longTimeFormat, "%H:%M:%S");
  }
}

TEST(Locale, TwoDigitYearsAreWidened) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c :
       {Case{"%m/%d/%y", "%m/%d/%Y"}, Case{"%d.%m.%y", "%d.%m.%Y"}, Case{"%Y-%m-%d", "%Y-%m-%d"},
        Case{"%D", "%m/%d/%Y"}, Case{"%%y%y", "%%y%Y"}, Case{"%", "%"}, Case{"", ""}}) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(WidenYear(c.in), c.out);
  }
}

// glibc keeps the search path that LOCPATH makes for newlocale and never
// frees it; the programs themselves do not use LOCPATH.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n";
}

namespace {

// A small locale of our own, compiled into a private folder, so that the
// test does not depend on what the machine has installed.
constexpr const char* kLocaleSource = R"(comment_char %
escape_char /
LC_CTYPE
copy "POSIX"
END LC_CTYPE
LC_COLLATE
copy "POSIX"
END LC_COLLATE
LC_MONETARY
copy "POSIX"
END LC_MONETARY
LC_MESSAGES
copy "POSIX"
END LC_MESSAGES
LC_NUMERIC
decimal_point "<U002C>"
thousands_sep "<U0027>"
grouping 3
END LC_NUMERIC
LC_TIME
abday "Sun";"Mon";"Tue";"Wed";"Thu";"Fri";"Sat"
day "Sunday";"Monday";"Tuesday";"Wednesday";"Thursday";"Friday";"Saturday"
abmon "Jan";"Feb";"Mar";"Apr";"May";"Jun";"Jul";"Aug";"Sep";"Oct";"Nov";"Dec"
mon "January";"February";"March";"April";"May";"June";"July";"August";"September";"October";"November";"December"
am_pm "AM";"PM"
d_t_fmt "%a %d %b %Y %T"
d_fmt "%d.%m.%y"
t_fmt "%H.%M.%S"
t_fmt_ampm ""
END LC_TIME
)";

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) saved_ = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_.c_str(), saved_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }

 private:
  std::string name_, saved_;
  bool had_ = false;
};

}  // namespace

TEST(Locale, ANamedLocaleAndTheEnvironment) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tabrix-locales-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  { std::ofstream(dir / "tx.def") << kLocaleSource; }
  // localedef warns (exit status 1) about the categories left out.
  const std::string command = "localedef -i " + (dir / "tx.def").string() + " -f ANSI_X3.4-1968 " +
                              (dir / "tx_TX").string() + " >/dev/null 2>&1";
  const int rc = std::system(command.c_str());
  ASSERT_TRUE(rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) <= 1) << "localedef failed";

  ScopedEnv path("LOCPATH", dir.c_str());
  const LocaleSettings named = LocaleFromName("tx_TX");
  EXPECT_EQ(named.thousandsSeparator, "'");
  EXPECT_EQ(named.decimalSeparator, ",");
  EXPECT_EQ(named.shortDateFormat, "%d.%m.%Y");  // "%d.%m.%y" widened
  EXPECT_EQ(named.longTimeFormat, "%H.%M.%S");
  {
    ScopedEnv all("LC_ALL", "tx_TX");
    const LocaleSettings fromEnvironment = platform::detail::LocaleFromEnvironment();
    EXPECT_EQ(fromEnvironment.decimalSeparator, ",");
    EXPECT_EQ(fromEnvironment.shortDateFormat, "%d.%m.%Y");
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

TEST(Locale, CurrentIsComputedOnceAndCanBePinned) {
  platform::ResetLocaleForTesting();
  const LocaleSettings& first = platform::CurrentLocale();
  EXPECT_EQ(&platform::CurrentLocale(), &first);
  EXPECT_FALSE(first.decimalSeparator.empty());

  platform::SetLocaleForTesting({"'", ",", "%d.%m.%Y", "%H:%M"});
  EXPECT_EQ(platform::CurrentLocale().thousandsSeparator, "'");
  EXPECT_EQ(platform::CurrentLocale().shortDateFormat, "%d.%m.%Y");
  platform::ResetLocaleForTesting();
  EXPECT_EQ(platform::CurrentLocale().decimalSeparator,
            platform::detail::LocaleFromEnvironment().decimalSeparator);
}
