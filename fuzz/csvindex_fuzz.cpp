// The CSV scanner and line lookup over random buffers: the copy never writes
// past the capacity (the buffer is allocated with exactly that size, up to
// 1 MB), always leaves its NUL, and the index stays inside the text. Rows and
// blocks are checked against a small model: in a text without marks (no
// '!', '~', '^', '$', '"', NUL, at most three fields a row) every CR LF, CR
// or LF ends a row and there is one block; in any text the blocks are at
// most one more than the "!#"/"!*" lines (a line starts after CR, LF or
// NUL); a copy that was not cut scans to
// the same rows and blocks as its source. The index made following a pass
// equals the whole text's.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "../tests/csv/index_follow_sim.h"
#include "csv/csv_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const std::uint8_t head = data[0];
  const int mode = data[0] % 3 == 2 ? 3 : data[0] % 3;
  const int pad = static_cast<int8_t>(data[1]);  // -128..127, below 1 = none
  // Capacities up to 1 MB: small ones byte by byte, large ones in steps.
  const std::uint32_t raw = (static_cast<std::uint32_t>(data[2]) << 8) | data[3];
  const std::uint32_t capacity = raw < 0x8000 ? raw & 0xFFF : std::min<std::uint32_t>((raw & 0x7FFF) << 5, 1u << 20);
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
  const std::uint32_t notes = v->m_nScanNotes;
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
  // The model.
  {
    bool plain = true;
    std::uint32_t rowEnds = 0, marks = 0, fields = 1, maxFields = 1;
    for (std::uint32_t i = 0; i < len; ++i) {
      const std::uint8_t c = data[i];
      // A NUL ends a row too (and the text, right after a block start it sees).
      const bool lineStart = i == 0 || data[i - 1] == '\n' || data[i - 1] == '\r' || data[i - 1] == 0;
      if (lineStart && c == '!' && i + 1 < len && (data[i + 1] == '#' || data[i + 1] == '*')) ++marks;
      if (c == '!' || c == '~' || c == '^' || c == '$' || c == '"' || c == 0) plain = false;
      if (c == csv::CSV_FIELD_SEP) maxFields = std::max(maxFields, ++fields);
      if (c == '\n' || (c == '\r' && !(i + 1 < len && data[i + 1] == '\n'))) {
        ++rowEnds;
        fields = 1;
      }
    }
    if (maxFields > 3) plain = false;
    if (blocks > marks + 1) __builtin_trap();
    const bool endsRow = len > 0 && (data[len - 1] == '\n' || data[len - 1] == '\r');
    const std::uint32_t rows = len == 0 ? 1 : rowEnds + (endsRow ? 0 : 1);
    const bool cut = (notes & csv::kCsvScanTruncated) != 0;
    if (plain && !(mode == 0 && cut)) {
      if (last != static_cast<std::int32_t>(rows) - 1 || blocks != 1) __builtin_trap();
    }
    if (mode == 0 && capacity > 0 && !cut && pad < 1 && plain) {
      auto w = std::make_unique<csv::TableFields>();
      w->m_nCurLine = v->m_nCurLine;
      w->m_bPlainLines = v->m_bPlainLines;
      std::uint32_t l2 = 0, c2 = 0;
      const std::vector<std::uint8_t> copy(buf.get(), buf.get() + outLen);
      if (csv::BuildCsvIndex(*w, copy.data(), outLen, &l2, &c2, 1, -1) != last || w->BlockCount() != blocks)
        __builtin_trap();
    }
  }
  for (int lineMode : {1, 2, 4}) {
    std::uint32_t off = 0;
    csv::LineToOffset(*v, data, len, &off, lineMode, 0);
    if (off > len) __builtin_trap();
  }
  // The index following a pass that writes the text in pieces (every
  // stride-th LF ends one) equals the whole text's, reads nothing not yet
  // written (poisoned), and is abandoned when the pass gives up.
  if (mode != 0) {
    const std::uint32_t stride = 1 + (static_cast<std::uint8_t>(pad) & 15);
    std::vector<std::uint32_t> cuts;
    std::uint32_t lfs = 0;
    for (std::uint32_t i = 0; i < len; ++i)
      if (data[i] == '\n' && ++lfs % stride == 0) cuts.push_back(i + 1);
    const int failAt = head & 0x80 ? (head >> 3) & 7 : -1;
    auto whole = std::make_unique<csv::TableFields>();
    auto follow = std::make_unique<csv::TableFields>();
    std::uint32_t wl = 0, wc = 0, fc = 0;
    const std::int32_t wr = csv::BuildCsvIndex(*whole, data, len, &wl, &wc, csv::kCsvScanOnly, -1);
    csvtest::RevealedText revealed(data, len, cuts, failAt);
    const std::int32_t fr = csv::BuildCsvIndexFollowing(*follow, revealed.data(), len, &fc, revealed.Follow());
    if (fr == csv::kIndexAbandoned) {
      if (failAt < 0) __builtin_trap();
    } else if (fr != wr || fc != wc || !csv::SameBlockIndex(*whole, *follow)) {
      __builtin_trap();
    }
  }
  return 0;
}
