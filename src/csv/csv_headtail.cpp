#include "csv/csv_headtail.h"

namespace csv {

namespace {
constexpr std::uint32_t kTailLines = 50;
}

HeadTail FindHeadTail(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::uint32_t n,
                      std::uint32_t curLine) {
  HeadTail h;
  const auto count = static_cast<std::uint32_t>(rows.size());
  h.tailStart = n;
  h.endRow = count;
  if (curLine > 1) {
    h.headLines = curLine - 1 < count ? curLine - 1 : count;
    h.headEnd = h.headLines ? rows[h.headLines - 1].next : 0;
  }
  h.firstRow = h.headLines;
  if (h.firstRow + 1 >= count) return h;
  auto tilde = [&](std::uint32_t r) { return rows[r].end > rows[r].start && t[rows[r].start] == '~'; };
  // rows[r] for r from count - 1 down, never the title row.
  std::uint32_t cut = count;
  std::uint32_t stepped = 0;
  for (std::uint32_t r = count; r > h.firstRow + 1 && stepped < kTailLines; --r, ++stepped) {
    if (tilde(r - 1)) cut = r - 1;
  }
  while (cut < count && cut > h.firstRow + 1 && tilde(cut - 1)) --cut;
  if (cut < count) {
    h.endRow = cut;
    h.tailStart = rows[cut - 1].end;
  }
  return h;
}

}  // namespace csv
