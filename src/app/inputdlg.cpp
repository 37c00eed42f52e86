#include "app/inputdlg.h"

#include "res/resource.h"

static_assert(CInputDlg::IDD == IDD_INPUT, "one id for the input dialog");

BOOL CInputDlg::OnInitDialog() {
  if (!m_strTitle.IsEmpty()) SetWindowText(m_strTitle);
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
