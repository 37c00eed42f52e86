// The cell list of a table: a wide table turned into a long one.
#pragma once

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Replaces the table by the list of its cells: a title row "line", "clmn",
// "data", then one row per non-empty cell of block 1's data rows, row by row
// and left to right: the cell's 1-based row number in the table, its 1-based
// column number and the cell's bytes as they stand (quotes kept). The rows
// before the title row and the text after the data end are not listed. A
// table without data rows becomes the title row alone. Returns 0, or
// kRowOrderFailed when memory is short (reported, table unchanged).
int DumpCells(Table& table, OpHost* host);

}  // namespace csv
