// Generated comma tables for the table and function benchmarks: an id, a
// place name with a number, an amount, rows from a fixed seed.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// `names` holds eight place names (ASCII, or Shift-JIS ones).
inline std::string PlaceTable(long rows, const char* const (&names)[8]) {
  std::string t = "id,name,amount\r\n";
  t.reserve(static_cast<std::size_t>(rows) * 26);
  unsigned state = 7;
  for (long r = 0; r < rows; ++r) {
    state = state * 1103515245u + 12345u;
    t += std::to_string(r) + "," + names[(state >> 16) % 8] + "-" + std::to_string((state >> 8) % 1000) + "," +
         std::to_string(state % 100000) + "\r\n";
  }
  return t;
}

// The ASCII names the function benchmarks share (so they share one file).
inline std::string AsciiPlaceTable(long rows) {
  static const char* const names[8] = {"tokyo", "osaka", "kyoto", "nagoya", "sapporo", "fukuoka", "sendai", "kobe"};
  return PlaceTable(rows, names);
}

}  // namespace bench
