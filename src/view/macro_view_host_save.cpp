// The host side of the save statements: thin calls into the view's writers.
#include "macro/macro_state.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

bool MacroViewHost::TextModified() { return view_.GetRichEditCtrl().GetModify() != FALSE; }

int MacroViewHost::WriteViewDocument(const CString& path, int mode) { return view_.WriteDocument(path, mode, 0); }

int MacroViewHost::SaveViewAsRtf() { return view_.SaveAsRtf(1); }

int MacroViewHost::ExportToExcel(const CString& options, int mode, int flag) {
  // The statement's operand is the export's target.
  view_.m_strStmtOperand = view_.Macro().m_strStmtOperand;
  return view_.ExportToExcel(options, mode, flag);
}
int MacroViewHost::WriteHtmlTable() {
  view_.m_strStmtOperand = view_.Macro().m_strStmtOperand;
  return view_.XlsxWritePackage('H');
}

int MacroViewHost::RunTableCommand(int cmd, int row) { return view_.TableCommand(cmd, row, 0, 0, 0, 0, 0, 1); }

void MacroViewHost::SetViewPath(const CString& path) { view_.m_strViewPath = path; }

void MacroViewHost::SetTableSizeIndex(int index) { view_.m_nTblsizCopy = index; }

void MacroViewHost::SetViewDisplayFlag(int value) { view_.m_nDisplayFlagCopy = value; }

}  // namespace view
