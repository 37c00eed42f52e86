// The row sort of a CSV table: the data rows of one block (or of the rows
// after the title line up to the first block mark) ordered by one column,
// as numbers or as text, ascending or descending. Equal keys keep their
// order ascending and come out reversed descending (the order is that of
// the key bytes, then of the row's position in the text).
//
// Keys: a text key is the field after one leading double quote, up to 122
// bytes; a numeric key is the cell number (csv_cellnumber.h) as an integer
// part offset by 2^63 and 8 decimals offset by 2^31, big-endian, so that the
// key bytes compare in numeric order; an empty field gives the all-zero key
// (first). The optional bracket skip drops a leading ASCII "(...)" or
// full-width "（...）" group of up to 20 bytes and the ASCII or full-width
// blanks after it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_checklist.h"
#include "csv/csv_table.h"

namespace csv {

struct LineSortRequest {
  bool numeric = false;      // numeric keys, else text keys
  bool skipBracket = false;  // skip a leading bracket group before the key
  int key = 1;               // 1-based key column; negative: descending
                             // (0 reads as column 1, ascending)
  int block = 0;             // 0 and 1: block 1; n: block n; negative: the
                             // rows after the title line m_nCurLine up to the
                             // first "!#", "!*", "!$", "!%", 'X' not followed
                             // by 'L', or a '~' line that comes first
  int firstRow = 0;          // added to the block's first data row (a
                             // block of 0 or more; below 0 reads as 0; the
                             // negative-block form starts after m_nCurLine)
};

// Sorts the table's rows in place. The sorted rows of a block are rows
// m_aSecLine[b] + firstRow to m_aSecInfoA[b] - 1 (0-based, never past
// m_nLastRow); the text after the last of them is the tail. The rows before
// the sorted rows and the tail keep their bytes; every sorted row ends with
// CR LF (the buffer grows when rows without one need it). A record with
// in-cell break codes is one row. Checked rows in `checks` (1-based row
// numbers in entries 1 up to UsedEnd(); may be null; used when
// m_nEntryListMode > 0 and m_nEntryListPos > 0) follow their rows: the
// entries that name sorted rows get the new numbers of those rows in text
// order (a row named twice once, a slot left over 0); every other entry
// stays as it was. On success the table is indexed again and the new
// length (m_nTextLen) is returned; 0 when m_nLastRow is 0 or below or there
// is no row to sort (nothing changed); -1 when memory cannot be had (the
// table and the list unchanged, byte for byte).
std::int64_t SortLines(Table& table, const LineSortRequest& request, CheckList* checks);

// Whether field `column0` (0-based) of up to 40 rows after the title line
// (m_nCurLine) holds numbers: at most two of them are text rows (a text
// sign and a significant length of 4 or more).
bool ColumnLooksNumeric(const TableFields& table, int column0);

// The sort buttons' choice: the column's own look, then Shift (shiftHeld
// == 1) forces numbers, then Ctrl forces text (this wins).
bool SortKeysNumeric(const TableFields& table, int column0, int shiftHeld, bool ctrlHeld);

// Sorts `count` elements of `elementSize` bytes (at least 4) ascending by
// their leading unsigned 32-bit number. Returns 0.
int SortUInt32Array(void* base, std::size_t count, std::size_t elementSize);

}  // namespace csv
