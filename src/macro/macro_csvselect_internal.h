// Shared by the CSV condition statements' files: one call's state (the
// compiled condition, the valued pieces, the actions, the change records)
// and the row walk over the working buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_condcompile.h"
#include "csv/csv_out.h"
#include "macro/macro_condterm.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_expr.h"

namespace macro {
namespace csvsel {

constexpr std::uint8_t kSep = 0x06;

// One row of the text: [start, end) its bytes, [end, next) its line end.
struct Row {
  std::uint32_t start = 0, end = 0, next = 0;
};

// The row that starts at `at` (a lone CR or LF ends a row too).
Row RowAt(const std::uint8_t* text, std::uint32_t len, std::uint32_t at);

// The rows of a text one after the other (each Next from the previous
// row's end), the next LF kept between calls so that a text of lone-CR rows
// is not searched again and again.
class RowWalker {
 public:
  RowWalker(const std::uint8_t* text, std::uint32_t len) : text_(text), len_(len) {}
  Row Next(std::uint32_t at);

 private:
  const std::uint8_t* text_;
  std::uint32_t len_;
  std::uint32_t lf_ = 0;
  bool lfKnown_ = false;
};

// Bytes [*from, *to) of cell `col` (1-based) of a row; false when the row
// has fewer cells.
bool CellOf(const std::uint8_t* text, const Row& row, int col, std::uint32_t* from, std::uint32_t* to);
int CellCount(const std::uint8_t* text, const Row& row);

// A piece prepared for the row loop.
struct PieceRun {
  const csv::CondPiece* piece = nullptr;
  PieceOperator op;
  char kind = 0;
  int c1 = 0, c2 = 0, r1 = 0, r2 = 0;
  bool always = false;       // kind 9 or an assignment target
  int fieldColumn = 0;       // left is "&N": the cell is read directly
  bool rangeRewrite = false; // a ranged address, read at the current cell
  std::string addrColumnPart, addrRowPart, addrSuffix;
  bool columnRanged = false, rowRanged = false;
  CString left, right;
  bool rightConstant = false;
  PieceOperand rightValue;
};

// An action prepared for the row loop.
struct ActionRun {
  enum Kind { kEvaluateOnly, kVariable, kCell, kInsert } kind = kEvaluateOnly;
  std::string target;             // as written ("!?" "!$" placeholders kept)
  std::string value;              // numbering codes expanded
  std::vector<std::string> parts; // a variable target: the value split at '|' or ','
  int slot = 0;
  int insertColumn = 0;           // "&cL+title" / "&cR+title"
  bool insertRight = false;
  std::string insertTitle;
  bool placeholders = false;      // the target holds "!?" or "!$"
};

// One change of the text: `len` bytes at `pos` become the `n` bytes at
// `at` of the table's byte pool.
struct Change {
  std::uint32_t pos = 0;
  std::uint32_t len = 0;
  std::uint32_t seq = 0;
  std::uint64_t at = 0;
  std::uint32_t n = 0;
};

// The change records of one call and the bytes they write, in blocks from
// fw::Alloc that grow as needed (a failure is the "cell table" shortage).
class ChangeTable {
 public:
  ChangeTable() = default;
  ~ChangeTable();
  ChangeTable(const ChangeTable&) = delete;
  ChangeTable& operator=(const ChangeTable&) = delete;
  // `records` to start with; the bytes of all records may pass
  // `poolLimit` + the bytes they replace by no more (Add then refuses).
  bool Open(std::uint64_t records, std::uint64_t poolLimit);
  // False when memory is short (*overLimit false) or the records' bytes
  // passed their bound (*overLimit true).
  bool Add(std::uint32_t pos, std::uint32_t len, const std::string& bytes, bool* overLimit = nullptr);
  std::uint32_t Size() const { return m_count; }
  Change* begin() { return m_recs; }
  Change* end() { return m_recs + m_count; }
  const char* Bytes(const Change& c) const { return m_pool + c.at; }

 private:
  Change* m_recs = nullptr;
  std::uint32_t m_count = 0, m_cap = 0;
  char* m_pool = nullptr;
  std::uint64_t m_poolLen = 0, m_poolCap = 0;
  std::uint64_t m_poolLimit = ~0ull, m_replaced = 0;
};

struct Call {
  CsvSelectScope& scope;
  csv::CompiledCondition cc;
  MacroEnv env;
  ExprContext ctx;
  std::vector<PieceRun> pieces;
  std::vector<ActionRun> actions;
  ChangeTable changes;
  const std::uint8_t* text = nullptr;
  std::uint32_t len = 0;
  int lastRow = -1;          // table's m_nLastRow
  std::uint32_t titleLine = 1;
  bool overLimit = false;    // the change records outgrew the growth bound
  int failure = 0;           // the column modes' kept-cell count

  Call(CsvSelectScope& s, MacroEnv e) : scope(s), env(e) {}
};

// The value text of an action for one cell (placeholders, substitution,
// evaluation), cut at `cap` bytes.
std::string EvaluateActionValue(Call& call, const std::string& value, const Row& row, int rowNo, int col,
                                int cap);
// Prepares the actions of mode 0; false (and a message) for a target the
// statements do not know ("L-", "R-").
bool PrepareActions(Call& call);
// Runs the actions on one matching cell: variables at once, cells as change
// records. False when memory for the records could not be had.
bool RunActions(Call& call, const Row& row, int rowNo, int col);
// The cell bytes of an evaluated value: "\;" a cell boundary, "\=" '=',
// at most kCondCellValueMax bytes (a backslash that is a second byte stays).
std::string CellBytes(const std::string& value);
// Applies the change records to the text into `out`. False when the output
// reached the growth limit (string 347 shown) or memory was short.
bool ApplyChanges(Call& call, csv::OutWriter& out, bool* tooLarge);

}  // namespace csvsel
}  // namespace macro
