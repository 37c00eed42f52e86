// The line counter of "filepart" with 'n' over any file contents held in
// memory, checked against a plain model: the range of lines first..last
// found by splitting the whole text at its line feeds. The first bytes pick
// the lines; every read asks for at most 4,096 bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "macro/macro_fileoperand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;  // bytes 0-2: the lines; byte 3 unused
  const std::int64_t first = static_cast<std::int8_t>(data[0]);
  std::int64_t last = static_cast<std::int8_t>(data[1]);
  if (data[2] == 0xFF) last = std::numeric_limits<std::int64_t>::max();
  const std::string_view text(reinterpret_cast<const char*>(data + 4), std::min<size_t>(size - 4, 200000));
  const macro::LineRange r = macro::MacroFindLineRange(
      [&](std::uint64_t offset, char* buf, std::size_t n) -> std::size_t {
        if (offset > text.size()) __builtin_trap();
        std::size_t got = std::min<std::size_t>(n, text.size() - offset);
        if (n > macro::kFileLineBlock) __builtin_trap();
        std::memcpy(buf, text.data() + offset, got);
        return got;
      },
      text.size(), first, last);
  // The model.
  std::vector<std::uint64_t> ends;  // byte after each line feed
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') ends.push_back(i + 1);
  const std::int64_t f = first < 1 ? 1 : first;
  std::int64_t l = last == 0 ? f + macro::kDefaultLineSpan : last;
  if (l < f) l = std::numeric_limits<std::int64_t>::max();
  std::uint64_t start = text.size(), end = text.size();
  if (f == 1) start = 0;
  else if (static_cast<std::uint64_t>(f - 1) <= ends.size()) start = ends[static_cast<std::size_t>(f - 2)];
  if (static_cast<std::uint64_t>(l) <= ends.size()) end = ends[static_cast<std::size_t>(l - 1)];
  if (r.start != start || r.end != end || r.start > r.end || r.end > text.size()) __builtin_trap();
  return 0;
}
