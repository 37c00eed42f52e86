// The CSV view's one-click column commands (the cell under the caret or a
// block of cells): the map from command id to code, the cell, row and block
// arithmetic, the statement and message texts they run and show, and the
// conversions between the check list and a mark column. The view's
// DoCsvColumnCommand does the window work (caret, scroll, redisplay) and
// calls these; nothing here needs a window.
//
// Rows: the view counts rows from 0 (row 0 is the table's first line, page
// top included: m_nCurRow); statements and messages count them from 1 as
// the macro language does ("#SUM@5_20", "line\t5 - 20"). Columns: the view's
// m_nCurColumn counts from 0 in the shown columns; statements count from 1
// in the whole table.
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_checklist.h"
#include "csv/csv_table.h"

namespace csv {

// The codes of the column commands (the argument of DoCsvColumnCommand).
enum ColumnCommandCodes : int {
  kColNarrowSelect = 0,   // keep the rows matching a condition ("&SL")
  kColUndoSelect = 1,     // undo the last narrowing step
  kColNarrowDelete = 2,   // delete the matching rows ("&KL")
  kColTotal = 3,          // total of the column or block, in a box
  kColCutTrailing = 4,    // cell functions of the CSV menu: "CR",
  kColCutLeading = 5,     // "CS",
  kColCutQuotes = 6,      // "CQ",
  kColAddQuotes = 7,      // "AQ"
  kColItemTotals = 8,     // totals by item
  kColFindInColumn = 9,   // find/replace limited to the column
  kColThousands = 10,     // "AC" then "FL999"
  kColDeleteColumn = 11,
  kColInsertColumn = 12,
  kColDeleteRows = 13,
  kColInsertRow = 14,
  kColCheckToMark = 15,
  kColCheckedTotal = 16,
  kColMarkToCheck = 17,
  kColClearChecks = 18,
  kColNarrowCheck = 19,   // check the matching rows ("&CKL")
  kColAddQuotesMenu = 21, // cell functions of the right-click menu: "AQ",
  kColCutQuotesMenu = 22, // "CQ",
  kColCutLeadingMenu = 23,   // "CS",
  kColCutTrailingMenu = 24,  // "CR",
  kColAlignRight = 25,    // "RA",
  kColAlignLeft = 26,     // "LA",
  kColAlignCentre = 27,   // "MA"
  kColTitleRow = 28,      // fix the title row at the caret row, or release it
};

// The code of command `id` (the right-click menu's CSV commands and the CSV
// menu's column and row commands), -1 for any other id.
int ColumnCommandCode(unsigned id);

// The cell function a code applies ("CR", "CS", "CQ", "AQ", "AC", "RA",
// "LA", "MA"), nullptr for a code that applies none.
const char* ColumnCommandFunction(int code);

// True for the codes that apply a cell function to a block (4-7, 10, 21-27).
bool IsCellFunctionCode(int code);

// ---------------------------------------------------------------------------
// Where a command stands.

struct ColumnCommandPlace {
  int curColumn = 0;        // m_nCurColumn: 0-based among the shown columns
  int curRow = 0;           // m_nCurRow: 0-based row of the table
  int anchorColumn = 0;     // m_nSelAnchorColumn, m_nSelAnchorRow: the
  int anchorRow = 0;        //   other corner of the block
  int pageLineBase = 0;     // m_nPageLineBase, added to the rows
  std::uint32_t columnPageWord = 0;  // m_nColumnPageWord: low 16 bits = first shown column
  int editMode = 0;         // m_nEditMode: 3 = ruled-table display
  int titleLine = 1;        // m_table.m_nCurLine: 1-based title row
  int lastRow = -1;         // m_table.m_nLastRow
  int fieldCount = 0;       // m_table.m_nFieldCount
  bool xlsShift = false;    // the title line says "XL...S" (ApplyXlsShift)
};

// The title-line test: true when `titleLine` is above 1, the title line of
// text[0..len) (found by counting line feeds; for 2 the first line) begins
// with "XL" or "!#XL", then after one more character ("x": after the text up
// to the next '#' or control byte) comes 'S', and `editMode` is 3.
bool TitleLineHasXlsShift(const std::uint8_t* text, std::uint32_t len, int titleLine, int editMode);

// Raises curRow and anchorRow by one and sets xlsShift.
void ApplyXlsShift(ColumnCommandPlace* place);

// The column and row a command works on.
struct CommandCell {
  int dialogColumn = 1;  // 1-based column of the narrowing dialog (before the ruled-table change)
  int column = 1;        // 1-based column c of the statements
  int row = 0;           // 0-based row r of the caret (page line base added)
};
CommandCell CommandCellOf(const ColumnCommandPlace& place, int code);

// A block of cells, 1-based columns and rows, inclusive.
struct CellBlock {
  int c1 = 1, c2 = 1;
  int r1 = 1, r2 = 1;
  bool oneCell = true;  // anchor and caret are the same cell
};
// The block between anchor and caret.
CellBlock CommandBlock(const ColumnCommandPlace& place);
// The block a cell function works on: one cell gives the data rows
// (titleLine + 1 to lastRow + 1) of its column; a one-row block on the
// title row widens to the data rows.
CellBlock FunctionBlock(const ColumnCommandPlace& place);

// ---------------------------------------------------------------------------
// Narrowing (codes 0, 2, 19).

// The condition rewriting: "=U", "!U" (alone and as "=U ", "!U " inside a
// longer condition), the empty condition, the blanks around "||" and "&&".
std::string RewriteNarrowCondition(const std::string& condition);

// The statement's command part for a condition on 1-based `column`:
// rewritten, then each part between the joiners turned into its test of
// "&N" ("=A||>#100" on 5 gives "&5==A || &5>#(100)").
std::string BuildNarrowCommand(const std::string& condition, int column);

// "&SL", "&KL" or "&CKL"; "" for any other code.
const char* NarrowOperand(int code);

// ---------------------------------------------------------------------------
// Totals (codes 3 and 16).

struct TotalStatement {
  std::string address;  // the operand assigned to "&D171="
  std::int64_t count = 0;  // cells totalled
  std::string header;   // "clmn\t...\nline\t...\n"
};
// Code 3: the four address forms (one cell, one column, one row, a block).
TotalStatement ColumnTotalStatement(const ColumnCommandPlace& place, const CellBlock& block);

// The text of a "Total" box: header, "\ntotal\t", the total without its
// double quotes, two blanks, "\nnumber\t", the count, two blanks.
std::string TotalMessage(const std::string& header, const std::string& total, const std::string& count);

// Code 16: the command, its operand on column c, and the box's header.
extern const char kCheckedTotalCommand[];  // "&1#CK==1"
std::string CheckedTotalOperand(int column);
std::string CheckedTotalHeader(int column);

// ---------------------------------------------------------------------------
// Totals by item (code 8).

struct ItemTotalsPlan {
  bool twoColumns = false;
  std::string markCommand;   // "&1L+N\;M=": columns N and M (1 and -1) in front
  std::string markOperand;   // "1\;-1"
  std::string columnOrder;   // "%d,*" or "%d,%d,*"
  std::string wordFilter;    // "&4_@...#NWD@..._...>$#..." (or "&5_"), with operand "&KR"
  std::string wordFilterOperand;
  int sortKeys[2] = {1, 0};  // SortLines keys in order (2 then 1, or 1 alone)
  int sortKeyCount = 1;
  int crossMode = 1;         // CsvCrossTabulate's mode
  std::string deleteList;    // "3" or "4"
};
// `anchorColumn` k and column c (1-based); two columns when they differ.
ItemTotalsPlan PlanItemTotals(int anchorColumn, int column, int titleLine, int lastRow);

// ---------------------------------------------------------------------------
// Columns and rows (codes 11-14).
//
// Check-list entries hold 1-based row numbers, as the check statement
// ("&CKL") and "#CK" keep them (0 = an empty entry); the functions below
// take the view's 0-based rows and read the list through its one reader.

// Code 11: the column list of the deletion ("%d" of c).
std::string DeleteColumnList(int column);

struct InsertColumnStatement {
  std::string command;  // "&%dL+A%03d=" or, past the last column, "&%dR+A%03d="
  std::string operand;  // a blank between two double quotes
  bool columnOne = false;  // column 1: the statement text below runs after it
};
InsertColumnStatement PlanInsertColumn(int column, int fieldCount);
// The statement that moves the first column's text into the new column 1,
// written as a macro line: empty label, TAB, command, TAB, operand, CR LF.
extern const char kColumnOneStatement[];

// Code 13: the 1-based row list of the deletion: "%d" of row + 1, or
// "%d-%d" when `extraLines` (the selection's end line less the caret's) is
// above 0.
std::string DeleteRowsList(int row, int extraLines);
// After deleting `count` rows from 0-based `firstRow`: their entries become
// 0, later rows drop by `count`.
void ShiftChecksAfterDelete(CheckList* checks, std::uint32_t firstRow, std::uint32_t count);

struct InsertRowPlan {
  int mode = 2;        // CsvRowInsertOrList's mode
  int row = 0;         // its row argument
  std::uint32_t newRow = 0;  // 0-based index the new row takes
  bool caretDown = true;     // the caret moves onto the new row
};
// Code 14: below the caret row, or above it when the caret stands at the
// start of its line (on the last row through mode 1).
InsertRowPlan PlanInsertRow(int row, bool atLineStart, int lastRow, int editMode);
// After a row was inserted at 0-based `newRow`: entries at or above it rise.
void ShiftChecksAfterInsert(CheckList* checks, std::uint32_t newRow);

// ---------------------------------------------------------------------------
// Checks and marks (codes 15, 17, 18, 19).

// Code 15: the statement that inserts the mark column titled X (all blank).
extern const char kMarkColumnCommand[];   // "&1L+\"X\"="
extern const char kMarkColumnOperand[];   // "\" \""
// Writes "1" after the opening double quote of every row the list names
// (rows one lower in the XL-S shift state), in list order, then empties
// the list (mode 0). Returns the marks written.
std::uint32_t WriteMarksFromChecks(Table* table, CheckList* checks, bool xlsShift);
// The walk of code 15 alone, which the check statement ("check1") runs too:
// for every entry from `minRow` on, the row's cell opening with a quote
// takes '1' after the quote unless that byte ends the cell or the row. The
// walk stops at the table's text end and passes over rows the table does
// not have (a list left from before rows were deleted); the list stays.
std::uint32_t MarkCheckedRows(Table* table, const CheckList& checks, bool xlsShift, std::uint32_t minRow);

// Code 17: a new list of lastRow + 100 entries filled from entry 0 with the
// rows whose line begins with the three bytes '"', '1', '"' (the first line
// never tested; one lower in the XL-S shift state); mode 1 with an entry,
// else 0. False when memory is short (list unchanged). *full is set when
// the list filled up ("Over check line max").
bool ChecksFromMarks(const Table& table, CheckList* checks, bool xlsShift, bool* full);

// Code 18: a new empty list of lastRow + 100 entries, mode 0. False when
// memory is short.
bool ClearChecks(CheckList* checks, std::int32_t lastRow);

// Code 19's status text " Check %d lines ( %d)": the count and the last
// checked row, read through the list's reader.
std::string CheckStatusText(const CheckList& checks);

}  // namespace csv
