// Column selection (CsvOpSelectColumns): the first rows kept, every later
// row cut to its first columns followed by the listed ones.
//
// The operand is split at its first ':'. The right part (the whole operand
// without a ':') is a column list in the index-list grammar (csv_lists.h;
// at most 9,000 entries), or '#' n: every n-th column from column + 1 up to
// m_nFieldCount. The left part (at most 99 bytes; "NULL" or none: the empty
// text) is written for a listed column that a row does not have. The first
// `keepRows` rows are copied unchanged; every later row up to block 1's data
// end gets its cells 1..column (as many as it has) and then the listed
// columns in list order; the text after the data end is copied unchanged.
// m_nFieldCount becomes column + the listed count; the index is rebuilt.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

constexpr std::uint32_t kSelectListMax = 9000;

// Returns 0, or kSelectWork / kSelectFinal (reported, table unchanged).
int CsvOpSelectColumns(Table& table, const std::string& operand, int keepRows, int column, OpHost* host);

}  // namespace csv
