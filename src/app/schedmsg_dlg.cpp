#include "app/schedmsg_dlg.h"

#include "res/resource.h"

void CScheduleMessageDlg::Show(const char* text, CWnd* owner) {
  auto* dlg = new CScheduleMessageDlg;
  dlg->m_strText = text;
  if (!dlg->Create(IDD_SCHEDULE_MESSAGE, owner)) {
    delete dlg;  // no window was made: nothing else owns it
    return;
  }
  dlg->ShowWindow(SW_SHOWNOACTIVATE);
}

BOOL CScheduleMessageDlg::OnInitDialog() {
  SetDlgItemText(IDC_SCHEDULE_TEXT, m_strText);
  return TRUE;
}

void CScheduleMessageDlg::OnOK() { DestroyWindow(); }
void CScheduleMessageDlg::OnCancel() { DestroyWindow(); }
void CScheduleMessageDlg::PostNcDestroy() { delete this; }
