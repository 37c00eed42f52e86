// The test of one piece of a CSV condition ("&5==A", "&6>#(100)",
// "&2=:abc"): both operands valued for the current row, then a numeric or a
// text comparison, or the pattern match of the ":" forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fw/cstring.h"

namespace pat {
struct ConditionPattern;
}

namespace macro {

struct ExprContext;

// The left operand's kind that makes a piece hold on every row without a
// test (the "&AL" operand).
constexpr char kPieceKindAlways = 9;

// One operand after evaluation. A number is mantissa x 10^-scale (a scale
// of 999, kScaleInteger, means 0; a negative scale stands for trailing
// zeros); `number` false means a text.
struct PieceOperand {
  bool number = false;
  std::int64_t mantissa = 0;
  int scale = 0;
  std::string text;
};

// The operator and the compiled pattern of one piece.
struct PieceOperator {
  char first = 0;   // '=' '!' '>' '<' '~' ':' (pattern forms), 0 none
  char second = 0;  // the character after it ('=', '#', '!', '<', '>', '~', ...)
  const pat::ConditionPattern* pattern = nullptr;  // set for first == ':'
};

// Values one operand: `text` evaluated with MacroEvalExpression for the row
// that starts at `lineOffset` (ctx.row / ctx.column the current cell).
// A numeric result (kind '#') is a number; an empty result is the number 0;
// anything else is text.
PieceOperand EvaluatePieceOperand(ExprContext& ctx, int lineOffset, const CString& text);

// The number a left operand compares as when the right operand is a
// number: its own number, else its text read whole (blanks and one pair of
// enclosing double quotes aside, thousands commas included), the zero forms
// ("#0", "#0.0", "#0.00", a '#' before a quoted number), an empty text 0,
// any other text 65535.
void LeftOperandNumber(const PieceOperand& left, std::int64_t* mantissa, int* scale);

// Compares two valued operands under `op`: numerically when the right
// operand is a number, else as texts (CP932 bytes). Greater than 0 when
// the piece holds (for the pattern forms the match result), 0 when not.
int ComparePieceOperands(const PieceOperator& op, const PieceOperand& left, const PieceOperand& right);

// The exact comparison of two scaled numbers: -1, 0 or 1 (no overflow at
// any scale).
int CompareScaled(std::int64_t leftMantissa, int leftScale, std::int64_t rightMantissa, int rightScale);

// The whole test of one piece on one row: a piece whose left operand kind
// is kPieceKindAlways holds at once; otherwise both operands are valued
// and compared. Greater than 0 when the piece holds.
int MacroCsvTestPiece(ExprContext& ctx, int lineOffset, const PieceOperator& op, char kind, const CString& left,
                      const CString& right);

}  // namespace macro
