#include "macroui/macro_input_dlg.h"

FW_BEGIN_MESSAGE_MAP(CMacroInputDlg, CDialog)
  fw::OnWmSize<&CMacroInputDlg::OnSize>(),
  fw::OnWmTimer<&CMacroInputDlg::OnTimer>(),
FW_END_MESSAGE_MAP()

CMacroInputDlg::~CMacroInputDlg() {
  delete m_pInputEdit;
  delete m_pPromptEdit;
}

void CMacroInputDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
}

void CMacroInputDlg::Build(CDataExchange*) {}
void CMacroInputDlg::Layout() {}

void CMacroInputDlg::OnSize(UINT type, int cx, int cy) { Default(); }
void CMacroInputDlg::OnTimer(UINT_PTR id) { Default(); }
