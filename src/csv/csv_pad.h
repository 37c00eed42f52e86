// Padding short rows: every row of the table gets the same number of cells.
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Pads the short rows of `table` with cells of `fill`.
// - fill: "NULL" is the empty text; a fill longer than one byte loses a
//   leading double quote and then a trailing one ("\"\"" gives empty cells).
// - mode: -1 rescans first and pads each block to its own title's cell
//   count; 0 pads to the column count with empty title cells; 1 to 9997 pads
//   to at least that many columns, new and empty title cells named "A" +
//   column number; 9998 pads to the widest row, title cells empty; 9999 and
//   above to the widest row with "A" names.
// - padTarget: the column count to pad to plus one (0: m_nFieldCount + 1).
// Cells are counted at 0x06 and at TAB outside double quotes (such a TAB is
// written as 0x06); a TAB inside double quotes is cell text. Rows before the
// title row stay as they are. Returns 0, kPadWorkArea or kPadReplace
// (reported; table unchanged).
int CsvPadShortRows(Table& table, const std::string& fill, int mode, std::uint32_t padTarget, OpHost* host);

}  // namespace csv
