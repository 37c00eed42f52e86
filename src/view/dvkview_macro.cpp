// Thin entries into the portable macro value routines.
#include "csv/csv_widths.h"
#include "macro/macro_address.h"
#include "macro/macro_paths.h"
#include "macro/macro_subst.h"
#include "view/dvkview.h"

static_assert(view::kColumnPositions == csv::kColumnPositionSlots, "one layout of the column positions");

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

UINT CDvkView::CsvTitleLine() const {
  if (m_nTitleLine > 0) return m_nTitleLine;
  return m_table.BlockCount() >= 1 && m_table.m_aSecLine[1] > 0 ? m_table.m_aSecLine[1] : 1;
}

int CDvkView::CsvComputeColumnWidths(int firstCol, int lastCol, int firstRow, int lastRow, int mode) {
  return csv::ComputeColumnWidths(m_table, CsvTitleLine(), m_aColumnPos, view::kColumnPositions, firstCol, lastCol,
                                  firstRow, lastRow, mode);
}
