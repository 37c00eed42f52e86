#include "csv/csv_blocksum.h"

#include <algorithm>
#include <vector>

#include "csv/csv_cellnumber.h"

namespace csv {

ScaledSum BlockSum(const Table& table, int c1, int c2, int r1, int r2, const CheckList* checks) {
  ScaledSum sum;
  const std::uint8_t* text = table.m_pTextBuf;
  const std::uint32_t len = table.UsedLength();
  if (text == nullptr || c1 < 1 || r1 < 1 || c2 < c1 || r2 < r1) return sum;
  std::vector<bool> checked;
  if (checks != nullptr) {
    checked.assign(static_cast<std::size_t>(r2) + 1, false);
    for (std::uint32_t i = 0, end = checks->UsedEnd(); i < end; ++i) {
      const std::uint32_t row = checks->Entry(i);
      if (row != 0 && row <= static_cast<std::uint32_t>(r2)) checked[row] = true;
    }
  }
  // Rows end at LF, CR LF or a lone CR, as the table counts them.
  std::uint32_t p = 0;
  for (int row = 1; row <= r2 && p < len; ++row) {
    std::uint32_t e = p;
    while (e < len && text[e] != '\n' && text[e] != '\r') ++e;
    if (row >= r1 && (checks == nullptr || checked[static_cast<std::size_t>(row)])) {
      int column = 1;
      for (std::uint32_t f = p; f <= e && column <= c2; ++column) {
        std::uint32_t fe = f;
        while (fe < e && text[fe] != CSV_FIELD_SEP) ++fe;
        if (column >= c1) {
          const CellNumber n = ReadCellNumber(text + f, text + fe);
          if (n.overflow) sum.overflow = true;
          if (!n.empty) sum.Add(n.mantissa, n.scale);
        }
        f = fe + 1;
      }
    }
    if (e < len && text[e] == '\r' && e + 1 < len && text[e + 1] == '\n') ++e;
    p = e + 1;
  }
  return sum;
}

}  // namespace csv
