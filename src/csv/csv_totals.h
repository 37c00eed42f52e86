// Totals of a CSV table (CsvTotals): a total for every data row, a
// grand-total row at the end, and by mode subtotal rows, counts or merged
// rows. Sums are exact scaled sums (csv_scaled.h).
//
// Modes: 0 sums; 1 sums with a subtotal row ("total" in column 1) at each
// change of the key column's text (none when there is a single key); 2
// counts (a cell counts 1 when it holds a byte other than a double quote);
// 3 merges each run of rows with the same key into one row holding the key
// and the other unsummed fields of the run's last row and the run's sums.
//
// The operand is a column list (CsvParseIndexList against m_nFieldCount, at
// most 200 entries); empty sums every column from 2 on. In mode 3 the key
// column is then not summed. Column 1 carries the row labels and is never
// summed. Key texts are the key field's bytes as they stand, at most 200,
// compared byte for byte. Only the first 200 fields of a row are read:
// fields after them are copied as they stand, and the grand-total row
// shows "--" for them.
//
// The title row gains "Total"; every data row (in mode 3 every run) its row
// sum; the last row is "Total*" with the grand sums ("--" for columns not
// summed) and the sum of the grand sums, without a line end. Head lines
// (before m_nCurLine) and the '~' comment tail (csv_headtail.h) come back
// as they were. Afterwards the table is indexed again and m_nCurLine is the
// title's line.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Returns 0, or kTotalsOutput / kTotalsSaveArea / kTotalsReplace when
// memory cannot be had (reported through `host`, table unchanged).
int CsvTotals(Table& table, int mode, int keyColumn, const std::string& operand, OpHost* host);

}  // namespace csv
