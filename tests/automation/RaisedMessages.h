// Calls that must each raise an automation error with a given text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "OleAuto.h"

namespace automationtest {

struct RaisingCall {
  std::function<void()> call;
  const char* message;
};

inline void ExpectRaised(const std::vector<RaisingCall>& rows) {
  for (const RaisingCall& r : rows) {
    try {
      r.call();
      ADD_FAILURE() << "no error: " << r.message;
    } catch (const automation::EOleError& e) {
      EXPECT_STREQ(e.what(), r.message);
    }
  }
}

}  // namespace automationtest
