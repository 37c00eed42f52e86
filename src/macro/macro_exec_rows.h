// The table statements that rework the rows of the view's table: the row and
// line statements ("&R", "&&", "&Y"), the sort ("&Su", "&Sd"), the new rows
// ("&N") and print ("&P"), with the readers of their operands as pure
// functions. Each statement hands its work to the table routines of src/csv
// (or to the view through the host) with the arguments read here.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace csv {
struct TableFields;
}

namespace macro {

struct MacroEnv;
struct MacroRunContext;

// The executor of the classes 10, 16, 18 and 19.
Outcome MacroExecTableRows(MacroRunContext& rc, int cls);

// Row and line statements.

// The block number of a "page" operand: the digits among the four bytes
// after "page", up to a blank (0 when there are none).
int MacroPageBlockNumber(const std::string& operand);

// The "page" form: "first_last" with the first row of block b and the row
// before block b + 1 (or m_nLastRow + 1 for the last block); "Eror" for a
// block number below 1 or past the block count. Any other operand is
// returned as it is.
std::string MacroRowPageOperand(const std::string& operand, const csv::TableFields& table);

// Sort, new rows and print.

// Up to `count` numbers of `text` (each a run of digits; any other byte ends
// a number and is skipped; a number saturates at 21,474,836). Returns how
// many were read.
int MacroPrintNumbers(const std::string& text, std::int32_t* out, int count);

// "printset": the four margin words (top, bottom, left, right) in
// hundredths from the operand's numbers n1..n4 as (n2, n4, n1, n3) x 100;
// a number not given is 0. False for an empty operand (the unset margins are
// then filled from the page settings).
bool MacroPrintMarginWords(const std::string& operand, std::int32_t words[4]);

// "printfont": the size index from the operand's first number, limited to
// 1..11; 0 for an empty operand (nothing changes).
int MacroPrintFontIndex(const std::string& operand);

// The arguments of a new-row statement for the row insertion.
struct NewRowArgs {
  int mode = 0;    // 1 newend, 2 newtop, 3 newmax, 4 newdata, 5 newvar, 6 newfix, 0 other; +10 for 'x'
  int row = 0;
  int count = 0;
  bool nothing = false;  // the 'm' count rule left no row to add
};

// From the command (after its numbers were read into num1, num2): a '@'
// outside square brackets gives the row (page codes read through `env`;
// above 5,000,000: 0) and the count as the first number after it; else num1
// and num2. With 't' or 'e' followed by 'm' the count is the rows wanted in
// all, less the rows there are (lastRow + 1).
NewRowArgs MacroNewRowArgs(const MacroEnv& env, const CString& command, int num1, int num2, int lastRow);

}  // namespace macro
