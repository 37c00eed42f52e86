// Column widths of the fixed-width table display: the widest field of each
// column over a row range, written into the column start-position table.
#pragma once

#include <cstdint>

#include "csv/csv_buffer.h"

namespace csv {

// Entries of the column start-position table: [0] the column count N,
// [c] the start of column c (1 to N, in characters, column 1 at 0) and
// [N + 1] where a column after the last would start. So at most
// kColumnPositionSlots - 2 columns are described and measured.
constexpr int kColumnPositionSlots = 9000;
constexpr int kMaxPositionColumns = kColumnPositionSlots - 2;

// Blanks between two columns of the display.
constexpr std::uint32_t kColumnGap = 2;

enum ColumnWidthMode {
  kWidthPlain = 0,      // leading and trailing '"' do not count
  kWidthTrimBlanks = 1, // nor do leading and trailing blanks
  kWidthFromTitle = 2,  // as 1, and the title row is measured too
};

// Measures columns firstCol..lastCol over the rows firstRow..lastRow of
// v's buffer (rows are its 1-based lines) and rewrites `positions`
// (`slots` entries, the layout above). `titleLine` is the 1-based line of
// the first block's title row (0 or 1: line 1).
// - firstCol -1 means lastCol; a lastCol below 1 or past the table means
//   the last column. The table's column count is the larger of
//   v.m_nFieldCount and positions[0], at most slots - 2.
// - Equal firstRow and lastRow mean every row; a lastRow below 1 runs to
//   the end.
// - Columns outside the range keep their width (next start - start - 2).
// - Only the rows after each block's title row (mode 2: from it on) are
//   measured, up to a "~" line; "~" lines never count.
// A table of fewer than two columns, or no memory for the widths, leaves
// `positions` unchanged. Always returns 0.
int ComputeColumnWidths(const TableFields& v, std::uint32_t titleLine, std::uint32_t* positions, int slots,
                        int firstCol, int lastCol, int firstRow, int lastRow, int mode);

// Width of column `col` (1-based) in a table written by ComputeColumnWidths:
// next start - start - 2, 0 when the table does not describe it.
std::uint32_t ColumnWidthAt(const std::uint32_t* positions, int slots, int col);

}  // namespace csv
