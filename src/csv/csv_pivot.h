// The rows of the cross tabulation's pivot: every source row becomes a row
// that keeps its label fields and carries its value (or "0" when counting)
// in the column of its key and in the subtotal and total columns its key
// belongs to, at most six cells; its other cells stay empty.
//
// Which cells a row fills (texts compared exactly; an entry text "other"
// matches any key of its level; each search takes the first entry in list
// order):
//   one level, key I: own = the first entry I, "other" or the overflow
//     label; and the total entry (the closing one).
//   two levels (O, I): own = the first entry whose inner text is I or
//     "other" and whose outer text is O (or "other" while no entry with
//     outer text O came before it), or whose outer text is the overflow
//     label; the outer group's (O, "total"), or failing that (overflow
//     label, "total") when no entry with outer text O came before it; the
//     first (total label, I or "other"); the first (total label, "total");
//     the total entry.
//   three levels (O, M, I): own = the first (O, M or "other", I or
//     "other"), or an entry whose outer text is the overflow label; the
//     middle group's (O, M, "total"); the outer group's (O, "Total", "--");
//     the total entry; the first (total label, M or "other", I or "other")
//     and the first (total label, M or "other", "total").
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_pivotkeys.h"
#include "csv/csv_rows.h"

namespace csv {

struct PivotLayout {
  std::uint32_t labels = 1;     // leading label fields kept
  std::uint32_t values = 1;     // value fields (1-3) from field `labels` on
  std::uint32_t keyStart0 = 2;  // 0-based field of the outermost key
  int levels = 1;               // key levels 1-3
  bool count = false;           // write "0" instead of the value
};

// The key tuple of the row [b, e).
PivotKey ReadPivotKey(const std::uint8_t* b, const std::uint8_t* e, const PivotLayout& layout);

// The entries (indices into `list`) a row with `key` fills, in search order,
// each once, at most six. `list` ends with the two closing entries.
std::vector<std::size_t> PivotCells(const PivotKey& key, int levels, const std::vector<PivotEntry>& list,
                                    const PivotOperand& op);

// Writes the title row and one row per data row of rows[first, end) (the
// title is rows[first]); no line end after the last row. False when `out`
// failed.
bool WritePivotRows(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::size_t first, std::size_t end,
                    const PivotLayout& layout, const std::vector<PivotEntry>& list, const PivotOperand& op,
                    OutWriter& out);

}  // namespace csv
