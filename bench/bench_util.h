// Small helpers shared by the benchmark programs: a clock, seconds between
// two readings, generated text, whole files in and out, and a timed shell
// command for the outside tool each benchmark is measured against.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}
inline double Seconds(Clock::time_point from) { return Seconds(from, Clock::now()); }

// `line` repeated until the text has at least `bytes` bytes.
inline std::string RepeatLine(const std::string& line, std::size_t bytes) {
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  return s;
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The whole file, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::string s;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return s;
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

// Runs a shell command; its exit status goes to *rc, its seconds are returned.
inline double TimeCommand(const std::string& cmd, int* rc) {
  auto t0 = Clock::now();
  *rc = std::system(cmd.c_str());
  return Seconds(t0);
}

}  // namespace bench
