#include "macroui/varview_dlg.h"

FW_BEGIN_MESSAGE_MAP(CVariableViewDlg, CDialog)
  fw::OnWmSize<&CVariableViewDlg::OnSize>(),
FW_END_MESSAGE_MAP()

CVariableViewDlg::~CVariableViewDlg() = default;

void CVariableViewDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_VARVIEW_LINE, m_editStopLine);
  DDX_Control(dx, IDC_VARVIEW_TEXT, m_editText);
  DDX_Text(dx, IDC_VARVIEW_LINE, m_nStopLine);
  DDV_MinMaxInt(dx, m_nStopLine, 0, 4096);
  DDX_Text(dx, IDC_VARVIEW_TEXT, m_strText);
  DDV_MaxChars(dx, m_strText, 4096);
}

void CVariableViewDlg::OnSize(UINT type, int cx, int cy) { Default(); }
