// Lines of the table text as the workbook writer walks them: a line ends at
// CR, LF, NUL or the text end, and CR LF counts as one break.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace xlsx {
namespace textlines {

struct Line {
  std::uint32_t start = 0;  // first byte
  std::uint32_t end = 0;    // its CR, LF, NUL or the text end
  std::uint32_t next = 0;   // the next line's start
};

// The line starting at `s` (clamped to the text end).
inline Line LineAt(const char* t, std::uint32_t len, std::uint32_t s) {
  Line l;
  l.start = std::min(s, len);
  std::uint32_t p = l.start;
  while (p < len && t[p] != '\r' && t[p] != '\n' && t[p] != '\0') ++p;
  l.end = p;
  if (p < len && t[p] == '\r') ++p;
  if (p < len && t[p] == '\n') ++p;
  l.next = p;
  return l;
}

inline bool Begins(const char* t, const Line& l, const char* key) {
  const std::size_t k = std::strlen(key);
  return l.end - l.start >= k && std::memcmp(t + l.start, key, k) == 0;
}

// A settings line of a sheet: "XL…" or "!#XL…".
inline bool IsSettingsLine(const char* t, const Line& l) { return Begins(t, l, "XL") || Begins(t, l, "!#XL"); }

}  // namespace textlines
}  // namespace xlsx
