// The expression evaluator of macro operands: text mode (literal pieces and
// references joined by "+") and arithmetic mode ("#(...)": exact decimal
// arithmetic on scaled numbers, cell ranges "<<...>>", "$(...)" splices).
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace csv {
struct TableFields;
}

namespace macro {

class MacroHost;
struct MacroState;
struct MacroLineIndex;
struct ExprContext;

constexpr int kExprWorkBuffer = 24956;   // longest expression: 24,955 bytes
constexpr int kExprOperandLevels = 118;  // operand stack of arithmetic mode
constexpr int kExprSpliceBuffer = 2000;  // a "$(...)" result is cut here
constexpr int kExprMaxSplices = 1000;    // "$(...)" splices in one evaluation
constexpr int kExprMaxRangeCells = 100000;  // cells valued under one evaluation
constexpr int kMacroEvalMaxDepth = 32;   // nested evaluations (MacroState::m_nMacroEvalDepth)
constexpr int kSlotFunctionResult = 170; // where the "#" functions leave their result

// The "#" function chains of a command line (the function evaluator fills
// this in). `text` is the call as written ("#RG3", "#SUM(...)", chained
// calls); the hook leaves the result text in slot 170 and returns 0 or more,
// or -1 when the call failed (the operand is then empty).
struct ExprFunctionHook {
  int (*call)(void* user, ExprContext* context, const CString& text) = nullptr;
  void* user = nullptr;
};

// What the evaluators read besides their arguments: the interpreter's
// state, the host (message boxes), the CSV working buffer with its block
// index (none: cells read as empty), its sparse line index and the hook.
struct MacroEnv {
  MacroState& state;
  MacroHost* host = nullptr;
  const csv::TableFields* table = nullptr;
  MacroLineIndex* lines = nullptr;
  ExprFunctionHook functions;
};

// The eleven context values the evaluator passes on to the operand routines
// and reads back, with the environment they work in.
struct ExprContext {
  const MacroEnv* env = nullptr;
  int scale = 0;          // out: the result's scale (arithmetic mode)
  int row = 0;            // current row (1-based; 0 or less: none)
  int column = 0;         // current column (1-based; 0 or less: none)
  int quote = 0;          // quoting of cell values: 0 as stored, 1 drop, 2 add
  const std::int32_t* lineTable = nullptr;  // sparse line index (MacroTableLineIndex)
  int rowStep = 0;        // out: relative row step of the last reference
  int colStep = 0;        // out: relative column step of the last reference
  int hashPos = 0;        // out: '#' found after the last reference
  int evalArg = 0;        // passed on to MacroReadAddressNumber
  int fieldMode = 0;      // MacroGetFieldValue mode for references
  int lastLength = 0;     // out: length of the last reference's value
};

// Evaluates `expr` for the line that starts at byte `lineOffset` of the
// table. Writes the result, NUL-terminated and cut at `outSize` bytes, to
// `out`; sets *kind to '#' for a numeric result (0 otherwise) and *value to
// its mantissa (context->scale its scale). Returns the bytes written, or -1
// for an empty expression, one longer than 24,955 bytes (slot 146 then says
// "EROR") or one nested past 32 evaluations ("stack over eror"); the output
// is then empty.
int MacroEvalExpression(int lineOffset, char* out, int outSize, const CString& expr, char* kind,
                        std::int64_t* value, ExprContext* context);

}  // namespace macro
