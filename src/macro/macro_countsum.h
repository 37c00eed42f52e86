// The count and sum statements ("count", "sum"; code "&C" with 'n' or 's'):
// the statement's numbers and operand become a column list P, the table is
// rearranged by it, keyed and sorted, and the CSV engine counts or totals it
// (CsvTotals, CsvCrossTabulate). No arithmetic is done here.
#pragma once

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The numbers the statement works with.
struct CountNumbers {
  int num1 = -1, num2 = 0, num3 = 0, num4 = 0;  // of the command (num1 -1 when absent)
  int num5 = 0, num6 = 0;                       // further command numbers after "...:...,"
  int a1 = 0, a2 = 0, a3 = 0;                   // of the operand, before its '='
};

// num5 and num6: when num4 is above 0 and `command` holds a ':' after its
// first byte and a ',' after it, the first number after that ',' (kept when
// above 0), and likewise after a further ','.
void ReadCountExtraNumbers(const CString& command, CountNumbers* n);

// What reading the operand decided.
enum class CountOperandVerdict {
  kRead,          // numbers and operand taken (or nothing to read)
  kNeedsAddress,  // "Eror : needs '&' before[ ]"
};

// Reads the operand in place: ';' becomes ','; an operand beginning with
// '&' or a digit and holding a '=' gives a1-a3 from the runs before the
// first '=' outside brackets (each run ends at '|', ',' or that '=') and
// keeps its text after the '='; any other operand with a '=' (not for
// "sum") takes a1 from num3 or num2 and turns its first '=' into ':'.
// `letter2` ('n' count, 's' sum) may become 's'.
CountOperandVerdict ReadCountOperand(CString* operand, unsigned char* letter2, CountNumbers* n);

// The parameter text P: the column list by which numbers are above 0, the
// operand numbers a1-a3 appended while each is above 0, then "," and the
// operand when it is not empty and a1 is 0 or less, else ",*".
CString CountParameterText(const CountNumbers& n, const CString& operand);

// The four values of the cross table.
struct CrossValues {
  int rowMode = 1, columnMode = 0, countFlag = 0, valueMode = 0;
};
CrossValues CountCrossValues(const CountNumbers& n, unsigned char letter2, unsigned char letter3);

// The sort direction of the key column: -1 when the direction word is 1,
// else 1 (ascending). No statement sets the word: it is 0.
constexpr int kCountSortDirectionWord = 0;
inline int CountSortKey(int directionWord) { return directionWord == 1 ? -1 : 1; }

// The executor of class 17.
Outcome MacroExecCountSum(MacroRunContext& rc);

}  // namespace macro
