// Sets TZ for one scope (or removes it, for nullptr) and restores it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace platform::testing {

class ScopedTz {
 public:
  explicit ScopedTz(const char* value) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) saved_ = old;
    if (value)
      ::setenv("TZ", value, 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  ~ScopedTz() {
    if (had_)
      ::setenv("TZ", saved_.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  ScopedTz(const ScopedTz&) = delete;
  ScopedTz& operator=(const ScopedTz&) = delete;

 private:
  std::string saved_;
  bool had_ = false;
};

}  // namespace platform::testing
