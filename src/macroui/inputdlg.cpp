#include "macroui/inputdlg.h"

#include "res/resource.h"

static_assert(CInputDlg::IDD == IDD_INPUT, "one id for the input dialog");

bool CInputDlg::CreateBeside(CWnd* owner) {
  if (IsOpen()) DestroyWindow();
  m_bModeless = true;
  if (!Create(IDD, owner)) {
    m_bModeless = false;
    return false;
  }
  ShowWindow(SW_SHOW);
  return true;
}

bool CInputDlg::IsOpen() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

BOOL CInputDlg::OnInitDialog() {
  if (!m_strTitle.IsEmpty()) SetWindowText(m_strTitle);
  if (!m_strOkText.IsEmpty()) SetDlgItemText(IDOK, m_strOkText.GetString());
  if (!m_strCancelText.IsEmpty()) SetDlgItemText(IDCANCEL, m_strCancelText.GetString());
  CDialog::OnInitDialog();
  // The input gets the focus with its text selected.
  if (CWnd* edit = GetDlgItem(IDC_INPUT_TEXT)) {
    GotoDlgCtrl(edit);
    edit->SendMessage(EM_SETSEL, 0, -1);
  }
  return FALSE;  // the focus was set here
}

void CInputDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_INPUT_PROMPT, m_strPrompt);
  DDX_Text(dx, IDC_INPUT_TEXT, m_strInput);
}

void CInputDlg::OnOK() {
  if (!m_bModeless) {
    CDialog::OnOK();
    return;
  }
  if (!UpdateData(TRUE)) return;
  m_bModeless = false;
  DestroyWindow();
  // The answer goes to the macro after the box is gone.
  if (m_onMacroResult) m_onMacroResult(2);
}

void CInputDlg::OnCancel() {
  if (!m_bModeless) {
    CDialog::OnCancel();
    return;
  }
  m_bModeless = false;
  DestroyWindow();
}
