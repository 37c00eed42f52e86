// The table as blank-aligned plain text.
#pragma once

#include <cstdint>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Rewrites the table as text: each field starts at its column's position
// in `positions` (the column start-position table of csv_widths.h, `slots`
// entries); fields are padded with blanks, the separators dropped, an
// opening and a closing double quote each become a blank. A field wider
// than its column pushes the next one right (one blank after it at least,
// so fields never run together) and the blanks after that one shrink by
// the same amount. When the table describes fewer columns than
// m_nFieldCount it is measured first over the whole table (widths mode 1,
// `titleLine` as for ComputeColumnWidths). Columns past the table are
// separated by one blank. The output is never cut: it grows as it must.
// Returns 0, kFixedWidthOutput or kFixedWidthReplace (reported; table
// unchanged).
int CsvToFixedWidthText(Table& table, std::uint32_t* positions, int slots, std::uint32_t titleLine, OpHost* host);

}  // namespace csv
