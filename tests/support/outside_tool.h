// Tests that run outside tools of the build machine: whether a tool is on
// the PATH, a skip naming the first missing one, and a command's output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

inline bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

#ifndef _WIN32
// What a shell command writes to its standard output.
inline std::string RunCapture(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}
#endif

// Runs the fixture script `script` (a path under the source tree) into
// `folder` of the build tree, once per process: the folder, or an empty
// path when the script failed.
inline std::filesystem::path ScriptFixtures(const std::string& script, const std::string& folder) {
  const std::filesystem::path dir = std::filesystem::path(TABRYE_BIN_ROOT) / folder;
  const std::string cmd = "sh '" TABRYE_TEST_ROOT "/" + script + "' '" + dir.string() + "'";
  return std::system(cmd.c_str()) == 0 ? dir : std::filesystem::path();
}

}  // namespace testsupport

#define REQUIRE_TOOLS(...)                                  \
  for (const char* t_ : {__VA_ARGS__}) {                    \
    if (!::testsupport::HaveTool(t_)) {                     \
      GTEST_SKIP() << "outside tool missing: " << t_;       \
    }                                                       \
  }
