// The link join: beside each row of the table, the row of another CSV file
// whose key matches the row's key (csv_joinkeys.h), the result in key order.
//
// The other text is read like a CSV file the program opens
// (csv_otherfile.h); its first record is its title row, however long and
// whatever its line end, and its data begins after that line end. Empty
// lines are rows of neither text. NUL bytes of the other text are left out.
//
// Arguments (LinkJoinArgs):
//   - option1: the mode letter, "s", "p", "q", "e" or "1"; option2: "b".
//     A "b" given as option1 moves to option2 (option1 takes option2's old
//     letter). "1" has no effect: the row count comes from a rescan.
//   - otherColumns: empty for every column of the other file; else a column
//     list of it (csv_columns.h). A leading "!" leaves the first selected
//     column (the key) out of the output. The host resolves names in it
//     against the other title row first; then a "#" marks the key column
//     (the commas before it count it) and is removed.
//   - keyColumn: the table's key column from 1 (0: 1); otherKeyColumn: the
//     other file's from 1 (0: 1).
//   - insertBefore: the other file's cells go before this column; 0 or a
//     column past the table's columns puts them behind the last column.
//     L, the leading cells, is insertBefore - 1 or the column count.
//
// Rows written: the title row (L leading cells, "nbk" under "q", the other
// title, the rest), then in key order each table row with its other row's
// cells (or empty cells), and under "b" each other row that no table row
// took as a row of its own (L empty cells, its cells, empty cells for the
// table's other columns). An other row shorter than the other title gets
// empty cells up to the title's count; a table row shorter than L cells
// gets empty cells up to L. Under "q" every row has the "nbk" cell (empty
// when the row has no partner). Rows end CR LF.
//
// The output is built whole, once; only then does it replace the table
// (indexed again, m_nLastRow rows - 1). When L is 0 the short rows are then
// padded (CsvPadShortRows, fill two double quotes, mode 0) before the
// replacement. m_nFieldCount becomes the cells of the first row.
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"

namespace csv {

struct LinkJoinArgs {
  char option1 = 0;
  char option2 = 0;
  std::string otherColumns;
  int keyColumn = 0;
  int otherKeyColumn = 0;
  int insertBefore = 0;
};

// What the join asks of its caller besides messages.
class LinkJoinHost : public OpHost {
 public:
  // Every 1000 records: pane 0 shows `key` (the candidate's key); true when
  // the user asked to stop.
  virtual bool PollEscape(const std::string& key) = 0;
  // Resolves names in a column list against the other file's title row;
  // false when the user cancelled.
  virtual bool ResolveColumns(const std::string& list, const std::uint8_t* title, std::uint32_t titleLen,
                              std::string* resolved) {
    (void)title;
    (void)titleLen;
    *resolved = list;
    return true;
  }
};

enum LinkJoinResult : int {
  kLinkJoinDone = 0,
  kLinkJoinNothing = -1,   // nothing done (source, memory, Esc, cancel)
  kLinkJoinTooMany = -2,   // the key records did not fit
};

// Joins the table with the text of `source`. Memory failures are reported
// (106-109) and give -1 with the table unchanged; a source that cannot be
// read gives -1 with *unreadable set and no message (the caller names the
// file).
int CsvLinkJoin(Table& table, OtherSource& source, const LinkJoinArgs& args, LinkJoinHost* host,
                bool* unreadable = nullptr);

}  // namespace csv
