// The CSV load's block-wise scans against their byte loops on the same bytes:
// the working form (copied and in place) and the index of modes 1 and 3 must
// come out identical with the fast paths on and off.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "csv/csv_fastscan.h"
#include "csv/csv_index.h"

namespace {

bool SameIndex(const csv::TableFields& a, const csv::TableFields& b) {
  return a.m_nLastRow == b.m_nLastRow && a.m_nScanNotes == b.m_nScanNotes && a.m_nCurLine == b.m_nCurLine &&
         std::memcmp(a.m_aSecOffset, b.m_aSecOffset, sizeof a.m_aSecOffset) == 0 &&
         std::memcmp(a.m_aSecLine, b.m_aSecLine, sizeof a.m_aSecLine) == 0 &&
         std::memcmp(a.m_aSecRow, b.m_aSecRow, sizeof a.m_aSecRow) == 0 &&
         std::memcmp(a.m_aSecScanPos, b.m_aSecScanPos, sizeof a.m_aSecScanPos) == 0 &&
         std::memcmp(a.m_aSecInfoA, b.m_aSecInfoA, sizeof a.m_aSecInfoA) == 0 &&
         std::memcmp(a.m_aSecInfoB, b.m_aSecInfoB, sizeof a.m_aSecInfoB) == 0 &&
         std::memcmp(a.m_aSecFields, b.m_aSecFields, sizeof a.m_aSecFields) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) size = 1u << 20;
  std::vector<std::uint8_t> slow(size + 1), fast(size + 1), inPlace(data, data + size);
  csv::CommasToSeparatorsBytewise(data, size, slow.data());
  csv::CommasToSeparators(data, size, fast.data());
  csv::CommasToSeparators(inPlace.data(), size, inPlace.data());
  if (std::memcmp(slow.data(), fast.data(), size) != 0) __builtin_trap();
  if (size && std::memcmp(slow.data(), inPlace.data(), size) != 0) __builtin_trap();

  for (int mode : {1, 3}) {
    auto a = std::make_unique<csv::TableFields>();
    auto b = std::make_unique<csv::TableFields>();
    std::uint32_t lenA = 0, colsA = 0, lenB = 0, colsB = 0;
    const auto n = static_cast<std::uint32_t>(size);
    const std::int32_t ra = csv::BuildCsvIndex(*a, data, n, &lenA, &colsA, mode, -1);
    csv::SetFastScans(false);
    const std::int32_t rb = csv::BuildCsvIndex(*b, data, n, &lenB, &colsB, mode, -1);
    csv::SetFastScans(true);
    if (ra != rb || colsA != colsB || !SameIndex(*a, *b)) __builtin_trap();
  }
  return 0;
}
