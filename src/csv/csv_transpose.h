// Swapping the rows and columns of a table.
//
// The region is block 1 from its title row to its data end; a line that
// begins with '~' or '!' ends it earlier. Each column of the region becomes
// a row holding that column's cell of every region row (an empty cell where
// a row is short), so every new row has as many cells as the region has
// rows. A region of one column gets a title row "A1", "A2", ... before it.
// Variant 0 writes the rows before the title, the new rows and then the text
// after the region unchanged. Variant 1 keeps the whole table and adds the
// new rows as a further block after a "!#" line.
#pragma once

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Returns 0, or kTransposeFailed (reported, table unchanged). A table
// without a title row is left as it is.
int CsvTransposeTable(Table& table, int variant, OpHost* host);

}  // namespace csv
