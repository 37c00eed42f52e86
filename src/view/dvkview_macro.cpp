// Thin entries into the portable macro value routines.
#include "macro/macro_address.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_paths.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"
#include "view/dvkview.h"

CString CDvkView::MacroSubstituteVariables(const CString& text, int mode, int valueI, int valueJ, int pageFlag) {
  return macro::MacroSubstituteVariables(Macro(), &m_table, text, mode, valueI, valueJ, pageFlag);
}

CString CDvkView::MacroExpandParameters(const CString& path) {
  return macro::MacroExpandParameters(Macro(), MacroHost(), path);
}

CString CDvkView::MacroParseRowData(const CString& text, const BYTE* textBuf, int mode, UINT length) {
  macro::AddressScope scope{Macro()};
  scope.host = &MacroHost();
  scope.table = &m_table;
  if (textBuf == nullptr || textBuf == m_table.m_pTextBuf) {
    scope.text = m_table.m_pTextBuf;
    scope.length = m_table.UsedLength();
  } else {
    scope.text = textBuf;
    scope.length = length;
  }
  return macro::MacroParseRowData(scope, text, mode);
}

int CDvkView::LineOffsetFromTable(int line, const std::int32_t* table) {
  if (table == nullptr) table = macro::MacroTableLineIndex(&Macro().m_lineIndex, m_table);
  return macro::LineOffsetFromTable(m_table, line, table);
}

int CDvkView::MacroEvalExpression(int lineOffset, char* out, int outSize, const CString& expr, char* kind,
                                  std::int64_t* value, macro::ExprContext* context) {
  macro::ExprContext local;
  if (context == nullptr) context = &local;
  if (context->env) return macro::MacroEvalExpression(lineOffset, out, outSize, expr, kind, value, context);
  macro::MacroEnv env{Macro()};
  env.host = &MacroHost();
  env.table = &m_table;
  env.lines = &Macro().m_lineIndex;
  context->env = &env;
  if (context->lineTable == nullptr) context->lineTable = macro::MacroTableLineIndex(env.lines, m_table);
  const int n = macro::MacroEvalExpression(lineOffset, out, outSize, expr, kind, value, context);
  context->env = nullptr;
  return n;
}
