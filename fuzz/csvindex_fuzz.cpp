// The CSV scanner and line lookup over random buffers: the copy never writes
// past the capacity (the buffer is allocated with exactly that size), always
// leaves its NUL, and the index stays inside the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "csv/csv_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int mode = data[0] % 3 == 2 ? 3 : data[0] % 3;
  const int pad = static_cast<int8_t>(data[1]);  // -128..127, below 1 = none
  const std::uint32_t capacity = (static_cast<std::uint32_t>(data[2]) << 4) | (data[3] & 15);
  data += 4;
  size -= 4;
  const std::uint32_t len = static_cast<std::uint32_t>(size > (1u << 20) ? (1u << 20) : size);

  auto v = std::make_unique<csv::TableFields>();
  std::unique_ptr<std::uint8_t[]> buf(capacity ? new std::uint8_t[capacity] : nullptr);
  v->m_pTextBuf = buf.get();
  v->m_nWorkSize = capacity;
  v->m_nCurLine = 1 + (pad & 7);
  v->m_bPlainLines = pad & 8 ? 1 : 0;

  // The source lies outside the buffer (the fuzzer's own copy).
  std::uint32_t outLen = 0, maxCols = 0;
  std::int32_t last = csv::BuildCsvIndex(*v, data, len, &outLen, &maxCols, mode, pad);
  if (last < -1) __builtin_trap();
  const std::uint32_t blocks = v->BlockCount();
  if (blocks < 1 || blocks >= static_cast<std::uint32_t>(csv::MAX_CSV_BLOCKS)) __builtin_trap();
  const std::uint32_t end = mode == 0 ? outLen : len;
  for (std::uint32_t k = 1; k <= blocks; ++k) {
    if (v->m_aSecOffset[k] > end || v->m_aSecScanPos[k] > end || v->m_aSecInfoB[k] > end)
      __builtin_trap();
  }
  if (mode == 0 && capacity > 0) {
    if (outLen >= capacity || buf[outLen] != 0) __builtin_trap();
    // Rescan the copy in place, as the table operations do.
    std::uint32_t dummy = 0;
    csv::BuildCsvIndex(*v, buf.get(), outLen, &dummy, &maxCols, 1, -1);
    // And a copy of the buffer into itself.
    csv::BuildCsvIndex(*v, buf.get(), outLen, &dummy, &maxCols, 0, pad);
    if (dummy >= capacity || buf[dummy] != 0) __builtin_trap();
  }
  for (int lineMode : {1, 2, 4}) {
    std::uint32_t off = 0;
    csv::LineToOffset(*v, data, len, &off, lineMode, 0);
    if (off > len) __builtin_trap();
  }
  return 0;
}
