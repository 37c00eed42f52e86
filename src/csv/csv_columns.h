// The column rewrite: the columns of every row written in the order of a
// column list, or the listed columns removed.
//
// The list (reader kColumns of csv_lists.h): numbers and ranges, "(x+y)",
// '*' for every column not listed yet, '[' for the column 9999 that no row
// has (an empty cell), and the 'x'/'n' repeats ("n2:3" writes column 3
// twice, its cells prefixed "01_" and "02_"). A single number beyond the
// table is an empty cell, as 9999; range ends are cut to the table. "1-" and
// "1_" leave the columns as they are. With the delete flag the listed
// columns are removed and the others keep their order.
//
// Rows that are rewritten: every row of a text; in a table, the rows up to
// block 1's data end (the text after it is copied unchanged). Empty rows and
// rows that begin with '~' stay as they are. Each row keeps its row end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_opreport.h"
#include "csv/csv_out.h"
#include "csv/csv_table.h"

namespace csv {

struct ColumnEntry {
  std::uint32_t column;  // 1-based; beyond the row: an empty cell
  std::uint32_t number;  // copy number of an 'n' repeat (0: none)
};

// Entries a column list holds at most (besides '*').
constexpr std::uint32_t kColumnListMax = 9000;

// The output columns of `list` over a table of `columns` columns.
// *unchanged is set for "1-" and "1_" (the plan is then empty). False when
// memory is short.
bool BuildColumnPlan(const std::string& list, std::uint32_t columns, bool deleteFlag, std::uint32_t limit,
                     std::vector<ColumnEntry>* plan, bool* unchanged);

// Rewrites rows [0, rewriteRows) of `text` by `plan` into `out` and copies
// the rest unchanged. Returns false when `out` refused a write.
bool RewriteColumnsText(const std::uint8_t* text, std::uint32_t len, std::uint32_t rewriteRows,
                        const std::vector<ColumnEntry>& plan, OutWriter& out);

// Widest row (fields) among the first `rows` rows of `text`.
std::uint32_t WidestRow(const std::uint8_t* text, std::uint32_t len, std::uint32_t rows);

// The column rewrite on a text that is not a table's (another file's rows):
// rewrites every row of `text` in place. Returns 0, kRewriteFailed or
// kRewriteTooLarge (reported; text unchanged).
int CsvRewriteColumnsText(std::string& text, std::uint32_t columns, int deleteFlag, std::uint32_t limit,
                          const std::string& list, OpHost* host);

// The column rewrite on a table. `columns` is the caller's column count; a
// negative count is taken as its absolute value and selects mode 6. Mode 1:
// when `command` begins "&R:" or "&&:", its rest (if not empty) is first
// applied as a row order (CsvReorderRows). Mode 6 and the other modes have
// no row step. `limit` caps the column list (0: kColumnListMax). The result
// is indexed again (m_nFieldCount, m_nLastRow). Returns 0 or the failure
// (reported, table unchanged: the row step works on a copy).
int CsvRewriteColumns(int mode, Table& table, int columns, std::uint32_t limit, int deleteFlag,
                      const std::string& list, const std::string& command, OpHost* host);

}  // namespace csv
