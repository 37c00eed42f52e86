// Runs an outside tool of the build machine over bytes (native tests only).
#pragma once

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <string>

namespace textcodectest {

// Runs a shell command with `input` on its standard input and returns its
// output ("" when the tool is missing); *ok tells whether it exited with 0.
inline std::string RunTool(const std::string& command, const std::string& input, bool* ok = nullptr) {
  char path[] = "/tmp/textcodec_testXXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return "";
  FILE* f = fdopen(fd, "wb");
  std::fwrite(input.data(), 1, input.size(), f);
  std::fclose(f);
  std::string out;
  int status = -1;
  FILE* p = popen(("(" + command + ") < " + path + " 2>/dev/null").c_str(), "r");
  if (p != nullptr) {
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    status = pclose(p);
  }
  std::remove(path);
  if (ok) *ok = status == 0;
  return out;
}

}  // namespace textcodectest
#endif
