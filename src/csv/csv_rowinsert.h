// Row insertion and the listing of the macro variables
// (CsvRowInsertOrList).
//
// Modes:
// - 2: `count` new rows go after the first `row` rows (row 0 or below:
//   before row 1; a row past the table: at its end).
// - 1: the same, except that row 0 puts them before the last row (the row
//   command at the start of the last line inserts above it) and a row below
//   0 at the end.
// - 3: new rows at the end until the table holds `count` rows (none when it
//   holds that many already).
// - 5: one new row at the end whose cells are the values of `count`
//   variables from slot `row` on (slots 1 to 5180; an empty value or "NULL"
//   is an empty cell).
// - 6: `count` new rows at data row `row` (1 or less: the first), counted
//   from the line after the title line m_nCurLine, so that the lines up to
//   the title stay first.
// - 4: the table text is replaced by the listing of the macro variables
//   11..N as statement lines: "\t&Dnn\tvalue" ("NULL" for an empty value),
//   or a value that begins "$$" as it is without those two bytes, each line
//   ended by CR LF. N is `count` when above 0, else `row`, else the first
//   number of the operand (as the caller read it), else 99; never past 5180.
//   The listing stays within 100,000 bytes with its NUL: it stops before a
//   line that would not fit.
// - A mode above 9 is the mode less 10 with raw rows: the operand is written
//   as one raw line per new row, as an operand that begins "$$" is (mode
//   15: each variable's value a row of its own); 14 is the listing.
// Any other mode reports kInsertUnknownMode and changes nothing.
//
// New rows hold the operand's cells (its ',' become separators; a cell
// "NULL" is empty); an operand that begins "$$" is written as one raw line
// without those bytes; an empty operand gives m_nFieldCount empty cells.
// A count below 1 reads as 1. A new row is one line: the operand (and a
// variable's value) ends at its first NUL, CR or LF.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Value of macro variable n (the empty text for an empty one).
using VariableValue = std::function<std::string(int n)>;

constexpr std::uint32_t kVariableListingBytes = 100000;
constexpr int kFirstListedVariable = 11;
constexpr int kVariableSlotEnd = 5181;

// Returns the new m_nLastRow, or -1 after a reported failure (table
// unchanged).
int CsvRowInsertOrList(int mode, Table& table, int row, int count, const std::string& operand, int operandNumber,
                       const VariableValue& variables, OpHost* host);

}  // namespace csv
