// Tests that run outside tools of the build machine: whether a tool is on
// the PATH, and a skip naming the first missing one.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace testsupport {

inline bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace testsupport

#define REQUIRE_TOOLS(...)                                  \
  for (const char* t_ : {__VA_ARGS__}) {                    \
    if (!::testsupport::HaveTool(t_)) {                     \
      GTEST_SKIP() << "outside tool missing: " << t_;       \
    }                                                       \
  }
