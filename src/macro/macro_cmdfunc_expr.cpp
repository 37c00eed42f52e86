// The command-line chain and the expression evaluator call each other: a
// parenthesised group of a line is an expression, and an expression's "#"
// call is a chain in variable mode. Both directions go through the scope;
// the nesting is bounded by each side's depth count.
#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"

namespace macro {

int MacroCmdFuncHook(void* user, ExprContext* context, const CString& text) {
  if (user == nullptr) return -1;
  CmdFuncScope& scope = *static_cast<CmdFuncScope*>(user);
  const int row = context && context->row > 0 ? context->row : 0;
  const int column = context && context->column > 0 ? context->column : 0;
  return MacroEvalCommandLineFunctions(scope, 0, row, -1, row > 0 ? column : kSlotFuncWork, text);
}

int MacroCmdFuncExpression(CmdFuncScope& scope, const CString& expr, char* out, int capacity) {
  MacroEnv env{scope.state, nullptr, nullptr, nullptr, {}};
  env.host = scope.host;
  env.table = scope.table;
  env.lines = scope.lines;
  env.functions.call = MacroCmdFuncHook;
  env.functions.user = &scope;
  ExprContext context;
  context.env = &env;
  if (scope.lines != nullptr && scope.table != nullptr) context.lineTable = MacroTableLineIndex(scope.lines, *scope.table);
  char kind = 0;
  std::int64_t value = 0;
  return MacroEvalExpression(0, out, capacity, expr, &kind, &value, &context);
}

}  // namespace macro
