// Regrouping the cells of rows (CsvOpRowsByPattern): after its first k
// cells, every g cells of a row become one cell, joined by the pieces of a
// pattern.
//
// The operand is split at its first ':' (no ':': the left part is "**" and
// the right part the whole operand). The right part is cut at '|' into
// pieces: piece i is written between the i-th and the (i+1)-th cell of a
// group (nothing where a piece is missing; pieces past g - 1 are not used).
// The left part names the new columns in the title row: its "**" stands for
// the title of the group's first column (so "**" keeps that title, "Q**"
// gives "Q" + title). Rows before block 1's title row and the text after its
// data end are copied unchanged; each row in between keeps its first k cells
// and then has one cell per group (a short last group joins the cells it
// has). m_nFieldCount = (m_nFieldCount - k) / g + k, rounded up when the
// cells do not divide into whole groups; the index is rebuilt.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// `third` (the statement's third number) is not used. A group size below 1
// is 1. Returns 0, or kRegroupWork / kRegroupFinal (reported, table
// unchanged).
int CsvOpRowsByPattern(Table& table, const std::string& operand, int k, int g, int third, OpHost* host);

}  // namespace csv
