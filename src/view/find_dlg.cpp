#include "view/find_dlg.h"

#include "fw/cstring.h"
#include "view/dvkview.h"

FW_BEGIN_MESSAGE_MAP(CFindDlg, CDialog)
  fw::OnCommand<&CFindDlg::OnReplaceOne>(IDC_FIND_REPLACE_ONE),
  fw::OnCommand<&CFindDlg::OnReplaceAll>(IDC_FIND_REPLACE_ALL),
FW_END_MESSAGE_MAP()

void CFindDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_FIND_TEXT, m_strFind);
  DDX_Text(dx, IDC_FIND_REPLACE_TEXT, m_strReplace);
  DDX_Check(dx, IDC_FIND_WHOLE_WORD, m_bWholeWord);
  DDX_Check(dx, IDC_FIND_MATCH_CASE, m_bMatchCase);
  DDX_Radio(dx, IDC_FIND_UP, m_nDirection);
  DDX_Text(dx, IDC_FIND_REQUEST, m_nRequest);
}

BOOL CFindDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetForm(m_nForm, 0);
  return TRUE;
}

void CFindDlg::SetForm(int mode, int column) {
  m_nForm = mode == 1 ? 1 : 0;
  if (!m_hWnd) return;
  // The find form hides the replacement and its buttons.
  const int show = m_nForm == 1 ? SW_HIDE : SW_SHOW;
  for (int id : {IDC_FIND_REPLACE_LABEL, IDC_FIND_REPLACE_TEXT, IDC_FIND_REPLACE_ONE, IDC_FIND_REPLACE_ALL}) {
    if (CWnd* c = GetDlgItem(id)) c->ShowWindow(show);
  }
  CString title;
  if (column > 0) {
    title.Format(static_cast<UINT>(IDS_FIND_COLUMN_TITLE), column);
  } else {
    title.LoadString(m_nForm == 1 ? IDS_FIND_TITLE : IDS_FIND_REPLACE_TITLE);
  }
  SetWindowText(title);
}

void CFindDlg::Send(int request) {
  ::SetDlgItemInt(m_hWnd, IDC_FIND_REQUEST, static_cast<UINT>(request), FALSE);
  if (m_pView && m_pView->m_hWnd) m_pView->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FIND_DIALOG, 0), 0);
}

void CFindDlg::OnOK() { Send(m_nForm == 1 ? kFindFindForm : kFindReplaceForm); }

void CFindDlg::OnCancel() {
  if (m_hWnd) ShowWindow(SW_HIDE);
}

void CFindDlg::OnReplaceOne() { Send(kReplaceOne); }

void CFindDlg::OnReplaceAll() { Send(kReplaceAll); }
