#include "macroui/progress_dlg.h"

#include "macroui/macro_dialogs.h"

FW_BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
FW_END_MESSAGE_MAP()

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_PROGRESS_SECOND, m_editSecond);
  DDX_Control(dx, IDC_PROGRESS_SHORT, m_editShort);
  DDX_Control(dx, IDC_PROGRESS_MESSAGE, m_editMessage);
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
  DDX_Control(dx, IDC_PROGRESS_BAR, m_progress);
  DDX_Text(dx, IDC_PROGRESS_MESSAGE, m_strMessage);
  DDV_MaxChars(dx, m_strMessage, kMaxMessageChars);
  DDX_Text(dx, IDC_PROGRESS_SHORT, m_strShort);
  DDV_MaxChars(dx, m_strShort, kMaxShortChars);
  DDX_Text(dx, IDC_PROGRESS_SECOND, m_strSecond);
  if (!m_strOkCaption.IsEmpty() && m_btnOK.m_hWnd) m_btnOK.SetWindowText(m_strOkCaption);
  if (!m_strCancelCaption.IsEmpty() && m_btnCancel.m_hWnd) m_btnCancel.SetWindowText(m_strCancelCaption);
}

void CProgressDlg::OnOK() {
  m_strMessage = "@OK";
  m_bConfirmed = 1;
  CDialog::OnOK();
  if (m_pOwnerView) m_pOwnerView->MacroDialogSetResult(1);
}

void CProgressDlg::OnCancel() {
  m_strMessage = "@CANCEL";
  m_bCancelled = 1;
  CDialog::OnCancel();
  if (m_pOwnerView) m_pOwnerView->MacroDialogSetResult(0);
}
