// "waitprocess" taking this copy's mark out of the instance file's head,
// over any head of up to 256 bytes and any mark, against a model of the two
// lists as sequences.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "macro/macro_wait.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int mark = data[0];
  std::vector<std::uint8_t> head(data + 1, data + std::min<std::size_t>(size, 257));
  const std::vector<std::uint8_t> before = head;
  const std::size_t n = head.size();

  // The model: the first match of the mark in the first list (bytes
  // 0-127 present); both lists lose the byte at that index and end in 0.
  std::size_t at = 0;
  const std::size_t firstEnd = std::min<std::size_t>(n, 128);
  while (at < firstEnd && before[at] != mark) ++at;
  const bool found = mark >= 1 && mark <= 99 && at < firstEnd;
  std::vector<std::uint8_t> want = before;
  if (found) {
    for (std::size_t base : {std::size_t{0}, std::size_t{128}}) {
      const std::size_t end = std::min<std::size_t>(n, base + 128);
      if (base + at >= end) continue;
      want.erase(want.begin() + static_cast<std::ptrdiff_t>(base + at));
      want.insert(want.begin() + static_cast<std::ptrdiff_t>(end - 1), 0);
    }
  }
  const bool removed = macro::MacroRemoveInstanceMark(head.data(), head.size(), mark);
  if (removed != found) __builtin_trap();
  if (head != want) __builtin_trap();
  return 0;
}
