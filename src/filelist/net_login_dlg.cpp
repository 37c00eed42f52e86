#include "filelist/net_login_dlg.h"

#include "res/resource.h"

CNetLoginDlg::CNetLoginDlg(CWnd* parent) : CDialog(IDD_NET_LOGIN, parent) {}

void CNetLoginDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Text(dx, IDC_NETLOGIN_USER, m_strUser);
  DDX_Text(dx, IDC_NETLOGIN_PASSWORD, m_strPassword);
}

BOOL CNetLoginDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  return TRUE;
}
