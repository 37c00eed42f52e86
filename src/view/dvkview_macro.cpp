// Thin entries into the portable macro value routines.
#include "macro/macro_address.h"
#include "macro/macro_paths.h"
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
