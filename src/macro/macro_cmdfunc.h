// Evaluating the "#"-function chain of a command line ("#TRIM#RG3",
// "#RPabc:xyz", "#FL999") over a macro variable or a block of CSV cells.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace csv {
class Table;
}

namespace macro {

struct MacroState;
struct MacroRunContext;
class MacroHost;
struct CmdFuncScope;
struct ExprContext;
struct MacroLineIndex;

constexpr int kMaxLineFunctions = 20;      // functions of one command line
constexpr int kVarResultBytes = 13000;     // result of one function over a variable (and between functions)
constexpr int kVarCopyBytes = 2990;        // longest variable value the chain reads
constexpr int kGroupResultBytes = 9005;    // result of a parenthesised group
constexpr int kFuncLineMaxBytes = 45000;   // a group result never makes the line longer
constexpr int kFuncLineMaxDepth = 32;      // line -> group -> expression -> line ...
constexpr int kSlotFuncWork = 170;         // result slot of a call with a row or column
constexpr int kClassifyOnly = 999;         // third and fourth argument: only classify
constexpr std::uint32_t kCellMargin = 90000;
constexpr int kCellGrowths = 5;
constexpr unsigned kStrTooManyReplacements = 347;
constexpr int kErrNoWorkBuffer = 131;
constexpr int kErrNoViewBuffer = 132;
constexpr int kProgressCells = 1024;       // LD: progress and Esc poll every so many cells

// Function numbers the evaluator treats itself.
enum CmdFuncNumber {
  kFnLD = 20,    // the LD family: progress text and Esc poll
  kFnLF = 45,    // the LF family: also "~" lines
  kFnRP = 51,
  kFnSPL = 53,
  kFnLN = 55,
  kFnRN = 56,
  kFnATR = 98,
  kFnMLL = 180,  // the range is measured first (most lines)
};

// Evaluates the expression of a parenthesised group into `out` (at most
// `capacity` bytes, NUL-terminated within them); returns the bytes written,
// -1 when the expression was refused.
using ExprEvaluator = int (*)(CmdFuncScope& scope, const CString& expr, char* out, int capacity);

// What the evaluation works on: the interpreter's state, the editor, the
// view's table with its column positions, and the expression evaluator.
struct CmdFuncScope {
  MacroState& state;
  MacroHost* host = nullptr;
  csv::Table* table = nullptr;            // none: no cell mode, SPL or statistics
  std::uint32_t* columnPos = nullptr;     // column start positions (csv/csv_widths.h)
  int columnPosSlots = 0;
  std::uint32_t titleLine = 1;            // 1-based line of the first block's title
  MacroLineIndex* lines = nullptr;        // the table's sparse line index (expressions)
  ExprEvaluator evalExpression = nullptr; // none: groups stay as written
  const std::uint32_t* checkList = nullptr;  // the view's check list ("CK", "CKN")
  std::uint32_t checkListUsed = 0;           // entries 0 .. checkListUsed - 1 are in use (0 entries skipped)
  MacroRunContext* run = nullptr;            // the run under way (defined functions)
};

// One function of the line.
struct CmdFuncEntry {
  CString written;      // the segment as written (reports)
  CString text;         // the function text; RP: the translated search text
  CString replacement;  // RP: the translated replacement
  CString tail;         // what the name lookup left after the operand
  int number = 0;       // function number (MacroLookupFunctionCode)
  int operand = 0;      // RP: with the pattern flags (0x100000 and the rule's)
};

struct CmdFuncList {
  CmdFuncEntry entries[kMaxLineFunctions];
  int count = 0;
  int widthFlag = 0;    // column widths first: mode = flag - 1
};

// Evaluates every parenthesised group of *text from *pos up to the first
// `stop` byte at depth 0 (not at index 0), each through the expression
// evaluator prefixed "@n:" (stop 1: wrapped "#(" ... ")"), and puts the
// result in the group's place; *pos ends after the last result. "\(" and
// "^(" do not count. The zero arguments are always 0. Returns the groups
// replaced.
int MacroEvalParenGroups(CmdFuncScope& scope, char stop, int* pos, int zero1, int n, int zero2, int zero3,
                         CString* text);

// Collects the functions of `text` into *list after evaluating the groups
// of each segment (the work of the entry before it applies anything).
void MacroCollectLineFunctions(CmdFuncScope& scope, int n, CString* text, CmdFuncList* list);

// The entry. (a1, a2, a3, a4):
//   (0, 0, -1, slot)  variable mode: the chain over variable `slot` (any
//                     slot outside 1-5180 is slot 0), result in it;
//   (x, y, -1, col)   with x or y not 0: the result goes to slot 170;
//   (.., .., 999, 999) classify only: the last function number;
//   otherwise         cell mode: rows a1..a2, columns a3..a4 of the table
//                     (a negative upper bound is open).
// Returns 1, the number (classify only), or -1 (a function without a
// handler, reported before anything changed; no memory; nesting too deep).
int MacroEvalCommandLineFunctions(CmdFuncScope& scope, int a1, int a2, int a3, int a4, CString text);

// The expression evaluator (macro_expr.h) as the evaluator of groups: the
// expression over the scope's state, host, table and line index, its "#"
// calls coming back through MacroCmdFuncHook.
int MacroCmdFuncExpression(CmdFuncScope& scope, const CString& expr, char* out, int capacity);

// The expression evaluator's hook for "#" calls (`user` is the
// CmdFuncScope): the chain in variable mode, (0, row, -1, column) with a
// row and (0, 0, -1, 170) without, so the result is left in slot 170.
int MacroCmdFuncHook(void* user, ExprContext* context, const CString& text);

}  // namespace macro
