// The network login dialog (resource 172, "ネットワーク設定"): the user name
// and password for a network folder that needs a connection. The list's
// network level shows it (flist::NetLoginAsk) when the entry gives no whole
// login.
#pragma once

#include "fw/dialog.h"

class CNetLoginDlg : public CDialog {
 public:
  explicit CNetLoginDlg(CWnd* parent = nullptr);

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  CString m_strUser;      // edit 1011 "ユーザー名"
  CString m_strPassword;  // edit 1090 "パスワード"
};
