// The rewrite of a table's rich text over any bytes and mode: nothing is
// written at or past the input's length, the text is never longer than the
// input, and text without any control byte ('\', '{', '}', CR, LF) comes
// back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "table/table_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int mode = data[0] & 1;
  const std::size_t n = size - 1;
  // The input in a buffer of exactly its size (ASan sees any write past it),
  // and a copy to compare with.
  std::vector<char> buf(data + 1, data + size);
  const std::size_t len = table::RewriteTableRtf(n ? buf.data() : nullptr, n, mode);
  if (len > n) std::abort();
  bool plain = true;
  for (std::size_t i = 1; i < size && plain; ++i) {
    const std::uint8_t b = data[i];
    plain = b != '\\' && b != '{' && b != '}' && b != '\r' && b != '\n';
  }
  if (plain && (len != n || (n && std::memcmp(buf.data(), data + 1, n) != 0))) std::abort();
  return 0;
}
