// Sections of a table laid side by side (CsvOpRebuild).
//
// The pattern is the operand's first 99 bytes: '\' takes the next byte
// literally (a '\' that is the second byte of a Shift-JIS character is
// text), '%' matches any byte. Section 1 starts after the first `headRows`
// lines; every later line that begins with the pattern starts a further
// section (at most 100). The region ends at block 1's data end (a row
// shorter than the title usually ends the data, so label lines are best
// written as wide as a data row: "S2,"); the text after it is copied
// unchanged.
//
// Each section is a group of F columns (F = m_nFieldCount; from the second
// section on its first `keepColumns` cells are left out, so the group has
// F - keepColumns). With headRows above 0 a head line names the groups: the
// first cell of each section's first line, followed by empty cells to the
// group's width; a first line that holds only that cell, or only empty cells after it
// (in every section, not only the first), is taken as the label and not repeated in the
// rows. The head rows come first, padded to F - 1 separators, then the head
// line. Output row i joins line i of every section left to right; every
// group but the last is padded with empty cells to its width, and a section
// without line i gives a group of empty cells. The counts: m_nFieldCount =
// F x sections, or (F - keepColumns) x sections + keepColumns; the index is
// rebuilt.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

constexpr int kMaxSections = 100;
constexpr std::size_t kSectionPatternBytes = 99;

// Returns 0, or kRebuildWork / kRebuildFinal (reported, table unchanged).
int CsvOpRebuild(Table& table, const std::string& pattern, int headRows, int keepColumns, OpHost* host);

}  // namespace csv
