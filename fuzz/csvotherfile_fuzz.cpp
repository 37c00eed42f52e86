// The second-text reader on random bytes, read whole or from an offset in
// chunks of random size: the working form is what the table's own load
// gives, the first record ends at the first row end, and no read passes the
// size the source gave.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"

namespace {

class ChunkSource final : public csv::OtherSource {
 public:
  ChunkSource(const std::uint8_t* b, std::size_t n, std::size_t chunk, std::int64_t claimed)
      : m_b(b), m_n(n), m_chunk(chunk), m_claimed(claimed) {}
  std::int64_t Size() override { return m_claimed; }
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override {
    if (offset >= m_n) return 0;
    std::size_t take = n < m_chunk ? n : m_chunk;
    if (take > m_n - offset) take = static_cast<std::size_t>(m_n - offset);
    std::memcpy(dst, m_b + offset, take);
    return static_cast<std::int64_t>(take);
  }

 private:
  const std::uint8_t* m_b;
  std::size_t m_n, m_chunk;
  std::int64_t m_claimed;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 20000) return 0;
  const std::size_t chunk = data[0] % 7 + 1;
  const std::size_t offset = data[1] % 5;
  const std::uint8_t* text = data + 2;
  const std::size_t n = size - 2;
  // Claimed sizes: the truth, fewer bytes than there are, more than there are.
  const std::int64_t claims[] = {static_cast<std::int64_t>(n), static_cast<std::int64_t>(n / 2),
                                 static_cast<std::int64_t>(n + 9)};
  for (std::int64_t claimed : claims) {
    ChunkSource src(text, n, chunk, claimed);
    csv::OtherText o;
    if (o.Read(src, offset) != csv::OtherRead::kOk) __builtin_trap();
    const std::size_t from = offset < static_cast<std::size_t>(claimed) ? offset : static_cast<std::size_t>(claimed);
    std::size_t want = static_cast<std::size_t>(claimed) - from;
    if (from + want > n) want = n > from ? n - from : 0;
    if (o.Length() != want) __builtin_trap();
    if (o.Data()[o.Length()] != 0) __builtin_trap();
    csv::Table t;
    if (!t.LoadFileText(text + from, want, 0)) return 0;
    if (std::memcmp(t.m_pTextBuf, o.Data(), want) != 0) __builtin_trap();
    if (t.m_bCellCodesAreData != o.Breaks().codesAreData) __builtin_trap();
    const csv::RecordEnd r = o.Title();
    if (r.end > r.next || r.next > o.Length()) __builtin_trap();
    for (std::size_t i = 0; i < r.end; ++i)
      if (o.Data()[i] == '\r' || o.Data()[i] == '\n') __builtin_trap();
    if (r.end < o.Length() && o.Data()[r.end] != '\r' && o.Data()[r.end] != '\n') __builtin_trap();
  }
  return 0;
}
