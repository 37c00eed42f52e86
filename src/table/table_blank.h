// The blank table a new ruled table starts from: six rows of six cells in
// the CSV working form (0x06 between cells, CR LF after each row). Row 1 is
// "..", four empty cells and a blank; rows 2-6 are two blanks, four empty
// cells and a blank.
#pragma once

#include <string>

#include "csv/csv_table.h"

namespace table {

constexpr int kBlankTableRows = 6;
constexpr int kBlankTableCells = 6;

// The blank table's bytes.
std::string BlankTableText();

// Writes the blank table into `table` from offset 0, growing its buffer
// first, and rescans the index. False (table unchanged) when the buffer
// cannot be had.
bool WriteBlankTable(csv::Table& table);

}  // namespace table
