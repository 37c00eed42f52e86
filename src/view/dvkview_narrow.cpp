// The narrowing selection dialog over the view's table: the entry the CSV
// column commands call (condition in, condition out).
#include "csv/csv_valuelist.h"
#include "fw/cmdtext.h"
#include "cmd/command_table.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/narrow_select_dlg.h"

int CDvkView::RunNarrowSelectDialog(UINT helpId, CString& cond, int column) {
  if (!ShowsCsvTable()) return IDCANCEL;
  CNarrowSelectDlg dlg(this);
  dlg.m_strCond = cond;
  CString title, help;
  title.LoadString(helpId);
  title = fw::PromptPart(title.Str()).c_str();
  help.LoadString(IDS_CONDITION_HELP);
  // The string of the command (its prompt part), or its caption when the
  // table has none.
  if (title.IsEmpty()) {
    if (const cmd::Command* c = cmd::FindCommand(helpId)) title = c->caption;
  }
  dlg.m_strHelp = title + "\r\n" + help;
  dlg.m_strLastCond = m_strLastSelectCond;
  dlg.m_pCsvText = m_table.m_pTextBuf;
  dlg.m_nColumn = column >= 0 ? column : static_cast<int>(m_nCurColumn);
  dlg.m_nCsvTextLen = static_cast<int>(m_table.UsedLength());
  dlg.m_bCellCodes = !m_table.m_bCellCodesAreData;
  const INT_PTR r = dlg.DoModal();
  if (r != IDOK) {
    GetRichEditCtrl().SendMessage(EM_HIDESELECTION, 0, 0);
    return IDCANCEL;
  }
  cond = dlg.m_strCond;
  m_strLastSelectCond = cond;
  return IDOK;
}
